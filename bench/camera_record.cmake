# Camera snapshot: VideoSnapShot + SaveJpgFile at 1600 x 1200 against a bare tjCompress2 + write().
sendra_add_benchmark(camera_record_bench ${CMAKE_CURRENT_LIST_DIR}/camera_record_bench.cpp)
target_link_libraries(camera_record_bench PRIVATE sendra::camera sendra::platform_gst PkgConfig::TURBOJPEG Qt6::Widgets
                      Qt6::Test)
target_include_directories(camera_record_bench PRIVATE ${CMAKE_CURRENT_LIST_DIR})
