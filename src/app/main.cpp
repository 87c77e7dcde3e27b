// Sendra-CAM Viewer: start-up.
#include "app/terminationwatcher.h"
#include "app/ui/mainwindow.h"

#include "platform/clock.h"
#include "platform/diagnosticslog.h"
#include "platform/iniprofilestore.h"
#include "platform/localeid.h"
#include "platform/vendor/dlvendorchannel.h"

#include <QApplication>

#include <clocale>
#include <cstdlib>
#include <cstring>

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

    const QString programDir = QApplication::applicationDirPath();
    platform::DiagnosticsLog log;
    platform::SystemClock clock;
    const app::UserPaths paths = app::UserPaths::fromProfileDir(app::UserPaths::profileDirFromEnvironment());
    platform::IniProfileStore settings(paths.settingsFile());
    platform::DlVendorChannel vendor(platform::DlVendorChannel::defaultLibraryPath(programDir));
    if (!vendor.loaded())
        log.append(QStringLiteral("Bridge library not loaded: ") + vendor.loadError());

    const char *noRenderer = std::getenv("SENDRA_CAM_NO_RENDERER");
    app::ui::MainWindowDeps deps{programDir,
                                 paths,
                                 clock,
                                 settings,
                                 vendor,
                                 log,
                                 platform::systemLanguageId(),
                                 !(noRenderer && std::strcmp(noRenderer, "1") == 0),
                                 nullptr};
    app::ui::MainWindow window(std::move(deps));

    app::TerminationWatcher termination;
    QObject::connect(&termination, &app::TerminationWatcher::terminationRequested, &window, [&window](int) {
        window.close();
    });

    window.show();
    return application.exec();
}
