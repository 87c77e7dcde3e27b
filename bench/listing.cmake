# Listing the cameras (names and formats) on a testbed of ten UVC cameras, against a bare libudev
# enumeration plus one VIDIOC_QUERYCAP per node. The testbed is the device suite's.
include(${CMAKE_SOURCE_DIR}/tests/device/testbed.cmake)
sendra_add_benchmark(listing_bench ${CMAKE_CURRENT_LIST_DIR}/listing_bench.cpp)
target_link_libraries(listing_bench PRIVATE sendra_device_testbed sendra::camera sendra::platform_udev PkgConfig::UDEV)
target_include_directories(listing_bench PRIVATE ${CMAKE_CURRENT_LIST_DIR} ${CMAKE_SOURCE_DIR}/tests/device)
