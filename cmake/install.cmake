# install.cmake -- where `cmake --install` puts each file on a Debian system, and the files made for it
#
# The prefix decides the root: the package installs under /usr (the intro as
# /usr/games/swayboard), a plain `cmake --install build` under /usr/local.

include(GNUInstallDirs)
find_program(GZIP gzip REQUIRED)

set(PACKAGING_DIR ${CMAKE_SOURCE_DIR}/packaging)
set(PACKAGING_OUT ${CMAKE_BINARY_DIR}/packaging)
file(MAKE_DIRECTORY ${PACKAGING_OUT})
# The metainfo file is installed under its component id, as software centres look it up.
set(SWAYBOARD_APP_ID example.swayboard.swayboard)

# The desktop icons: the critter drawn at every hicolor size by the image tools, which
# write PNG files; without libpng (no swayboard_png) the menu entry has no icon of its own.
set(icon_files "")
if(TARGET swayboard_png)
  add_executable(make_icons
    ${CMAKE_SOURCE_DIR}/tools/images/make_icons.cpp
    ${CMAKE_SOURCE_DIR}/tools/images/image_sprite.cpp)
  target_include_directories(make_icons PRIVATE ${CMAKE_SOURCE_DIR})
  target_link_libraries(make_icons PRIVATE tools_common swayboard_png)
  # Same as the sprite sheet's generator: no fused multiply-adds, so the same bytes every build.
  target_compile_options(make_icons PRIVATE -ffp-contract=off)

  set(SWAYBOARD_ICON_SIZES 16 22 24 32 48 64 128 256)
  foreach(size IN LISTS SWAYBOARD_ICON_SIZES)
    list(APPEND icon_files ${PACKAGING_OUT}/icons/${size}x${size}/apps/swayboard.png)
  endforeach()
  add_custom_command(OUTPUT ${icon_files}
    COMMAND make_icons ${PACKAGING_OUT}/icons
    DEPENDS make_icons
    COMMENT "Drawing the desktop icons"
    VERBATIM)
endif()

# Manual pages and the changelog go compressed to the highest level and without a
# name or time stamp in the gzip header, so that the same source gives the same bytes.
# The recorder's manual page goes with the recorder.
set(gzipped_sources swayboard.6 changelog)
if(TARGET swayboard-capture)
  list(APPEND gzipped_sources swayboard-capture.1)
endif()
set(gzipped_files "")
foreach(source IN LISTS gzipped_sources)
  set(target ${PACKAGING_OUT}/${source}.gz)
  add_custom_command(OUTPUT ${target}
    COMMAND sh -c "${GZIP} -9n < \"$1\" > \"$2\"" sh ${PACKAGING_DIR}/${source} ${target}
    DEPENDS ${PACKAGING_DIR}/${source}
    VERBATIM)
  list(APPEND gzipped_files ${target})
endforeach()

add_custom_target(install_files ALL DEPENDS ${icon_files} ${gzipped_files})

install(TARGETS swayboard RUNTIME DESTINATION games)
if(TARGET swayboard-capture)
  install(TARGETS swayboard-capture RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${PACKAGING_OUT}/swayboard-capture.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()
install(FILES ${PACKAGING_DIR}/swayboard.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PACKAGING_DIR}/swayboard.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo
  RENAME ${SWAYBOARD_APP_ID}.metainfo.xml)
if(icon_files)
  install(DIRECTORY ${PACKAGING_OUT}/icons/ DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
endif()
install(FILES ${PACKAGING_OUT}/swayboard.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES ${PACKAGING_DIR}/copyright ${PACKAGING_OUT}/changelog.gz
  DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES ${PACKAGING_DIR}/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides
  RENAME swayboard)

if(NOT SWAYBOARD_TESTS)
  return()
endif()

# The icons, read back: sizes, transparency, the character's own colours, the same bytes twice.
add_executable(tools_icons_test ${CMAKE_SOURCE_DIR}/tests/tools/images/make_icons_test.cpp
  ${CMAKE_SOURCE_DIR}/tests/tools/data_file.cpp)
target_include_directories(tools_icons_test PRIVATE ${CMAKE_SOURCE_DIR})
target_link_libraries(tools_icons_test PRIVATE tools_common GTest::gtest_main PNG::PNG)
target_compile_definitions(tools_icons_test PRIVATE MAKE_ICONS_PATH="$<TARGET_FILE:make_icons>"
  SWAYBOARD_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
add_dependencies(tools_icons_test make_icons)
gtest_discover_tests(tools_icons_test DISCOVERY_TIMEOUT 60)
