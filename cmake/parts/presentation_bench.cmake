# presentation_bench.cmake -- the presentation benchmark: the real show in a window, timed (make presentation-bench)
add_executable(presentation_bench bench/presentation_bench.cpp)
target_link_libraries(presentation_bench PRIVATE swayboard_core swayboard_archive swayboard_os swayboard_audio_record)
# It reads its own window's size from the X server.
find_package(X11)
if(X11_FOUND)
  target_link_libraries(presentation_bench PRIVATE X11::X11)
else()
  set_target_properties(presentation_bench PROPERTIES EXCLUDE_FROM_ALL ON)
  message(WARNING "the X11 headers are missing: no presentation benchmark")
endif()

# The magnification's cost a frame, full screen and in a window (also built for Windows).
include(cmake/parts/magnify_bench.cmake)
