// The command line, the hand-over of a second start and the program's exit statuses: in
// process for the parts, and on the real executable for what a user types.
#include "app/commandline.h"
#include "app/singleinstance.h"
#include "app/version.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <future>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

using app::CommandLine;

CommandLine parse(QStringList arguments)
{
    arguments.prepend(QStringLiteral("sendra-cam"));
    return app::parseCommandLine(arguments);
}

TEST(CommandLineTest, AnswersHelpVersionAndUsageErrors)
{
    const CommandLine help = parse({QStringLiteral("--help")});
    EXPECT_EQ(help.action, CommandLine::Action::ShowHelp);
    EXPECT_TRUE(help.output.contains(QLatin1String("--virtual-camera")));
    EXPECT_TRUE(help.output.contains(QLatin1String("--version")));
    EXPECT_FALSE(help.output.contains(QLatin1String("platform")));   // the toolkit's options stay hidden
    EXPECT_EQ(parse({QStringLiteral("-h")}).action, CommandLine::Action::ShowHelp);
    const CommandLine all = parse({QStringLiteral("--help-all")});
    EXPECT_EQ(all.action, CommandLine::Action::ShowHelp);
    EXPECT_TRUE(all.output.contains(QLatin1String("-platform <value>"))) << all.output.toStdString();

    const CommandLine version = parse({QStringLiteral("--version")});
    EXPECT_EQ(version.action, CommandLine::Action::ShowVersion);
    EXPECT_EQ(version.output, QStringLiteral("sendra-cam %1\n").arg(QLatin1String(app::kProgramVersion)));
    EXPECT_EQ(QLatin1String(app::kProgramVersion), QLatin1String("2.407.5"));

    const CommandLine bogus = parse({QStringLiteral("--bogus")});
    EXPECT_EQ(bogus.action, CommandLine::Action::Fail);
    EXPECT_EQ(bogus.exitCode, 2);
    EXPECT_TRUE(bogus.error.contains(QLatin1String("Unknown option 'bogus'"))) << bogus.error.toStdString();
    EXPECT_TRUE(bogus.error.contains(QLatin1String("--help")));

    const CommandLine stray = parse({QStringLiteral("picture.bmp")});
    EXPECT_EQ(stray.action, CommandLine::Action::Fail);
    EXPECT_EQ(stray.exitCode, 2);
    EXPECT_TRUE(stray.error.contains(QLatin1String("'picture.bmp'")));
}

TEST(CommandLineTest, RunsWithTheVirtualCameraOrTheToolkitsOwnOptions)
{
    const CommandLine plain = parse({});
    EXPECT_EQ(plain.action, CommandLine::Action::Run);
    EXPECT_FALSE(plain.virtualCamera);
    const CommandLine virtualCamera = parse({QStringLiteral("--virtual-camera")});
    EXPECT_EQ(virtualCamera.action, CommandLine::Action::Run);
    EXPECT_TRUE(virtualCamera.virtualCamera);
    // QApplication takes these itself after the parser has seen them.
    const CommandLine toolkit = parse({QStringLiteral("-platform"), QStringLiteral("offscreen"),
                                       QStringLiteral("-style"), QStringLiteral("Fusion"), QStringLiteral("-reverse")});
    EXPECT_EQ(toolkit.action, CommandLine::Action::Run) << toolkit.error.toStdString();
    EXPECT_EQ(parse({QStringLiteral("-platform")}).exitCode, 2);   // its value is missing
}

TEST(CommandLineTest, ListCamerasAnswersWithoutAWindowAndTakesTheVirtualCamera)
{
    const CommandLine list = parse({QStringLiteral("--list-cameras")});
    EXPECT_EQ(list.action, CommandLine::Action::ListCameras);
    EXPECT_FALSE(list.virtualCamera);
    const CommandLine both = parse({QStringLiteral("--list-cameras"), QStringLiteral("--virtual-camera")});
    EXPECT_EQ(both.action, CommandLine::Action::ListCameras);
    EXPECT_TRUE(both.virtualCamera);
    EXPECT_TRUE(parse({QStringLiteral("--help")}).output.contains(QLatin1String("--list-cameras")));
}

