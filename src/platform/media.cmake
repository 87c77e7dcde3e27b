# Media adapters: V4L2 controls and formats, udev discovery and hot-plug, GStreamer pipelines and
# the virtual camera. Camera logic sees only the value types and interfaces of their headers.
add_library(sendra_platform_v4l2 STATIC v4l2/uniquefd.cpp v4l2/v4l2device.cpp)
add_library(sendra::platform_v4l2 ALIAS sendra_platform_v4l2)
target_link_libraries(sendra_platform_v4l2 PUBLIC sendra::platform)
sendra_set_warnings(sendra_platform_v4l2)

add_library(sendra_platform_udev STATIC udev/devicerecord.cpp udev/udevdevicemonitor.cpp udev/evdevstillbutton.cpp)
add_library(sendra::platform_udev ALIAS sendra_platform_udev)
target_link_libraries(sendra_platform_udev PUBLIC sendra::platform sendra::platform_v4l2 PRIVATE PkgConfig::UDEV)
sendra_set_warnings(sendra_platform_udev)

set(sendra_gst_sources)
foreach(f gst/mediatypes.cpp gst/gstinit.cpp gst/specimen.cpp gst/virtualcamera.cpp gst/gstcapturepipeline.cpp
          gst/systemmediabackend.cpp
          gst/gstcompressors.cpp gst/gstrecordingbranch.cpp)
    if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${f})
        list(APPEND sendra_gst_sources ${f})
    endif()
endforeach()
add_library(sendra_platform_gst STATIC ${sendra_gst_sources})
add_library(sendra::platform_gst ALIAS sendra_platform_gst)
target_link_libraries(sendra_platform_gst PUBLIC sendra::platform sendra::platform_udev sendra::platform_v4l2
                      PkgConfig::GST Qt6::Gui)
sendra_set_warnings(sendra_platform_gst)
