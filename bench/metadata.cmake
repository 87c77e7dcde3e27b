sendra_add_benchmark(metadata_bench ${CMAKE_CURRENT_LIST_DIR}/metadata_bench.cpp)
target_link_libraries(metadata_bench PRIVATE sendra::measure)
target_include_directories(metadata_bench PRIVATE ${CMAKE_CURRENT_LIST_DIR})