// A socket file nobody listens on, as a crashed run leaves it.
void leaveStaleSocket(const QString &path)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray bytes = QFile::encodeName(path);
    ASSERT_LT(size_t(bytes.size()), sizeof address.sun_path);
    std::memcpy(address.sun_path, bytes.constData(), size_t(bytes.size()));
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
    ::close(fd);
    ASSERT_TRUE(QFileInfo::exists(path));
}

TEST(SingleInstanceTest, SecondInstanceHandsOverAndTheFirstIsAsked)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("sendra-cam.socket"));
    app::SingleInstance first(path);
    EXPECT_FALSE(first.handOver());   // nobody runs yet
    QString error;
    ASSERT_TRUE(first.listen(error)) << error.toStdString();
    int asked = 0;
    QObject::connect(&first, &app::SingleInstance::activationRequested, [&asked] { ++asked; });

    // The second start blocks on its socket; the first answers from its event loop meanwhile.
    auto second = std::async(std::launch::async, [path] { return app::SingleInstance(path).handOver(); });
    EXPECT_TRUE(QTest::qWaitFor([&] { return second.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }, 20000));
    EXPECT_TRUE(second.get());
    EXPECT_TRUE(QTest::qWaitFor([&] { return asked == 1; }, 5000));

    // A later start that cannot listen (the first holds the name) learns it should hand over.
    app::SingleInstance late(path);
    EXPECT_FALSE(late.listen(error));
    EXPECT_TRUE(error.contains(path));
}

TEST(SingleInstanceTest, SocketLeftByACrashedRunIsTakenOver)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("sendra-cam.socket"));
    leaveStaleSocket(path);
    app::SingleInstance instance(path);
    EXPECT_FALSE(instance.handOver());
    QString error;
    EXPECT_TRUE(instance.listen(error)) << error.toStdString();
    // Now it answers.
    auto second = std::async(std::launch::async, [path] { return app::SingleInstance(path).handOver(); });
    EXPECT_TRUE(QTest::qWaitFor([&] { return second.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }, 20000));
    EXPECT_TRUE(second.get());
}

TEST(SingleInstanceTest, SocketLivesInTheUsersRuntimeFolderUnderADisplayAndProfileName)
{
    QTemporaryDir dir;
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QByteArray old = qgetenv("XDG_RUNTIME_DIR"), oldProfile = qgetenv("USERPROFILE"), oldDisplay = qgetenv("DISPLAY");
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(dir.path()));
    qputenv("USERPROFILE", QFile::encodeName(dir.path()));
    qputenv("DISPLAY", ":7.0");
    EXPECT_EQ(app::SingleInstance::defaultSocketPath(QStringLiteral("xcb")),
              app::SingleInstance::socketPathFor(dir.path(), QStringLiteral("x11 :7"), dir.path()));
    EXPECT_TRUE(app::SingleInstance::defaultSocketPath(QStringLiteral("xcb"))
                    .contains(QRegularExpression(QStringLiteral("^%1/sendra-cam-[0-9a-f]{16}\\.socket$")
                                                     .arg(QRegularExpression::escape(dir.path())))));
    qputenv("XDG_RUNTIME_DIR", old);
    qputenv("USERPROFILE", oldProfile);
    qputenv("DISPLAY", oldDisplay);
}

