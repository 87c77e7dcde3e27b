sendra_add_benchmark(library_bench ${CMAKE_CURRENT_LIST_DIR}/library_bench.cpp)
target_link_libraries(library_bench PRIVATE sendra::library)
target_include_directories(library_bench PRIVATE ${CMAKE_CURRENT_LIST_DIR})
