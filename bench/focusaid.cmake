# The focus aids: the streaming thread's score and peaking, histogram and clipping pass, and the
# UI thread's marks, each against a memcpy of the shown frame; the live preview's CPU with every
# aid on against every aid off, on the pre-encoded 1600 x 1200 MJPEG virtual camera.
sendra_add_benchmark(focusaid_bench ${CMAKE_CURRENT_LIST_DIR}/focusaid_bench.cpp)
target_link_libraries(focusaid_bench PRIVATE sendra::camera_ui sendra::platform_gst Qt6::Widgets)
target_include_directories(focusaid_bench PRIVATE ${CMAKE_CURRENT_LIST_DIR})
