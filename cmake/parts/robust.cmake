# robust.cmake -- fuzz targets, the long soak, fault injection and a memcheck run of a short show
#
# Two arrangements:
#  - a fuzz build (CC=clang CXX=clang++ cmake -S . -B build-fuzz -DSWAYBOARD_FUZZ=ON): the
#    libFuzzer targets, with everything they link built with AddressSanitizer,
#    UndefinedBehaviorSanitizer and coverage; its only tests carry the label `fuzz`;
#  - every other build: the fuzz targets replay their seed corpora and regressions, the
#    fault tests, the soak and (outside the sanitizer build) the memcheck run.

set(ROBUST_DIR ${CMAKE_SOURCE_DIR}/tests/robust)
set(ROBUST_FUZZ_TARGETS bitmap xm page_text scroll_text)

# The targets that drive an effect run on the show, started once per process.
function(robust_fuzz_sources target name)
  if(name MATCHES "_text$")
    target_sources(${target} PRIVATE ${ROBUST_DIR}/fuzz_show.cpp)
  endif()
endfunction()

function(robust_link_show target core)
  target_include_directories(${target} PRIVATE ${CMAKE_SOURCE_DIR})
  target_link_libraries(${target} PRIVATE ${core} swayboard_archive swayboard_audio)
endfunction()

option(SWAYBOARD_FUZZ "Build the libFuzzer targets (needs clang) instead of the test suite's extras" OFF)

