# tools_fonts_texts.cmake -- the font and text generators, their review renderer and the tests of the files they make
get_filename_component(DATA_FONTS_ROOT ${CMAKE_CURRENT_LIST_DIR}/../.. ABSOLUTE)

# The bold face the scroller font is rasterised from (Debian: fonts-dejavu-core).
set(SWAYBOARD_FONT_FACE /usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf
  CACHE FILEPATH "TrueType face that make_fonts draws the scroller font from")


# make_fonts resources/data  -- rewrites minifontti.bmp and font.bmp
find_package(Freetype)
if(FREETYPE_FOUND)
  add_executable(make_fonts ${DATA_FONTS_ROOT}/tools/fonts/make_fonts.cpp ${DATA_FONTS_ROOT}/tools/fonts/font_mini_glyphs.cpp)
  target_link_libraries(make_fonts PRIVATE tools_common Freetype::Freetype)
  target_compile_definitions(make_fonts PRIVATE SWAYBOARD_DEFAULT_TTF="${SWAYBOARD_FONT_FACE}")
  set(data_fonts_make_fonts "$<TARGET_FILE:make_fonts>")
else()
  message(STATUS "FreeType not found: make_fonts is not built and its regeneration test skips")
  set(data_fonts_make_fonts "")
endif()

# make_texts resources/data  -- rewrites text1.txt and text2.txt
add_executable(make_texts ${DATA_FONTS_ROOT}/tools/texts/make_texts.cpp)
target_link_libraries(make_texts PRIVATE swayboard_glyphs)

# font_review resources/data /tmp/review  -- writes /tmp/review-{sheet,pages,scroll}.png
add_executable(font_review ${DATA_FONTS_ROOT}/tools/fonts/font_review.cpp)
target_link_libraries(font_review PRIVATE tools_common swayboard_glyphs swayboard_png)

add_executable(tools_fonts_texts_test ${DATA_FONTS_ROOT}/tests/tools/fonts/fonts_texts_test.cpp
  ${CMAKE_SOURCE_DIR}/tests/tools/data_file.cpp)
target_link_libraries(tools_fonts_texts_test PRIVATE swayboard_glyphs tools_common GTest::gtest_main)
target_include_directories(tools_fonts_texts_test PRIVATE ${CMAKE_SOURCE_DIR})
target_compile_definitions(tools_fonts_texts_test PRIVATE
  SWAYBOARD_SOURCE_DIR="${DATA_FONTS_ROOT}"
  MAKE_FONTS_PATH="${data_fonts_make_fonts}"
  MAKE_TEXTS_PATH="$<TARGET_FILE:make_texts>"
  FONT_FACE_PATH="${SWAYBOARD_FONT_FACE}")
add_dependencies(tools_fonts_texts_test make_texts)
if(FREETYPE_FOUND)
  add_dependencies(tools_fonts_texts_test make_fonts)
endif()
gtest_discover_tests(tools_fonts_texts_test DISCOVERY_TIMEOUT 60)
