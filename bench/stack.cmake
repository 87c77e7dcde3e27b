# Focus stacking (9 frames of 1600 x 1200) against align_image_stack + enfuse on the same frames,
# each run as a process of its own so that wall time and peak memory are the process's; and the
# peak memory of 30 frames. `make bench` installs enfuse and hugin-tools; without them only our
# own figures are printed.
find_package(OpenCV 4 REQUIRED COMPONENTS core imgproc imgcodecs)
sendra_add_benchmark(stack_bench ${CMAKE_CURRENT_LIST_DIR}/stack_bench.cpp)
target_link_libraries(stack_bench PRIVATE sendra::stack sendra::platform_gst opencv_core opencv_imgcodecs Qt6::Gui)
target_include_directories(stack_bench PRIVATE ${CMAKE_SOURCE_DIR}/tests/stack)
target_include_directories(stack_bench SYSTEM PRIVATE ${OpenCV_INCLUDE_DIRS})
