# e2e_tests.cmake -- the end-to-end tests: the intro in a virtual X server (window, input, sound), and the capture program run as a user would

# End to end: the intro itself in a virtual X server, driven by xdotool.
find_program(XVFB Xvfb)
set(WITH_X_SERVER sh ${CMAKE_SOURCE_DIR}/tests/e2e/with_x_server.sh)
find_program(XDOTOOL xdotool)
find_program(OPENBOX openbox)
find_package(X11)
if(XVFB AND XDOTOOL AND OPENBOX AND X11_FOUND AND X11_Xfixes_FOUND)
  add_executable(window_e2e_test tests/e2e/window_e2e_test.cpp)
  target_link_libraries(window_e2e_test PRIVATE swayboard_test_support swayboard_core swayboard_archive
    swayboard_os swayboard_audio GTest::gtest_main X11::X11 X11::Xfixes)
  set(window_e2e_env "SWAYBOARD_INTRO=$<TARGET_FILE:swayboard>;SWAYBOARD_CAPTURE=$<TARGET_FILE:swayboard-capture>;${SWAYBOARD_E2E_ENV}")
  add_test(NAME window_e2e
    COMMAND ${WITH_X_SERVER} 1024x768x24
      ${CMAKE_SOURCE_DIR}/tests/e2e/with_window_manager.sh $<TARGET_FILE:window_e2e_test>)
  set_tests_properties(window_e2e PROPERTIES ENVIRONMENT "${window_e2e_env}" TIMEOUT 900 LABELS "e2e")
  # The window's scale on today's larger desktops (1024x768 is covered by the run above).
  foreach(desktop 2560x1440 3840x2160)
    add_test(NAME window_scale_e2e_${desktop}
      COMMAND ${WITH_X_SERVER} ${desktop}x24
        ${CMAKE_SOURCE_DIR}/tests/e2e/with_window_manager.sh $<TARGET_FILE:window_e2e_test>
        --gtest_filter=window_scale.*)
    set_tests_properties(window_scale_e2e_${desktop} PROPERTIES ENVIRONMENT "${window_e2e_env}" TIMEOUT 900 LABELS "e2e")
  endforeach()
  add_dependencies(window_e2e_test swayboard swayboard-capture)
else()
  message(WARNING "Xvfb, xdotool, openbox or the X11 and Xfixes headers are missing: no end-to-end tests")
endif()

# The sound: a disk audio device, and no device at all.
if(XVFB AND XDOTOOL)
  add_test(NAME audio_e2e
    COMMAND ${WITH_X_SERVER} 1024x768x24
      sh ${CMAKE_SOURCE_DIR}/tests/e2e/audio_e2e.sh $<TARGET_FILE:swayboard>)
  set_tests_properties(audio_e2e PROPERTIES TIMEOUT 600 LABELS "e2e"
    ENVIRONMENT "${SWAYBOARD_E2E_ENV}")
else()
  message(WARNING "Xvfb or xdotool is missing: no end-to-end test of the sound")
endif()

# The headless capture tool, run as a user would.
add_executable(capture_test tests/recorder/capture_test.cpp)
target_link_libraries(capture_test PRIVATE swayboard_test_support swayboard_core swayboard_archive swayboard_os
  swayboard_audio GTest::gtest_main PNG::PNG)
add_dependencies(capture_test swayboard-capture)
gtest_discover_tests(capture_test DISCOVERY_TIMEOUT 60
  PROPERTIES ENVIRONMENT "SWAYBOARD_CAPTURE=$<TARGET_FILE:swayboard-capture>;SDL_VIDEODRIVER=dummy;${SWAYBOARD_E2E_ENV}")
