# Playback: extracting frame 30 of an AVI in memory against the ffmpeg tool extracting the same
# frame to a BMP file, measured in the same run.
sendra_add_benchmark(playback_bench playback_bench.cpp)
target_link_libraries(playback_bench PRIVATE sendra::platform_gst Qt6::Gui PkgConfig::GST)
