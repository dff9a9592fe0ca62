# audio_e2e.cmake -- the end-to-end test of the intro's sound: a disk audio device, and no device at all
find_program(XVFB_RUN xvfb-run)
find_program(XDOTOOL xdotool)
if(XVFB_RUN AND XDOTOOL)
  add_test(NAME audio_e2e
    COMMAND ${XVFB_RUN} -a -s "-screen 0 1024x768x24"
      sh ${CMAKE_SOURCE_DIR}/tests/e2e/audio_e2e.sh $<TARGET_FILE:swayboard>)
  set_tests_properties(audio_e2e PROPERTIES TIMEOUT 600 LABELS "e2e"
    ENVIRONMENT "${SWAYBOARD_E2E_ENV}")
else()
  message(WARNING "xvfb-run or xdotool is missing: no end-to-end test of the sound")
endif()
