#include "platform/gst/gstinit.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <clocale>

// The browser tests build widgets; the offscreen platform keeps every test headless. GStreamer
// writes and reads the videos of the thumbnail tests.
int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    platform::initGStreamer();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
