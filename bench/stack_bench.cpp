// Focus stacking against its anchor, align_image_stack (hugin-tools, -m -t 10) + enfuse (contrast
// weighting, hard mask), on the nine 1600 x 1200 frames of the acceptance stack, in the same run:
//  - wall time of a whole run from files to a written picture, each side as child processes
//    (ours: this program with --stack FOLDER), goal ours <= 0.5 x anchor;
//  - peak resident memory of each process (the anchor's: the larger of its two programs);
//  - PSNR of both results against the true all-in-focus picture;
//  - peak memory of our run on 30 frames of 1600 x 1200, goal <= 1 GB.
#include "zstackplan.h"

#include "platform/picturecodec.h"
#include "stack/focusstacker.h"
#include "stack/matconvert.h"
#include "stack/stackfolder.h"

#include <QDir>
#include <QGuiApplication>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <opencv2/imgcodecs.hpp>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>

extern char **environ;

namespace {

QString selfPath;

struct ChildRun {
    bool ok = false;
    double ms = 0;
    double peakMb = 0;
    double cpuS = 0;   // user + system time of the process
};

// Runs a program to its end in `folder`; its wall time and peak resident memory.
ChildRun runChild(const QString &folder, const QStringList &command)
{
    std::vector<QByteArray> args;
    for (const QString &a : command)
        args.push_back(a.toLocal8Bit());
    std::vector<char *> argv;
    for (QByteArray &a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    const QByteArray dir = folder.toLocal8Bit();
    ChildRun r;
    const auto t0 = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        if (chdir(dir.constData()) != 0)
            _exit(126);
        const int devnull = ::open("/dev/null", O_WRONLY);
        if (devnull >= 0)
            dup2(devnull, 1);   // the anchor's chatter; errors stay on stderr
        execvp(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (pid < 0 || wait4(pid, &status, 0, &usage) != pid)
        return r;
    r.ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
    r.peakMb = usage.ru_maxrss / 1024.0;
    r.cpuS = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    r.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return r;
}

double psnr(const platform::Bitmap &a, const platform::Bitmap &b)
{
    const QRect region = QRect(QPoint(0, 0), a.size()).adjusted(48, 48, -48, -48);
    double sum = 0;
    long long n = 0;
    for (int y = region.top(); y <= region.bottom(); ++y)
        for (int x = region.left(); x <= region.right(); ++x)
            for (int c = 0; c < 3; ++c) {
                const double d = double(a.constScanLine(y)[x * 4 + c]) - double(b.constScanLine(y)[x * 4 + c]);
                sum += d * d;
                ++n;
            }
    return sum > 0 ? 10 * std::log10(255.0 * 255.0 / (sum / double(n))) : 99;
}

// The child: stacks the pictures of a folder as the tool does and writes stacked.bmp there.
int stackFolder(const QString &folder)
{
    const QStringList files = stack::stackFolderPictures(folder);
    const stack::StackResult r = stack::focusStack(stack::filesInput(files), stack::StackOptions{true});
    if (!r.ok()) {
        std::fprintf(stderr, "stacking failed: status %d at frame %d %s\n", int(r.status), r.frame, qPrintable(r.detail));
        return 1;
    }
    return platform::writeBmpFile(folder + QStringLiteral("/Stack_result.bmp"), r.picture).ok() ? 0 : 2;
}

void BM_NineFrames_vs_AlignImageStackAndEnfuse(benchmark::State &state)
{
    const stackplan::ZStack z = stackplan::render();
    QTemporaryDir ours, theirs;
    for (int i = 0; i < stackplan::kFrames; ++i) {
        platform::writeBmpFile(ours.filePath(QStringLiteral("frame_%1.bmp").arg(i)), z.frames[std::size_t(i)]);
        cv::imwrite(theirs.filePath(QStringLiteral("in_%1.tif").arg(i)).toStdString(), stack::toBgr(z.frames[std::size_t(i)]));
    }
    const QString align = QStandardPaths::findExecutable(QStringLiteral("align_image_stack"));
    const QString enfuse = QStandardPaths::findExecutable(QStringLiteral("enfuse"));
    QStringList inputs = QDir(theirs.path()).entryList({QStringLiteral("in_*.tif")}, QDir::Files, QDir::Name);
    QStringList aligned;
    for (int i = 0; i < stackplan::kFrames; ++i)
        aligned << QStringLiteral("aligned_%1.tif").arg(i, 4, 10, QLatin1Char('0'));
    ChildRun o, a, e;
    for (auto _ : state) {
        o = runChild(ours.path(), {selfPath, QStringLiteral("--stack"), ours.path()});
        if (!align.isEmpty() && !enfuse.isEmpty()) {
            a = runChild(theirs.path(), QStringList{align, QStringLiteral("-m"), QStringLiteral("-t"), QStringLiteral("10"),
                                                    QStringLiteral("-a"), QStringLiteral("aligned_")}
                                            + inputs);
            e = runChild(theirs.path(), QStringList{enfuse, QStringLiteral("--exposure-weight=0"),
                                                    QStringLiteral("--saturation-weight=0"), QStringLiteral("--contrast-weight=1"),
                                                    QStringLiteral("--hard-mask"), QStringLiteral("--output=enfused.tif")}
                                            + aligned);
        }
    }
    state.counters["ours_ms"] = o.ms;
    state.counters["ours_cpu_s"] = o.cpuS;
    state.counters["ours_peak_MB"] = o.peakMb;
    const platform::DecodedPicture result = platform::readPictureFile(ours.filePath(QStringLiteral("Stack_result.bmp")));
    if (o.ok && result.ok())
        state.counters["ours_psnr_dB"] = psnr(result.bitmap, z.truth);
    if (align.isEmpty() || enfuse.isEmpty()) {
        state.SetLabel("align_image_stack or enfuse not installed: no anchor");
        return;
    }
    state.counters["anchor_ms"] = a.ms + e.ms;
    state.counters["anchor_cpu_s"] = a.cpuS + e.cpuS;
    // The machine is shared: beside the wall-time ratio, the ratio of the processes' own CPU time.
    state.counters["cpu_ratio"] = (a.cpuS + e.cpuS) > 0 ? o.cpuS / (a.cpuS + e.cpuS) : 0;
    state.counters["anchor_peak_MB"] = std::max(a.peakMb, e.peakMb);
    state.counters["ratio"] = o.ms / (a.ms + e.ms);
    const cv::Mat enfused = cv::imread(theirs.filePath(QStringLiteral("enfused.tif")).toStdString(), cv::IMREAD_COLOR);
    if (a.ok && e.ok && !enfused.empty()) {
        // align_image_stack lays everything over its first picture: frame 0's geometry.
        platform::SpecimenRenderer renderer(stackplan::kWidth, stackplan::kHeight, platform::SpecimenRelief::Tilted);
        state.counters["anchor_psnr_dB"] = psnr(stack::toBitmap(enfused), platform::Bitmap(renderer.allInFocus(stackplan::placementOf(0))));
    }
}

void BM_ThirtyFramesPeakMemory(benchmark::State &state)
{
    constexpr int kFrames = 30;
    QTemporaryDir dir;
    platform::SpecimenRenderer renderer(stackplan::kWidth, stackplan::kHeight, platform::SpecimenRelief::Tilted);
    for (int i = 0; i < kFrames; ++i)
        platform::writeBmpFile(dir.filePath(QStringLiteral("frame_%1.bmp").arg(i, 2, 10, QLatin1Char('0'))),
                               platform::Bitmap(renderer.atFocus(stackplan::longPassFocus(i, kFrames),
                                                                 stackplan::longPassPlacement(i, kFrames))));
    ChildRun o;
    for (auto _ : state)
        o = runChild(dir.path(), {selfPath, QStringLiteral("--stack"), dir.path()});
    state.counters["ours_ms"] = o.ms;
    state.counters["peak_MB"] = o.peakMb;
    state.counters["goal_MB"] = 1024;
    if (!o.ok)
        state.SkipWithError("the stacking of 30 frames failed");
}

} // namespace

BENCHMARK(BM_NineFrames_vs_AlignImageStackAndEnfuse)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ThirtyFramesPeakMemory)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc == 3 && std::string_view(argv[1]) == "--stack") {
        QCoreApplication app(argc, argv);
        return stackFolder(QString::fromLocal8Bit(argv[2]));
    }
    QGuiApplication app(argc, argv);
    if (argc == 3 && std::string_view(argv[1]) == "--write-frames") {
        // The nine frames as JPEGs for looking at the tool (screenshots).
        const stackplan::ZStack z = stackplan::render();
        for (int i = 0; i < stackplan::kFrames; ++i)
            platform::writeJpegFile(QStringLiteral("%1/Jpg_20261210_%2.jpg").arg(QString::fromLocal8Bit(argv[2])).arg(i + 1, 5, 10, QLatin1Char('0')),
                                    z.frames[std::size_t(i)], 95);
        return 0;
    }
    selfPath = QCoreApplication::applicationFilePath();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
