#include <QGuiApplication>

#include <gtest/gtest.h>

#include <clocale>

// Text rendering needs a GUI application; the offscreen platform keeps the tests headless.
int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
