# tools_music.cmake -- the module composer, the WAV renderer and the tests of the committed module
get_filename_component(MUSIC_TOOLS_ROOT ${CMAKE_CURRENT_LIST_DIR}/../.. ABSOLUTE)

# Writing, reading, synthesis and libopenmpt rendering, shared by the tools and the test.
add_library(music_xm_tools STATIC
  ${MUSIC_TOOLS_ROOT}/tools/music/xm_writer.cpp
  ${MUSIC_TOOLS_ROOT}/tools/music/xm_reader.cpp
  ${MUSIC_TOOLS_ROOT}/tools/music/xm_synth.cpp
  ${MUSIC_TOOLS_ROOT}/tools/music/xm_playback.cpp)
target_include_directories(music_xm_tools PUBLIC ${MUSIC_TOOLS_ROOT})
target_link_libraries(music_xm_tools PUBLIC PkgConfig::OPENMPT swayboard_xm)
# The same composer must write the same bytes on any machine: no fused multiply-adds.
target_compile_options(music_xm_tools PRIVATE -ffp-contract=off)

# compose_xm resources/data/ormivaara.xm  -- regenerates the module
add_executable(compose_xm ${MUSIC_TOOLS_ROOT}/tools/music/compose_xm.cpp)
target_link_libraries(compose_xm PRIVATE music_xm_tools)
target_compile_options(compose_xm PRIVATE -ffp-contract=off)

# render_xm resources/data/ormivaara.xm /tmp/song.wav [passes]  -- for listening
add_executable(render_xm ${MUSIC_TOOLS_ROOT}/tools/music/render_xm.cpp)
target_link_libraries(render_xm PRIVATE music_xm_tools)

add_executable(tools_xm_module_test ${MUSIC_TOOLS_ROOT}/tests/tools/music/xm_module_test.cpp)
target_link_libraries(tools_xm_module_test PRIVATE music_xm_tools tools_common GTest::gtest_main)
target_compile_definitions(tools_xm_module_test PRIVATE
  SWAYBOARD_SOURCE_DIR="${MUSIC_TOOLS_ROOT}"
  COMPOSE_XM_PATH="$<TARGET_FILE:compose_xm>")
add_dependencies(tools_xm_module_test compose_xm)
gtest_discover_tests(tools_xm_module_test DISCOVERY_TIMEOUT 60)
