// Widget tests run headless under a real QApplication.
#include "platform/gst/gstinit.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <clocale>

int main(int argc, char **argv)
{
    // Headless unless a test runs under a real X server with a window manager on purpose.
    if (!qEnvironmentVariableIsSet("SENDRA_TEST_WM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    platform::initGStreamer();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