if(SWAYBOARD_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang" OR NOT CMAKE_C_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "SWAYBOARD_FUZZ needs clang: CC=clang CXX=clang++ cmake -S . -B build-fuzz -DSWAYBOARD_FUZZ=ON")
  endif()
  if(SWAYBOARD_SANITIZE)
    message(FATAL_ERROR "SWAYBOARD_FUZZ brings its own sanitizers; configure it without SWAYBOARD_SANITIZE")
  endif()
  # NOTE: a directory's CMAKE_<LANG>_FLAGS are read when it is generated, so appending here
  # reaches every target of the build, also those defined before this file was included:
  # the glob'd core, the platform layers and the archive are all instrumented alike.
  set(robust_fuzz_flags "-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer -g")
  string(APPEND CMAKE_CXX_FLAGS " ${robust_fuzz_flags}")
  string(APPEND CMAKE_C_FLAGS " ${robust_fuzz_flags}")
  string(APPEND CMAKE_EXE_LINKER_FLAGS " -fsanitize=address,undefined")
  set(ROBUST_FUZZ_SECONDS 20 CACHE STRING "Seconds each fuzz target runs as a test")

  add_custom_target(robust_fuzz)
  foreach(name IN LISTS ROBUST_FUZZ_TARGETS)
    add_executable(fuzz_${name} ${ROBUST_DIR}/fuzz_${name}.cpp)
    robust_fuzz_sources(fuzz_${name} ${name})
    target_link_options(fuzz_${name} PRIVATE -fsanitize=fuzzer)
    robust_link_show(fuzz_${name} "swayboard_core;swayboard_os")
    add_dependencies(robust_fuzz fuzz_${name})
    add_test(NAME fuzz_${name}
      COMMAND sh ${ROBUST_DIR}/run_fuzz.sh $<TARGET_FILE:fuzz_${name}> ${name} ${ROBUST_FUZZ_SECONDS}
        ${CMAKE_BINARY_DIR}/fuzz)
    set_tests_properties(fuzz_${name} PROPERTIES LABELS fuzz TIMEOUT 900
      ENVIRONMENT "SDL_VIDEODRIVER=dummy;SDL_AUDIODRIVER=dummy")
  endforeach()
  return()
endif()

# --- The fuzz targets' inputs, replayed in the ordinary builds ---------------------------
set(ROBUST_TARGETS "")
foreach(name IN LISTS ROBUST_FUZZ_TARGETS)
  add_executable(robust_replay_${name} ${ROBUST_DIR}/fuzz_${name}.cpp ${ROBUST_DIR}/fuzz_replay_main.cpp)
  robust_fuzz_sources(robust_replay_${name} ${name})
  robust_link_show(robust_replay_${name} "swayboard_core;swayboard_os")
  set(inputs ${ROBUST_DIR}/corpus/${name})
  if(EXISTS ${ROBUST_DIR}/regressions/${name})
    list(APPEND inputs ${ROBUST_DIR}/regressions/${name})
  endif()
  list(APPEND ROBUST_TARGETS robust_replay_${name})
  add_test(NAME robust_replay_${name} COMMAND robust_replay_${name} ${inputs})
  set_tests_properties(robust_replay_${name} PROPERTIES LABELS robust TIMEOUT 300
    ENVIRONMENT "SDL_VIDEODRIVER=dummy;SDL_AUDIODRIVER=dummy")
endforeach()

# --- Fault injection at link time ---------------------------------------------------------
set(ROBUST_WRAPPED SDL_CreateRGBSurface SDL_LockSurface SDL_SetVideoMode SDL_Init SDL_PollEvent
  nanosleep clock_gettime gettimeofday time calloc)
set(ROBUST_WRAP_OPTIONS "")
foreach(symbol IN LISTS ROBUST_WRAPPED)
  list(APPEND ROBUST_WRAP_OPTIONS "-Wl,--wrap=${symbol}")
endforeach()

add_library(robust_fault_harness STATIC ${ROBUST_DIR}/fault_harness.cpp)
target_include_directories(robust_fault_harness PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(robust_fault_harness PUBLIC swayboard_core)

function(robust_fault_test target source archive)
  add_executable(${target} ${source})
  set(ROBUST_TARGETS ${ROBUST_TARGETS} ${target} PARENT_SCOPE)
  target_link_libraries(${target} PRIVATE robust_fault_harness swayboard_test_support swayboard_core ${archive}
    swayboard_os swayboard_audio GTest::gtest_main)
  target_link_options(${target} PRIVATE ${ROBUST_WRAP_OPTIONS})
  gtest_discover_tests(${target} DISCOVERY_TIMEOUT 60 TEST_PREFIX "${target}."
    PROPERTIES LABELS robust TIMEOUT 600 ENVIRONMENT "SDL_VIDEODRIVER=dummy;SDL_AUDIODRIVER=dummy")
endfunction()

robust_fault_test(robust_fault_test ${ROBUST_DIR}/fault_test.cpp swayboard_archive)

# One intro per catalogued file, linked with an archive that lacks it. The test itself is
# compiled once; only the one-line source that names the missing file is compiled per file.
add_library(robust_missing_file_test OBJECT ${ROBUST_DIR}/missing_file_test.cpp)
target_link_libraries(robust_missing_file_test PRIVATE robust_fault_harness swayboard_test_support GTest::gtest)
foreach(missing IN LISTS SWAYBOARD_ARCHIVE_FILES)
  string(REPLACE "." "_" stem ${missing})
  set(files ${SWAYBOARD_ARCHIVE_FILES})
  list(REMOVE_ITEM files ${missing})
  swayboard_add_archive(robust_without_${stem}_archive ${files})
  robust_fault_test(robust_without_${stem} ${ROBUST_DIR}/missing_name.cpp robust_without_${stem}_archive)
  target_sources(robust_without_${stem} PRIVATE $<TARGET_OBJECTS:robust_missing_file_test>)
  target_compile_definitions(robust_without_${stem} PRIVATE ROBUST_MISSING="${missing}")
endforeach()

# --- The soak: the whole show, unpaced, with every state bound checked -------------------
# In the sanitizer build the core already carries ASan and UBSan; elsewhere the soak links
# a copy of the core built with UBSan (the checks a million frames can run under in time).
if(SWAYBOARD_SANITIZE)
  set(robust_soak_core swayboard_core swayboard_os)
else()
  add_library(robust_core_ubsan STATIC ${SWAYBOARD_CORE_SOURCES}
    ${CMAKE_SOURCE_DIR}/platform/os_linux.cpp ${CMAKE_SOURCE_DIR}/platform/random.cpp
    ${CMAKE_SOURCE_DIR}/platform/video_linux.cpp ${CMAKE_SOURCE_DIR}/platform/video_fit.cpp)
  target_include_directories(robust_core_ubsan PUBLIC ${CMAKE_SOURCE_DIR})
  target_link_libraries(robust_core_ubsan PUBLIC PkgConfig::SDL)
  # Whatever the core itself links besides SDL comes along.
  get_target_property(robust_core_links swayboard_core INTERFACE_LINK_LIBRARIES)
  if(robust_core_links)
    target_link_libraries(robust_core_ubsan PUBLIC ${robust_core_links})
  endif()
  target_compile_options(robust_core_ubsan PRIVATE
    -fsanitize=undefined,float-cast-overflow,float-divide-by-zero -fno-sanitize-recover=all -fno-omit-frame-pointer)
  target_link_options(robust_core_ubsan INTERFACE -fsanitize=undefined)
  set(robust_soak_core robust_core_ubsan)
endif()

add_executable(robust_soak ${ROBUST_DIR}/soak.cpp)
robust_link_show(robust_soak "${robust_soak_core}")
target_link_options(robust_soak PRIVATE -Wl,--wrap=SDL_UpperBlit)
# NOTE: SDL allocates and frees a few bytes inside some blits; AddressSanitizer's quarantine
# holds every freed block back, which grows the resident set by about 100 bytes a frame
# until the quarantine fills. The soak turns it off so that flat memory can be measured.
add_test(NAME robust_soak_50k COMMAND robust_soak --frames 50000)
set_tests_properties(robust_soak_50k PROPERTIES LABELS "robust;soak" TIMEOUT 900
  ENVIRONMENT "SDL_VIDEODRIVER=dummy;SDL_AUDIODRIVER=dummy;UBSAN_OPTIONS=print_stacktrace=1;ASAN_OPTIONS=quarantine_size_mb=0:thread_local_quarantine_size_kb=0")

# --- Memcheck of a short show, on a build without sanitizers -----------------------------
find_program(VALGRIND valgrind)
if(VALGRIND AND NOT SWAYBOARD_SANITIZE)
  add_executable(robust_show_plain ${ROBUST_DIR}/soak.cpp)
  robust_link_show(robust_show_plain "swayboard_core;swayboard_os")
  list(APPEND ROBUST_TARGETS robust_show_plain)
  target_link_options(robust_show_plain PRIVATE -Wl,--wrap=SDL_UpperBlit)
  add_test(NAME robust_memcheck
    COMMAND ${VALGRIND} --tool=memcheck --error-exitcode=99 --leak-check=full
      --show-leak-kinds=definite,indirect,possible --errors-for-leak-kinds=definite,indirect,possible
      --suppressions=${ROBUST_DIR}/valgrind.supp
      $<TARGET_FILE:robust_show_plain> --frames 300 --no-memory-check)
  set_tests_properties(robust_memcheck PROPERTIES LABELS "robust;valgrind;no-sanitize" TIMEOUT 600
    ENVIRONMENT "SDL_VIDEODRIVER=dummy;SDL_AUDIODRIVER=dummy")
endif()

# Everything above, to build it alone: cmake --build <dir> --target robust
add_custom_target(robust DEPENDS robust_soak ${ROBUST_TARGETS})
