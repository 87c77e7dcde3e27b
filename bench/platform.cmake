sendra_add_benchmark(platform_bench ${CMAKE_CURRENT_LIST_DIR}/platform_bench.cpp)
target_link_libraries(platform_bench PRIVATE sendra::platform PkgConfig::TURBOJPEG)
target_include_directories(platform_bench PRIVATE ${CMAKE_CURRENT_LIST_DIR})
