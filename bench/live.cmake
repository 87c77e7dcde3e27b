# The MJPEG live path: preview CPU at the size shown and a No Compressor recording against a bare
# decode chain, and the UI thread's cost of a shown frame against a memcpy.
sendra_add_benchmark(live_bench ${CMAKE_CURRENT_LIST_DIR}/live_bench.cpp)
target_link_libraries(live_bench PRIVATE sendra::camera_ui sendra::platform_gst Qt6::Widgets PkgConfig::TURBOJPEG)
target_include_directories(live_bench PRIVATE ${CMAKE_CURRENT_LIST_DIR})
