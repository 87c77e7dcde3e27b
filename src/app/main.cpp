// Sendra-CAM Viewer: start-up.
#include "app/terminationwatcher.h"
#include "app/ui/mainwindow.h"
#include "app/ui/sendraapplication.h"

#include "platform/clock.h"
#include "platform/diagnosticslog.h"
#include "platform/gst/gstinit.h"

#include <QApplication>

#include <clocale>

int main(int argc, char **argv)
{
    // Window presets and pixel-exact drawing assume one logical pixel per device pixel.
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
    QApplication application(argc, argv);
    // Labels and files always use "." as the decimal point, whatever the user's locale.
    std::setlocale(LC_NUMERIC, "C");
    QApplication::setApplicationName(QStringLiteral("sendra-cam"));
    QApplication::setApplicationDisplayName(QString());
    QApplication::setDesktopFileName(QStringLiteral("sendra-cam"));
    platform::initGStreamer();

    platform::DiagnosticsLog log;
    platform::SystemClock clock;
    app::ui::SendraApplication program(QApplication::applicationDirPath(), log, clock);

    // A desktop session ending, `kill` or Ctrl+C close the window as its close box does.
    app::TerminationWatcher termination;
    QObject::connect(&termination, &app::TerminationWatcher::terminationRequested, &program.window(),
                     [&program](int) { program.closeForTermination(); });

    program.window().show();
    return application.exec();
}
