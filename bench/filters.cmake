# The still-image filters on a 2592 x 1944 picture against OpenCV's operations for the same jobs
# and against a memcpy of the picture. (OpenCV is in the main package list now, for focus
# stacking; the guard stays for builds without it.)
find_package(OpenCV QUIET COMPONENTS core imgproc)
if(OpenCV_FOUND)
    sendra_add_benchmark(filters_bench ${CMAKE_CURRENT_LIST_DIR}/filters_bench.cpp)
    target_link_libraries(filters_bench PRIVATE sendra::imaging opencv_core opencv_imgproc)
else()
    message(STATUS "OpenCV not found: filters_bench is not built")
endif()
