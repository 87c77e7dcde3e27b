# Measurement drawing: a mouse-move redraw against a plain copy of the layer, and a history
# repaint against the same number of single-shape redraws.
sendra_add_benchmark(measure_bench ${CMAKE_CURRENT_LIST_DIR}/measure_bench.cpp)
target_link_libraries(measure_bench PRIVATE sendra::measure)
