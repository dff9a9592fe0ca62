# web.cmake -- the show for a web page: the intro's units with the page's platform layers, linked by emscripten
#
# Configured through emcmake (see `make web`) with SWAYBOARD_WEB_PREFIX at the WebAssembly
# builds of classic SDL 1.2 and libopenmpt that tools/deps/build_web_deps.sh makes. The
# page's files (index.html and its scripts from web/; swayboard.js and .wasm, the show;
# swayboard-sound.js and .wasm, its sound worklet) go to SWAYBOARD_WEB_OUT.

set(SWAYBOARD_WEB_PREFIX "" CACHE PATH "Prefix of the WebAssembly builds of SDL 1.2 and libopenmpt")
set(SWAYBOARD_WEB_OUT ${CMAKE_BINARY_DIR} CACHE PATH "Where the page's files are written")
foreach(file include/SDL/SDL.h lib/libSDL.a include/libopenmpt/libopenmpt.h lib/libopenmpt.a)
  if(NOT EXISTS ${SWAYBOARD_WEB_PREFIX}/${file})
    message(FATAL_ERROR "${SWAYBOARD_WEB_PREFIX}/${file} is missing: build it with tools/deps/build_web_deps.sh")
  endif()
endforeach()

# NOTE: emcc turns -lSDL into its own JavaScript SDL and puts its own SDL headers on the
# include path. Classic SDL is linked by its path, and its headers come in through -I
# (not as a system directory), which the compiler searches before emcc's own.
add_library(web_sdl INTERFACE)
target_include_directories(web_sdl INTERFACE ${SWAYBOARD_WEB_PREFIX}/include/SDL)
target_compile_definitions(web_sdl INTERFACE _GNU_SOURCE=1)
target_link_libraries(web_sdl INTERFACE ${SWAYBOARD_WEB_PREFIX}/lib/libSDL.a)
add_library(PkgConfig::SDL ALIAS web_sdl)
add_library(web_openmpt INTERFACE)
target_include_directories(web_openmpt INTERFACE ${SWAYBOARD_WEB_PREFIX}/include)
target_link_libraries(web_openmpt INTERFACE ${SWAYBOARD_WEB_PREFIX}/lib/libopenmpt.a)
add_library(PkgConfig::OPENMPT ALIAS web_openmpt)

# The page's platform: sleeping that yields to the browser, its clock, the canvas and its
# input, and the music handed to the sound worklet (or mixed here when the browser has none).
add_library(swayboard_os STATIC platform/os_web.cpp platform/random.cpp platform/video_web.cpp platform/video_fit.cpp)
target_include_directories(swayboard_os PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(swayboard_os PUBLIC PkgConfig::SDL)
add_library(swayboard_audio STATIC platform/bass_modules.cpp platform/bass_web.cpp platform/bass_one_thread.cpp)
target_include_directories(swayboard_audio PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(swayboard_audio PUBLIC PkgConfig::OPENMPT swayboard_xm)

add_executable(swayboard web/main.cpp)
target_link_libraries(swayboard PRIVATE swayboard_core swayboard_archive swayboard_os swayboard_audio)
set_target_properties(swayboard PROPERTIES SUFFIX ".js" RUNTIME_OUTPUT_DIRECTORY ${SWAYBOARD_WEB_OUT})
# ASYNCIFY lets the frame loop sleep as it does on the desktop. NOTE: ignoring indirect
# calls shrinks the code, and is safe only while every path to a sleep is made of direct calls.
target_link_options(swayboard PRIVATE
  -sASYNCIFY -sASYNCIFY_IGNORE_INDIRECT -sASYNCIFY_STACK_SIZE=16384
  -sMODULARIZE -sEXPORT_NAME=createSwayboard -sENVIRONMENT=web
  -sEXPORTED_FUNCTIONS=_main,_bass_web_feed
  -sALLOW_MEMORY_GROWTH -sINITIAL_MEMORY=33554432)

# The sound worklet's own small instance: the same mixer and libopenmpt, run on the
# browser's audio thread by web/sound_worklet.js, appended to its loader. NOTE: that scope
# has no fetch, no timers and no document; the page compiles the .wasm and hands it over.
add_executable(swayboard_sound platform/bass_modules.cpp platform/bass_worklet.cpp platform/bass_one_thread.cpp)
target_include_directories(swayboard_sound PRIVATE ${CMAKE_SOURCE_DIR})
target_link_libraries(swayboard_sound PRIVATE PkgConfig::OPENMPT swayboard_xm)
set_target_properties(swayboard_sound PROPERTIES OUTPUT_NAME swayboard-sound SUFFIX ".js"
  RUNTIME_OUTPUT_DIRECTORY ${SWAYBOARD_WEB_OUT} LINK_DEPENDS ${CMAKE_SOURCE_DIR}/web/sound_worklet.js)
target_link_options(swayboard_sound PRIVATE
  -sMODULARIZE -sEXPORT_NAME=createSwayboardSound -sENVIRONMENT=web
  -sEXPORTED_FUNCTIONS=_malloc,_free --extern-post-js ${CMAKE_SOURCE_DIR}/web/sound_worklet.js
  -sALLOW_MEMORY_GROWTH -sINITIAL_MEMORY=16777216)

# The page's own files, copied as they are; constants.js is written from the show's headers.
set(SWAYBOARD_PAGE_FILES index.html run.js layout.js frames.js input.js sound.js)
set(page_outputs ${SWAYBOARD_WEB_OUT}/constants.js)
foreach(file ${SWAYBOARD_PAGE_FILES})
  add_custom_command(OUTPUT ${SWAYBOARD_WEB_OUT}/${file}
    COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/web/${file} ${SWAYBOARD_WEB_OUT}/${file}
    DEPENDS ${CMAKE_SOURCE_DIR}/web/${file})
  list(APPEND page_outputs ${SWAYBOARD_WEB_OUT}/${file})
endforeach()

# page_constant(VAR HEADER NAME): VAR is the number of `constexpr int NAME = number;` in
# HEADER, so that the page and the show write each such number once.
function(page_constant var header name)
  file(STRINGS ${CMAKE_SOURCE_DIR}/${header} line REGEX "^constexpr int ${name} = [0-9]+;")
  if(NOT line MATCHES "= ([0-9]+)")
    message(FATAL_ERROR "${header} has no `constexpr int ${name} = number;` for the page's constants")
  endif()
  set(${var} ${CMAKE_MATCH_1} PARENT_SCOPE)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${header})
endfunction()
page_constant(SCREEN_WIDTH effects/layout.h SCREEN_WIDTH)
page_constant(SCREEN_HEIGHT effects/layout.h SCREEN_HEIGHT)
page_constant(BASS_DEFAULT_RATE platform/bass_device.h BASS_DEFAULT_RATE)
configure_file(${CMAKE_SOURCE_DIR}/web/constants.js.in ${SWAYBOARD_WEB_OUT}/constants.js @ONLY)
add_custom_target(swayboard_page ALL DEPENDS ${page_outputs})
