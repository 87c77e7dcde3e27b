#include "platform/gst/gstinit.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

// The device tests run the real libudev, open() and ioctl() against a umockdev testbed, which
// only works with libumockdev-preload loaded before everything else. ctest starts us through
// umockdev-wrapper; started by hand we load it ourselves by starting again.
int main(int argc, char **argv)
{
    const char *preload = std::getenv("LD_PRELOAD");
    if (!preload || !std::strstr(preload, "libumockdev-preload")) {
        std::string value = "libumockdev-preload.so.0";
        if (preload && *preload)
            value += std::string(":") + preload;
        setenv("LD_PRELOAD", value.c_str(), 1);
        execv("/proc/self/exe", argv);
        std::perror("cannot start again with libumockdev-preload");
        return 2;
    }
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    platform::initGStreamer();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
