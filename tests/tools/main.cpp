#include "fakes.h"
#include "platform/gst/gstinit.h"

#include <QApplication>

#include <gtest/gtest.h>

// Widgets and GStreamer in one process, headless: QT_QPA_PLATFORM=offscreen comes from ctest.
int main(int argc, char **argv)
{
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    platform::initGStreamer();
    // Nothing here should touch the profile; if something did, it lands in a throw-away folder.
    fakes::TemporaryProfile profile;
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