TEST(SingleInstanceTest, OneViewerPerDisplayAndProfileFolder)
{
    using app::SingleInstance;
    // The display as the platform names it: the screen number belongs to the display.
    struct Case {
        const char *platform, *x11, *wayland, *key;
    };
    const Case cases[] = {
        {"xcb", ":1", "", "x11 :1"},
        {"xcb", ":1.0", "", "x11 :1"},
        {"xcb", ":1.1", "", "x11 :1"},
        {"xcb", "localhost:10.0", "", "x11 localhost:10"},
        {"xcb", "/tmp/launch-x/org.x:0", "", "x11 /tmp/launch-x/org.x:0"},
        {"wayland", ":1", "wayland-1", "wayland wayland-1"},
        {"wayland", "", "", "wayland wayland-0"},
        {"offscreen", ":1", "", "offscreen"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(SingleInstance::displayKey(QLatin1String(c.platform), QLatin1String(c.x11), QLatin1String(c.wayland)),
                  QLatin1String(c.key))
            << c.platform << " " << c.x11;

    QTemporaryDir profiles;
    const QString a = profiles.filePath(QStringLiteral("a")), b = profiles.filePath(QStringLiteral("b"));
    QDir().mkpath(a);
    QDir().mkpath(b);
    ASSERT_TRUE(QFile::link(a, profiles.filePath(QStringLiteral("link-to-a"))));
    const QString run = QStringLiteral("/run/user/1000");
    const QString here = SingleInstance::socketPathFor(run, QStringLiteral("x11 :1"), a);
    // The same display and profile folder, however the folder is spelt: the same viewer.
    EXPECT_EQ(SingleInstance::socketPathFor(run, QStringLiteral("x11 :1"), a + QStringLiteral("/../a/")), here);
    EXPECT_EQ(SingleInstance::socketPathFor(run, QStringLiteral("x11 :1"), profiles.filePath(QStringLiteral("link-to-a"))),
              here);
    // Another display, another profile folder: a viewer of their own.
    EXPECT_NE(SingleInstance::socketPathFor(run, QStringLiteral("x11 :2"), a), here);
    EXPECT_NE(SingleInstance::socketPathFor(run, QStringLiteral("x11 :1"), b), here);
    EXPECT_TRUE(here.startsWith(run + QStringLiteral("/sendra-cam-")));
    // Short enough for a local socket's 108 bytes whatever the profile's path.
    EXPECT_EQ(SingleInstance::socketPathFor(run, QStringLiteral("x11 :1"), QString(500, u'p')).size(), here.size());

    EXPECT_EQ(SingleInstance::handOverNotice(QStringLiteral("x11 :1"), a),
              QStringLiteral("sendra-cam: a viewer already runs on this display (x11 :1) with the profile folder %1; "
                             "its window was brought to the front.\n")
                  .arg(QDir(a).canonicalPath()));
}

// The installed program, as a user or a desktop starts it.
class InstalledProgramTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir_.isValid());
        const QString runtime = dir_.filePath(QStringLiteral("run"));
        ASSERT_TRUE(QDir().mkpath(runtime));
        QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        env_ = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "SENDRA_CAM_VIRTUAL_CAMERA",
                                 "SENDRA_CAM_VIRTUAL_CONTROL"})
            env_.remove(QLatin1String(name));
        env_.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
        env_.insert(QStringLiteral("LANGUAGE"), QStringLiteral("C"));
        env_.insert(QStringLiteral("USERPROFILE"), dir_.path());
        env_.insert(QStringLiteral("HOME"), dir_.path());
        env_.insert(QStringLiteral("XDG_DATA_HOME"), dir_.filePath(QStringLiteral("data")));
        env_.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
        runtime_ = runtime;
        socket_ = app::SingleInstance::socketPathFor(runtime, QStringLiteral("offscreen"), dir_.path());
    }

    // The local sockets in the runtime folder: one per running viewer.
    QStringList sockets() const
    {
        return QDir(runtime_).entryList({QStringLiteral("sendra-cam*.socket")}, QDir::System | QDir::Files);
    }

    void start(QProcess &process, const QStringList &arguments)
    {
        process.setProcessEnvironment(env_);
        process.start(QStringLiteral(SENDRA_PROGRAM), arguments);
        ASSERT_TRUE(process.waitForStarted(10000));
    }

    // Runs to the end; {exit status, stdout, stderr}.
    std::tuple<int, QString, QString> run(const QStringList &arguments)
    {
        QProcess process;
        process.setProcessEnvironment(env_);
        process.start(QStringLiteral(SENDRA_PROGRAM), arguments);
        const bool finished = process.waitForFinished(60000);
        EXPECT_TRUE(finished);
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        return {process.exitCode(), QString::fromLocal8Bit(process.readAllStandardOutput()),
                QString::fromLocal8Bit(process.readAllStandardError())};
    }

    QTemporaryDir dir_;
    QProcessEnvironment env_;
    QString runtime_;
    QString socket_;
};

