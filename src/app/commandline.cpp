#include "commandline.h"

#include "app/version.h"

#include <QCommandLineOption>
#include <QCommandLineParser>

namespace app {

namespace {

// Options QGuiApplication and QApplication take themselves; they reach the parser first.
constexpr const char *kToolkitValueOptions[] = {"platform", "platformpluginpath", "platformtheme", "plugin",
                                                "display", "geometry", "qwindowgeometry", "title", "qwindowtitle",
                                                "icon", "qwindowicon", "session", "style", "stylesheet"};
constexpr const char *kToolkitFlagOptions[] = {"reverse", "widgetcount", "nograb", "dograb", "sync"};

QString usageError(const QString &program, const QString &what)
{
    return QStringLiteral("%1: %2\nTry '%1 --help' for more information.\n").arg(program, what);
}

} // namespace

CommandLine parseCommandLine(const QStringList &arguments)
{
    const QString program = QStringLiteral("sendra-cam");
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Sendra-CAM Viewer: live view, stills, clips and calibrated measurement for USB digital "
                       "microscopes and inspection cameras."));
    // Qt's own options are single-dash words ("-platform offscreen").
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption virtualCamera(
        QStringLiteral("virtual-camera"),
        QStringLiteral("Offer the built-in virtual camera (a stage micrometer) beside any real camera, "
                       "as SENDRA_CAM_VIRTUAL_CAMERA=1 does."));
    parser.addOption(virtualCamera);
    const QCommandLineOption listCameras(
        QStringLiteral("list-cameras"),
        QStringLiteral("Print the cameras the viewer offers, one a line (menu name, node, vendor:product, serial or "
                       "port, supported by the bridge channel, capture formats), and the video nodes it leaves out "
                       "on standard error; then exit. Needs no display."));
    parser.addOption(listCameras);
    for (const char *name : kToolkitValueOptions) {
        QCommandLineOption option(QLatin1String(name), QString(), QStringLiteral("value"));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    for (const char *name : kToolkitFlagOptions) {
        QCommandLineOption option{QLatin1String(name), QString{}};
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }

    CommandLine result;
    if (!parser.parse(arguments)) {
        result.action = CommandLine::Action::Fail;
        result.error = usageError(program, parser.errorText());
        result.exitCode = kUsageExitCode;
        return result;
    }
    if (parser.isSet(help) || parser.optionNames().contains(QStringLiteral("help-all"))) {
        result.action = CommandLine::Action::ShowHelp;
        result.output = parser.helpText();
        // The parser keeps the toolkit's own list to itself: name what it passes on.
        if (parser.optionNames().contains(QStringLiteral("help-all"))) {
            QStringList names;
            for (const char *name : kToolkitValueOptions)
                names << QStringLiteral("-%1 <value>").arg(QLatin1String(name));
            for (const char *name : kToolkitFlagOptions)
                names << QLatin1Char('-') + QLatin1String(name);
            result.output += QStringLiteral("\nQt options:\n  ") + names.join(QStringLiteral(", ")) + QLatin1Char('\n');
        }
        return result;
    }
    if (parser.isSet(version)) {
        result.action = CommandLine::Action::ShowVersion;
        result.output = program + QLatin1Char(' ') + QLatin1String(kProgramVersion) + QLatin1Char('\n');
        return result;
    }
    // The viewer opens no files given on the command line; a stray word is a typing error.
    if (!parser.positionalArguments().isEmpty()) {
        result.action = CommandLine::Action::Fail;
        result.error = usageError(program, QStringLiteral("unexpected argument '%1'.").arg(parser.positionalArguments().first()));
        result.exitCode = kUsageExitCode;
        return result;
    }
    result.action = parser.isSet(listCameras) ? CommandLine::Action::ListCameras : CommandLine::Action::Run;
    result.virtualCamera = parser.isSet(virtualCamera);
    return result;
}

} // namespace app
