# Edge snapping: snapping one clicked point and fitting one circle by edge on a 1600 x 1200
# picture, each against a memcpy of the picture.
sendra_add_benchmark(snapping_bench ${CMAKE_CURRENT_LIST_DIR}/snapping_bench.cpp)
target_link_libraries(snapping_bench PRIVATE sendra::measure)
target_include_directories(snapping_bench PRIVATE ${CMAKE_CURRENT_LIST_DIR})
