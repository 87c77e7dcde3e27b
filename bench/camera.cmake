# Camera: UI-thread cost of one 1600 x 1200 frame against a memcpy, and the real preview pipeline
# on the virtual camera against gst-launch-1.0 running the same chain into fakesink.
sendra_add_benchmark(camera_bench camera_bench.cpp)
target_link_libraries(camera_bench PRIVATE sendra::camera_ui sendra::platform_gst Qt6::Widgets)