TEST_F(InstalledProgramTest, AnswersTheCommandLineWithoutADisplay)
{
    const auto [helpStatus, help, helpError] = run({QStringLiteral("--help")});
    EXPECT_EQ(helpStatus, 0);
    EXPECT_TRUE(help.contains(QLatin1String("--virtual-camera"))) << help.toStdString();
    EXPECT_TRUE(helpError.isEmpty()) << helpError.toStdString();

    const auto [versionStatus, version, versionError] = run({QStringLiteral("--version")});
    EXPECT_EQ(versionStatus, 0);
    EXPECT_EQ(version, QStringLiteral("sendra-cam %1\n").arg(QLatin1String(app::kProgramVersion)));

    const auto [bogusStatus, bogusOut, bogus] = run({QStringLiteral("--bogus")});
    EXPECT_EQ(bogusStatus, 2);
    EXPECT_TRUE(bogusOut.isEmpty());
    EXPECT_TRUE(bogus.startsWith(QLatin1String("sendra-cam: Unknown option 'bogus'."))) << bogus.toStdString();

    const auto [strayStatus, strayOut, stray] = run({QStringLiteral("picture.bmp")});
    EXPECT_EQ(strayStatus, 2);
    EXPECT_TRUE(stray.contains(QLatin1String("'picture.bmp'"))) << stray.toStdString();
    EXPECT_TRUE(sockets().isEmpty()) << sockets().join(u' ').toStdString();   // none of these got as far as the viewer
}

TEST_F(InstalledProgramTest, SecondStartBringsTheFirstToTheFrontAndExitsZero)
{
    env_.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env_.insert(QStringLiteral("SENDRA_CAM_LOG"), QStringLiteral("1"));
    QProcess first;
    first.setProcessChannelMode(QProcess::SeparateChannels);
    start(first, {QStringLiteral("--virtual-camera")});
    QByteArray firstLog;
    const auto readFirst = [&] {
        firstLog += first.readAllStandardError();
        return firstLog;
    };
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFileInfo::exists(socket_) || first.state() == QProcess::NotRunning; }, 60000));
    ASSERT_EQ(first.state(), QProcess::Running) << readFirst().toStdString();

    const auto [status, out, error] = run({});
    EXPECT_EQ(status, 0) << error.toStdString();
    // The user at a terminal learns where the start went.
    EXPECT_EQ(error, app::SingleInstance::handOverNotice(QStringLiteral("offscreen"), dir_.path()));
    EXPECT_TRUE(QTest::qWaitFor([&] { return readFirst().contains("Second start: window brought to the front"); }, 30000))
        << firstLog.toStdString();
    EXPECT_EQ(first.state(), QProcess::Running);

    // The first closes normally and takes its socket with it, so the next start runs.
    first.terminate();
    ASSERT_TRUE(first.waitForFinished(60000));
    EXPECT_EQ(first.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(first.exitCode(), 0) << readFirst().toStdString();
    EXPECT_FALSE(QFileInfo::exists(socket_));
}

