# The overlay over the live video: compositing a full-frame reference (key and alpha) onto a
# 1600 x 1200 frame against a memcpy of the frame, and the video widget's paint with it.
sendra_add_benchmark(overlay_bench ${CMAKE_CURRENT_LIST_DIR}/overlay_bench.cpp)
target_link_libraries(overlay_bench PRIVATE sendra::camera_ui Qt6::Widgets)
