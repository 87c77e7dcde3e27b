// Sendra-CAM Viewer: start-up.
#include "app/commandline.h"
#include "app/main/cameralisting.h"
#include "app/main/systemservices.h"
#include "app/singleinstance.h"
#include "app/terminationwatcher.h"
#include "app/ui/mainwindow.h"
#include "app/ui/sendraapplication.h"

#include "platform/clock.h"
#include "platform/diagnosticslog.h"
#include "platform/gst/gstinit.h"
#include "state/usersettings.h"

#include <QApplication>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <clocale>
#include <cstdio>
#include <optional>

namespace {

// Answers --help, --version and bad options before any window system is reached, so they work
// over ssh and in scripts. nullopt: go on and start the viewer.
std::optional<int> answerCommandLine(int &argc, char **argv)
{
    QCoreApplication probe(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("sendra-cam"));
    // The parser's own texts ("Usage:", "Unknown option") in the user's language, from Qt's translations.
    QTranslator qtTexts;
    if (qtTexts.load(QLocale(), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&qtTexts);
    const app::CommandLine command = app::parseCommandLine(QCoreApplication::arguments());
    std::fputs(command.output.toLocal8Bit().constData(), stdout);
    std::fputs(command.error.toLocal8Bit().constData(), stderr);
    if (command.virtualCamera && qEnvironmentVariableIsEmpty("SENDRA_CAM_VIRTUAL_CAMERA"))
        qputenv("SENDRA_CAM_VIRTUAL_CAMERA", "1");
    if (command.action == app::CommandLine::Action::ListCameras) {
        const app::CameraListing listing = app::listCameras();
        std::fputs(listing.output.toLocal8Bit().constData(), stdout);
        std::fputs(listing.errors.toLocal8Bit().constData(), stderr);
        return 0;
    }
    if (command.action != app::CommandLine::Action::Run)
        return command.exitCode;
    return std::nullopt;
}

} // namespace

int main(int argc, char **argv)
{
    if (const std::optional<int> exitCode = answerCommandLine(argc, argv))
        return *exitCode;

    // Window presets and pixel-exact drawing assume one logical pixel per device pixel.
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
    QApplication application(argc, argv);
    // Labels and files always use "." as the decimal point, whatever the user's locale.
    std::setlocale(LC_NUMERIC, "C");
    QApplication::setApplicationName(QStringLiteral("sendra-cam"));
    QApplication::setApplicationDisplayName(QString());
    QApplication::setDesktopFileName(QStringLiteral("sendra-cam"));

    platform::DiagnosticsLog log;
    // A second start on this display with this profile folder hands over to the running viewer
    // before it touches the camera or the settings, and says so.
    const QString platformName = QGuiApplication::platformName();
    app::SingleInstance instance(app::SingleInstance::defaultSocketPath(platformName));
    const auto handedOver = [&platformName] {
        const QString display = app::SingleInstance::displayKey(platformName, qEnvironmentVariable("DISPLAY"),
                                                                qEnvironmentVariable("WAYLAND_DISPLAY"));
        std::fputs(app::SingleInstance::handOverNotice(display, state::UserPaths::profileDirFromEnvironment())
                       .toLocal8Bit()
                       .constData(),
                   stderr);
        return 0;
    };
    if (instance.handOver())
        return handedOver();
    if (QString error; !instance.listen(error)) {
        if (instance.handOver())
            return handedOver();
        log.append(QStringLiteral("Second starts cannot find this window: ") + error);
    }

    platform::initGStreamer();
    platform::SystemClock clock;
    app::SystemServices system(QApplication::applicationDirPath(), log);
    app::ui::SendraApplication program(QApplication::applicationDirPath(), log, clock, system.services());

    QObject::connect(&instance, &app::SingleInstance::activationRequested, &program.window(), [&program, &log] {
        QWidget &window = program.window();
        window.setWindowState(window.windowState() & ~Qt::WindowMinimized);
        window.show();
        window.raise();
        window.activateWindow();
        log.append(QStringLiteral("Second start: window brought to the front"));
    });

    // A desktop session ending, `kill` or Ctrl+C close the window as its close box does.
    app::TerminationWatcher termination;
    QObject::connect(&termination, &app::TerminationWatcher::terminationRequested, &program.window(),
                     [&program](int) { program.closeForTermination(); });

    program.window().show();
    return application.exec();
}
