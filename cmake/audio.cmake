# audio.cmake -- the audio library stand-ins: the real one (libopenmpt into SDL audio) and a recording one for tests

# The real stand-in: decodes and mixes with libopenmpt (bass_modules), played through SDL audio (bass_sdl).
add_library(swayboard_audio STATIC platform/bass_modules.cpp platform/bass_sdl.cpp)
target_include_directories(swayboard_audio PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(swayboard_audio PUBLIC PkgConfig::SDL PkgConfig::OPENMPT swayboard_xm)

# The recording stand-in: remembers every call and answers as a test tells it to.
add_library(swayboard_audio_record STATIC platform/bass_record.cpp)
target_include_directories(swayboard_audio_record PUBLIC ${CMAKE_SOURCE_DIR})

# The frame's cost with and without music playing, and the cost of mixing (run by hand).
# It shares the tests' headless display, so it comes with them.
if(SWAYBOARD_TESTS)
  add_executable(music_frame_bench bench/music_frame_bench.cpp)
  target_link_libraries(music_frame_bench PRIVATE swayboard_test_support swayboard_core swayboard_archive swayboard_os
    swayboard_audio)
endif()
