# spine_tests.cmake -- tests that need an archive lacking a file, and the end-to-end tests of the intro

function(swayboard_missing_file_test name source missing)
  set(files ${SWAYBOARD_ARCHIVE_FILES})
  list(REMOVE_ITEM files ${missing})
  swayboard_add_archive(${name}_archive ${files})
  add_executable(${name} ${source})
  target_link_libraries(${name} PRIVATE swayboard_test_support swayboard_core ${name}_archive swayboard_os
    swayboard_audio GTest::gtest_main)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES ENVIRONMENT "SDL_VIDEODRIVER=dummy")
endfunction()

swayboard_missing_file_test(missing_background_test tests/missing/without_background_test.cpp tausta.bmp)
swayboard_missing_file_test(missing_page_text_test tests/missing/without_page_text_test.cpp text1.txt)
