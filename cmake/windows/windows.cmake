# windows.cmake -- the Windows programs: SDL's entry point, a static runtime, icon and version, and the zip
#
# Included instead of the Debian installation when cross-compiling with toolchain.cmake.
# SDL stays a DLL next to the programs (it is LGPL: a user may swap in another build);
# everything else, the C++ runtime and the threads library among it, is linked in.
include(ExternalProject)
enable_language(RC)

set(SWAYBOARD_WINDOWS_ZIP ${CMAKE_BINARY_DIR}/swayboard-${PROJECT_VERSION}-windows-x86_64.zip
  CACHE FILEPATH "Where the zip of the Windows programs is written")

# SDL's headers rename main to SDL_main; SDLmain holds the real entry point that calls it.
find_library(SDLMAIN_LIBRARY NAMES libSDLmain.a SDLmain REQUIRED)
# The zip holds both programs; the recorder needs the prefix's libpng.
if(NOT TARGET swayboard-capture)
  message(FATAL_ERROR "libpng is missing from ${SWAYBOARD_WINDOWS_PREFIX}: run tools/deps/build_windows_deps.sh first (make windows does)")
endif()
set(SDL_DLL ${SWAYBOARD_WINDOWS_PREFIX}/bin/SDL.dll)
if(NOT EXISTS ${SDL_DLL})
  message(FATAL_ERROR "${SDL_DLL} is missing: run tools/deps/build_windows_deps.sh first (make windows does)")
endif()
target_link_libraries(swayboard_os PUBLIC winmm)
foreach(program swayboard swayboard-capture)
  target_link_libraries(${program} PRIVATE mingw32 ${SDLMAIN_LIBRARY})
  # NOTE: -static reaches only libraries named by -l; SDL's import library is given by its
  # full path, so SDL.dll stays a DLL. -s drops the symbols and the static runtime's
  # debugging information, two thirds of the programs' size.
  target_link_options(${program} PRIVATE -static -s)
endforeach()
# The magnification's benchmark, which make test-windows runs under Wine; not in the zip.
include(cmake/parts/magnify_bench.cmake)
target_link_options(magnify_bench PRIVATE -static -s)

# The intro is a windowed program: started from Explorer it opens no console.
set_target_properties(swayboard PROPERTIES WIN32_EXECUTABLE ON)

# The icon: the critter, drawn by the desktop icons' own tool, built for this machine.
set(host_tools ${CMAKE_BINARY_DIR}/host_tools)
ExternalProject_Add(host_tools
  SOURCE_DIR ${CMAKE_SOURCE_DIR}/cmake/windows/host_tools
  BINARY_DIR ${host_tools}
  CMAKE_ARGS -DSWAYBOARD_SOURCE_DIR=${CMAKE_SOURCE_DIR} -DCMAKE_BUILD_TYPE=Release
  BUILD_ALWAYS ON
  INSTALL_COMMAND ""
  BUILD_BYPRODUCTS ${host_tools}/make_icons ${host_tools}/make_ico)
# The sizes Windows picks from, for lists, the taskbar and Explorer's views.
set(ico_sizes 16 24 32 48 64 128 256)
set(icon_dir ${CMAKE_BINARY_DIR}/windows/icons)
set(SWAYBOARD_ICO ${CMAKE_BINARY_DIR}/windows/swayboard.ico)
set(ico_pngs "")
foreach(size IN LISTS ico_sizes)
  list(APPEND ico_pngs ${icon_dir}/${size}x${size}/apps/swayboard.png)
endforeach()
add_custom_command(OUTPUT ${SWAYBOARD_ICO}
  COMMAND ${host_tools}/make_icons ${icon_dir}
  COMMAND ${host_tools}/make_ico ${SWAYBOARD_ICO} ${ico_pngs}
  DEPENDS host_tools ${host_tools}/make_icons ${host_tools}/make_ico
  COMMENT "Drawing the Windows icon"
  VERBATIM)
add_custom_target(windows_icon DEPENDS ${SWAYBOARD_ICO})

# Each program's resources: the icon, its version information and its manifest (DPI awareness).
foreach(program swayboard swayboard-capture)
  if(program STREQUAL "swayboard")
    set(SWAYBOARD_RC_DESCRIPTION "Swayboard, an old-school intro")
  else()
    set(SWAYBOARD_RC_DESCRIPTION "Swayboard's recorder: the show as PNG frames and a WAV file")
  endif()
  set(SWAYBOARD_RC_NAME ${program})
  set(SWAYBOARD_MANIFEST ${CMAKE_BINARY_DIR}/windows/${program}.manifest)
  configure_file(${CMAKE_SOURCE_DIR}/cmake/windows/swayboard.manifest.in ${SWAYBOARD_MANIFEST} @ONLY)
  set(rc ${CMAKE_BINARY_DIR}/windows/${program}.rc)
  configure_file(${CMAKE_SOURCE_DIR}/cmake/windows/swayboard.rc.in ${rc} @ONLY)
  set_source_files_properties(${rc} PROPERTIES OBJECT_DEPENDS "${SWAYBOARD_ICO};${SWAYBOARD_MANIFEST}")
  target_sources(${program} PRIVATE ${rc})
  add_dependencies(${program} windows_icon)
endforeach()

# The zip: a folder with both programs, SDL.dll, the README for Windows users, a shortcut
# for the window and every licence of what is in it.
add_custom_command(OUTPUT ${SWAYBOARD_WINDOWS_ZIP}
  COMMAND ${CMAKE_COMMAND}
    -DSOURCE_DIR=${CMAKE_SOURCE_DIR}
    -DDEPS_DIR=${SWAYBOARD_WINDOWS_PREFIX}/..
    -DSTAGE_DIR=${CMAKE_BINARY_DIR}/zip
    -DNAME=swayboard-${PROJECT_VERSION}-windows-x86_64
    -DVERSION=${PROJECT_VERSION}
    "-DPROGRAMS=$<TARGET_FILE:swayboard>;$<TARGET_FILE:swayboard-capture>;${SDL_DLL}"
    -DSTRIP=${CMAKE_STRIP}
    -DZIP=${SWAYBOARD_WINDOWS_ZIP}
    -P ${CMAKE_SOURCE_DIR}/cmake/windows/make_zip.cmake
  DEPENDS swayboard swayboard-capture ${SDL_DLL} ${CMAKE_SOURCE_DIR}/cmake/windows/make_zip.cmake
    ${CMAKE_SOURCE_DIR}/packaging/windows/README.txt ${CMAKE_SOURCE_DIR}/packaging/copyright
  COMMENT "Packing ${SWAYBOARD_WINDOWS_ZIP}"
  VERBATIM)
add_custom_target(windows_zip ALL DEPENDS ${SWAYBOARD_WINDOWS_ZIP})
