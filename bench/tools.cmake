# Automation tools: a 300-frame 1600 x 1200 MJPEG clip to BMP and JPEG files, and 300 JPEGs into an
# uncompressed and an MJPEG AVI, each against the ffmpeg tool doing the same work in the same run.
sendra_add_benchmark(tools_bench tools_bench.cpp)
target_link_libraries(tools_bench PRIVATE sendra::tools sendra::platform_gst Qt6::Gui PkgConfig::GST)
