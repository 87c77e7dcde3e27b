# The scale bar: drawing its layer against a memcpy of the layer, and a burn-in save with 50
# shapes against a plain JPEG save of the same frame.
sendra_add_benchmark(scalebar_bench ${CMAKE_CURRENT_LIST_DIR}/scalebar_bench.cpp)
target_link_libraries(scalebar_bench PRIVATE sendra::measure_ui)
target_include_directories(scalebar_bench PRIVATE ${CMAKE_CURRENT_LIST_DIR})
