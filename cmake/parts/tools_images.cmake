# tools_images.cmake -- the generator of the three checkerboards, the background and the sprite sheet, and its test

# make_images resources/data [--png sheet.png] [--mock mock.png]  -- regenerates the five bitmaps
add_executable(make_images
  ${CMAKE_SOURCE_DIR}/tools/images/make_images.cpp
  ${CMAKE_SOURCE_DIR}/tools/images/image_logo.cpp
  ${CMAKE_SOURCE_DIR}/tools/images/image_sprite.cpp)
target_include_directories(make_images PRIVATE ${CMAKE_SOURCE_DIR})
target_link_libraries(make_images PRIVATE tools_common swayboard_png)
# The shapes are rasterised in floating point; fused multiply-adds would move
# edge pixels between builds, and the files must come out byte for byte the same.
target_compile_options(make_images PRIVATE -ffp-contract=off)

# Writes the bitmaps straight into resources/data; never part of a normal build.
add_custom_target(regenerate_images
  COMMAND make_images ${CMAKE_SOURCE_DIR}/resources/data
  DEPENDS make_images
  COMMENT "Regenerating the five bitmaps in resources/data"
  VERBATIM)

add_executable(tools_images_test ${CMAKE_SOURCE_DIR}/tests/tools/images/make_images_test.cpp
  ${CMAKE_SOURCE_DIR}/tests/tools/data_file.cpp)
target_link_libraries(tools_images_test PRIVATE tools_common GTest::gtest_main)
target_include_directories(tools_images_test PRIVATE ${CMAKE_SOURCE_DIR})
target_compile_definitions(tools_images_test PRIVATE
  SWAYBOARD_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
  MAKE_IMAGES_PATH="$<TARGET_FILE:make_images>")
add_dependencies(tools_images_test make_images)
gtest_discover_tests(tools_images_test DISCOVERY_TIMEOUT 60)
