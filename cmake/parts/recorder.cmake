# recorder.cmake -- the recorder (swayboard-capture): PNG frames, video through ffmpeg, WAV; its tests and preview

# Everything of the recorder but its entry point, so that the tests can call the units.
# On Windows it makes no video (the encoder there only says so).
if(WIN32)
  set(recorder_system_sources recorder/encoder_windows.cpp recorder/system_windows.cpp)
else()
  set(recorder_system_sources recorder/encoder.cpp recorder/system_linux.cpp)
endif()
add_library(swayboard_recorder STATIC ${recorder_system_sources}
  recorder/options.cpp recorder/output.cpp recorder/progress.cpp recorder/sound.cpp)
target_include_directories(swayboard_recorder PUBLIC ${CMAKE_SOURCE_DIR})
# The real audio stand-in: the recorder mixes the tune offline exactly as the device callback does.
target_link_libraries(swayboard_recorder PUBLIC swayboard_core swayboard_audio)

add_executable(swayboard-capture recorder/capture.cpp recorder/surface_png.cpp)
target_link_libraries(swayboard-capture PRIVATE swayboard_recorder swayboard_core swayboard_archive swayboard_os
  swayboard_audio swayboard_png)

if(NOT SWAYBOARD_TESTS)
  return()
endif()

# The units, in process.
add_executable(recorder_units_test tests/recorder/options_test.cpp tests/recorder/sound_test.cpp
  tests/recorder/progress_test.cpp)
target_link_libraries(recorder_units_test PRIVATE swayboard_recorder swayboard_test_support swayboard_core swayboard_archive
  swayboard_os GTest::gtest_main)
gtest_discover_tests(recorder_units_test DISCOVERY_TIMEOUT 60
  PROPERTIES ENVIRONMENT "SDL_VIDEODRIVER=dummy;SDL_AUDIODRIVER=dummy")

# The program as a user runs it, with ffmpeg decoding and probing what it wrote.
add_executable(recorder_video_test tests/recorder/video_test.cpp)
target_link_libraries(recorder_video_test PRIVATE swayboard_recorder swayboard_test_support swayboard_core swayboard_archive
  swayboard_os GTest::gtest_main PNG::PNG)
add_dependencies(recorder_video_test swayboard-capture)
gtest_discover_tests(recorder_video_test DISCOVERY_TIMEOUT 60
  PROPERTIES LABELS "recorder" TIMEOUT 600
  ENVIRONMENT "SWAYBOARD_CAPTURE=$<TARGET_FILE:swayboard-capture>;SDL_VIDEODRIVER=dummy;SDL_AUDIODRIVER=dummy;${SWAYBOARD_E2E_ENV}")
