#include "preload.h"

#include "platform/gst/gstinit.h"

#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    devtest::startUnderUmockdevPreload(argv);
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    platform::initGStreamer();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
