// The command line, the hand-over of a second start and the program's exit statuses: in
// process for the parts, and on the real executable for what a user types.
#include "app/commandline.h"
#include "app/singleinstance.h"
#include "app/version.h"

#include <QDir>
#include <QFile>
#include <QProcess>
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

TEST(SingleInstanceTest, SocketLivesInTheUsersRuntimeFolder)
{
    QTemporaryDir dir;
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QByteArray old = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(dir.path()));
    EXPECT_EQ(app::SingleInstance::defaultSocketPath(), dir.path() + QStringLiteral("/sendra-cam.socket"));
    qputenv("XDG_RUNTIME_DIR", old);
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
        socket_ = runtime + QStringLiteral("/sendra-cam.socket");
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
    EXPECT_FALSE(QFileInfo::exists(socket_));   // none of these got as far as the viewer
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

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