TEST_F(InstalledProgramTest, AnotherProfileFolderStartsAViewerOfItsOwn)
{
    env_.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    const QString a = dir_.filePath(QStringLiteral("alice")), b = dir_.filePath(QStringLiteral("bob"));
    QDir().mkpath(a);
    QDir().mkpath(b);
    QProcess first, second;
    env_.insert(QStringLiteral("USERPROFILE"), a);
    start(first, {QStringLiteral("--virtual-camera")});
    const QString firstSocket = app::SingleInstance::socketPathFor(runtime_, QStringLiteral("offscreen"), a);
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFileInfo::exists(firstSocket) || first.state() == QProcess::NotRunning; }, 60000));
    ASSERT_EQ(first.state(), QProcess::Running);

    // Another user's profile folder on the same display: its own viewer, with its own settings.
    env_.insert(QStringLiteral("USERPROFILE"), b);
    start(second, {});
    const QString secondSocket = app::SingleInstance::socketPathFor(runtime_, QStringLiteral("offscreen"), b);
    EXPECT_TRUE(QTest::qWaitFor([&] { return QFileInfo::exists(secondSocket) || second.state() == QProcess::NotRunning; }, 60000));
    EXPECT_EQ(second.state(), QProcess::Running) << second.readAllStandardError().toStdString();
    EXPECT_FALSE(second.readAllStandardError().contains("already runs"));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return QFileInfo::exists(b + QStringLiteral("/Talvent Technology/Sendra-CAM/UserSysInfo.ini")); }, 60000));
    EXPECT_EQ(first.state(), QProcess::Running);
    EXPECT_EQ(sockets().size(), 2) << sockets().join(u' ').toStdString();
    for (QProcess *p : {&first, &second}) {
        p->terminate();
        EXPECT_TRUE(p->waitForFinished(60000));
    }
}

// An X server of our own (Xvfb), on a display number it picks; gone with the object.
class VirtualDisplay
{
public:
    VirtualDisplay()
    {
        server_.setProgram(QStringLiteral("Xvfb"));
        // -displayfd: the server writes the number it took once it accepts connections.
        server_.setArguments({QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                              QStringLiteral("0"), QStringLiteral("1024x768x24"), QStringLiteral("-nolisten"),
                              QStringLiteral("tcp")});
        server_.start();
        if (!server_.waitForStarted(10000))
            return;
        QByteArray out;
        const bool told = QTest::qWaitFor([&] {
            out += server_.readAllStandardOutput();
            return out.contains('\n') || server_.state() == QProcess::NotRunning;
        }, 20000);
        if (told && out.contains('\n'))
            name_ = u':' + QString::fromLatin1(out.trimmed());
    }
    ~VirtualDisplay()
    {
        server_.terminate();
        server_.waitForFinished(10000);
    }
    const QString &name() const { return name_; }

private:
    QProcess server_;
    QString name_;
};

TEST_F(InstalledProgramTest, AnotherDisplayStartsAViewerOfItsOwnAndTheSameDisplayHandsOver)
{
    if (QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty())
        GTEST_SKIP() << "Xvfb is not installed";
    VirtualDisplay one, two;
    ASSERT_FALSE(one.name().isEmpty());
    ASSERT_FALSE(two.name().isEmpty());
    env_.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    QProcess first, second;
    env_.insert(QStringLiteral("DISPLAY"), one.name());
    start(first, {QStringLiteral("--virtual-camera")});
    const QString firstSocket = app::SingleInstance::socketPathFor(runtime_, QStringLiteral("x11 ") + one.name(), dir_.path());
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFileInfo::exists(firstSocket) || first.state() == QProcess::NotRunning; }, 60000))
        << first.readAllStandardError().toStdString();
    ASSERT_EQ(first.state(), QProcess::Running);

    // The same user on a second display gets a window there.
    env_.insert(QStringLiteral("DISPLAY"), two.name());
    start(second, {});
    const QString secondSocket = app::SingleInstance::socketPathFor(runtime_, QStringLiteral("x11 ") + two.name(), dir_.path());
    EXPECT_TRUE(QTest::qWaitFor([&] { return QFileInfo::exists(secondSocket) || second.state() == QProcess::NotRunning; }, 60000));
    EXPECT_EQ(second.state(), QProcess::Running) << second.readAllStandardError().toStdString();

    // A start on the first display's other screen name goes to the first viewer, and says so.
    env_.insert(QStringLiteral("DISPLAY"), one.name() + QStringLiteral(".0"));
    const auto [status, out, error] = run({});
    EXPECT_EQ(status, 0);
    EXPECT_EQ(error, app::SingleInstance::handOverNotice(QStringLiteral("x11 ") + one.name(), dir_.path()));
    EXPECT_EQ(sockets().size(), 2) << sockets().join(u' ').toStdString();
    for (QProcess *p : {&first, &second}) {
        p->terminate();
        EXPECT_TRUE(p->waitForFinished(60000));
    }
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
