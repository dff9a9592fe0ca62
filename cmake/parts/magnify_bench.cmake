# magnify_bench.cmake -- the magnification's cost a frame at today's display sizes, for Linux and for Windows
# Plain computation: the two units alone, without the video library (whose Windows flags
# would rename main).
add_executable(magnify_bench bench/magnify_bench.cpp platform/video_fit.cpp platform/video_magnify.cpp)
target_include_directories(magnify_bench PRIVATE ${CMAKE_SOURCE_DIR})
