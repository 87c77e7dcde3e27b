# The made-up hardware of the device suite (a umockdev testbed and V4L2 drivers answering
# ioctls), shared by the device tests and the camera-listing benchmark. Either may include this
# first; the library is defined once.
if(NOT TARGET sendra_device_testbed)
    pkg_check_modules(UMOCKDEV REQUIRED IMPORTED_TARGET umockdev-1.0)
    find_program(UMOCKDEV_WRAPPER umockdev-wrapper REQUIRED)
    add_library(sendra_device_testbed STATIC ${CMAKE_CURRENT_LIST_DIR}/mockdevices.cpp)
    target_include_directories(sendra_device_testbed PUBLIC ${CMAKE_CURRENT_LIST_DIR})
    target_link_libraries(sendra_device_testbed PUBLIC Qt6::Core PkgConfig::UMOCKDEV)
    sendra_set_warnings(sendra_device_testbed)
endif()
