# Media adapters: V4L2 controls and formats, udev discovery and hot-plug, GStreamer pipelines,
# playback, frame extraction and the virtual camera. Logic sees only the value types and
# interfaces at the root of platform/.
add_library(sendra_platform_v4l2 STATIC v4l2/v4l2device.cpp)
add_library(sendra::platform_v4l2 ALIAS sendra_platform_v4l2)
target_link_libraries(sendra_platform_v4l2 PUBLIC sendra::platform)
sendra_set_warnings(sendra_platform_v4l2)

add_library(sendra_platform_udev STATIC udev/udevdevicemonitor.cpp udev/capturenodes.cpp udev/evdevstillbutton.cpp)
add_library(sendra::platform_udev ALIAS sendra_platform_udev)
target_link_libraries(sendra_platform_udev PUBLIC sendra::platform sendra::platform_v4l2 PRIVATE PkgConfig::UDEV)
sendra_set_warnings(sendra_platform_udev)

# make coverage: only the device layer is counted, unoptimised so lines map to code; whatever
# links it links libgcov too.
if(SENDRA_COVERAGE)
    foreach(target sendra_platform_v4l2 sendra_platform_udev)
        target_compile_options(${target} PRIVATE --coverage -O0)
        target_link_options(${target} INTERFACE --coverage)
    endforeach()
endif()

add_library(sendra_platform_gst STATIC
    gst/gstinit.cpp gst/specimen.cpp gst/virtualcamera.cpp gst/gstcapturepipeline.cpp gst/systemmediabackend.cpp
    gst/gstcompressors.cpp gst/gstrecordingbranch.cpp
    gst/sampleimage.cpp gst/frameextractor.cpp gst/gstplaybackengine.cpp gst/gstvideoframereader.cpp gst/gstaviwriter.cpp
    gst/decodechain.cpp)
add_library(sendra::platform_gst ALIAS sendra_platform_gst)
target_link_libraries(sendra_platform_gst PUBLIC sendra::platform sendra::platform_udev sendra::platform_v4l2
                      PkgConfig::GST Qt6::Gui)
sendra_set_warnings(sendra_platform_gst)
