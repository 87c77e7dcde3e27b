// Widget tests run headless under a real QApplication.
#include "platform/gst/gstinit.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <clocale>

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    platform::initGStreamer();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
