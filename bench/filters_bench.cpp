// The still-image filters on a 2592 x 1944 picture (RGB32, as the still image is held), each
// timed in the same iterations as its anchor and reported as their ratio:
//  - against OpenCV's operation for the same job on the same BGRx buffer (goal <= 1.5), both the
//    single call named for it and, where that call does less than the filter, the chain of calls
//    that gives the filter's very output;
//  - the per-pixel filters against a memcpy of the picture (goal <= 2).
// The argument is OpenCV's thread count: 1 matches our single-threaded filters, 0 leaves OpenCV
// its own thread pool.
#include "ratio.h"

#include "imaging/filters.h"

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace {

using imaging::FilterKind;
using platform::Bitmap;

constexpr int kW = 2592, kH = 1944;

// A picture of a specimen-like mix: smooth shading with fine detail, so no branch or cache
// pattern is favoured.
Bitmap picture()
{
    QImage img(kW, kH, QImage::Format_RGB32);
    for (int y = 0; y < kH; ++y) {
        auto *row = reinterpret_cast<QRgb *>(img.scanLine(y));
        for (int x = 0; x < kW; ++x)
            row[x] = qRgb((x / 11 + y) & 0xFF, (x * 7 ^ y * 3) & 0xFF, ((x + y) / 9) & 0xFF);
    }
    return Bitmap(img);
}

cv::Mat asMat(const Bitmap &b)
{
    return cv::Mat(b.height(), b.width(), CV_8UC4, const_cast<uchar *>(b.constScanLine(0)), std::size_t(b.bytesPerLine()));
}

struct Pictures {
    Bitmap source = picture();
    Bitmap ours = Bitmap(QImage(kW, kH, QImage::Format_RGB32));
    cv::Mat src = asMat(source);
    cv::Mat dst = cv::Mat(kH, kW, CV_8UC4);
    cv::Mat grey = cv::Mat(kH, kW, CV_8UC1);
    cv::Mat greyOut = cv::Mat(kH, kW, CV_8UC1);
    cv::Mat padded = cv::Mat(kH + 2, kW + 2, CV_8UC4);
    cv::Mat paddedGrey = cv::Mat(kH + 2, kW + 2, CV_8UC1);
    std::vector<uchar> copy = std::vector<uchar>(std::size_t(source.image().sizeInBytes()));
};

// The machine is shared, so beside the wall-clock ratio of bench::measureRatio the thread's own
// CPU time is compared too (cpu_ratio), where both sides run on this one thread: OpenCV with one
// thread, or the memcpy. It leaves out the time the thread waited for a core, not memory stalls.
double threadCpuNs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e9 + double(t.tv_nsec);
}

template <class Ours, class Anchor>
void measure(benchmark::State &state, bool sameThread, Ours &&ours, Anchor &&anchor)
{
    double oursCpu = 0, anchorCpu = 0;
    bench::measureRatio(
        state,
        [&] {
            const double t0 = threadCpuNs();
            ours();
            oursCpu += threadCpuNs() - t0;
        },
        [&] {
            const double t0 = threadCpuNs();
            anchor();
            anchorCpu += threadCpuNs() - t0;
        });
    if (sameThread && anchorCpu > 0)
        state.counters["cpu_ratio"] = oursCpu / anchorCpu;
}

void threads(benchmark::State &state)
{
    cv::setNumThreads(state.range(0) == 0 ? -1 : int(state.range(0)));
}

void run(Pictures &p, FilterKind kind, int k)
{
    imaging::applyFilter(kind, k, p.source, p.ours);
    benchmark::DoNotOptimize(p.ours.constScanLine(0));
}

void memcpyAnchor(Pictures &p)
{
    std::memcpy(p.copy.data(), p.source.constScanLine(0), p.copy.size());
    benchmark::DoNotOptimize(p.copy.data());
}

// 8 c - (sum of the eight neighbours), or 9 c - ... for the high-pass.
cv::Mat kernel(int centre)
{
    cv::Mat k(3, 3, CV_32F, cv::Scalar(-1.0f));
    k.at<float>(1, 1) = float(centre);
    return k;
}

// filter2D does not take BORDER_WRAP: the wrapped border is made by copyMakeBorder, and
// filter2D on the inner part reads the border from the padded picture.
void wrappedFilter2D(const cv::Mat &src, cv::Mat &padded, cv::Mat &dst, const cv::Mat &k)
{
    cv::copyMakeBorder(src, padded, 1, 1, 1, 1, cv::BORDER_WRAP);
    cv::filter2D(padded(cv::Rect(1, 1, src.cols, src.rows)), dst, -1, k, cv::Point(-1, -1), 0, cv::BORDER_REPLICATE);
}

// --- against OpenCV ----------------------------------------------------------------------

void BM_GreyLevel_vs_cvtColorToGrey(benchmark::State &state)
{
    Pictures p;
    threads(state);
    measure(state, state.range(0) == 1, [&] { run(p, FilterKind::GreyLevel, 0); },
                        [&] {
                            cv::cvtColor(p.src, p.grey, cv::COLOR_BGRA2GRAY);
                            benchmark::DoNotOptimize(p.grey.data);
                        });
}

void BM_GreyLevel_vs_cvtColorToGreyAndBack(benchmark::State &state)
{
    Pictures p;
    threads(state);
    measure(state, state.range(0) == 1, [&] { run(p, FilterKind::GreyLevel, 0); },
                        [&] {
                            cv::cvtColor(p.src, p.grey, cv::COLOR_BGRA2GRAY);
                            cv::cvtColor(p.grey, p.dst, cv::COLOR_GRAY2BGRA);
                            benchmark::DoNotOptimize(p.dst.data);
                        });
}

void BM_Complement_vs_absdiff(benchmark::State &state)
{
    Pictures p;
    threads(state);
    const int k = 100, t = 255 - k;
    measure(state, state.range(0) == 1, [&] { run(p, FilterKind::Complement, k); },
                        [&] {
                            cv::absdiff(p.src, cv::Scalar(t, t, t, 0), p.dst);   // x stays 255, as ours
                            benchmark::DoNotOptimize(p.dst.data);
                        });
}

void BM_Binary_vs_threshold(benchmark::State &state)
{
    Pictures p;
    threads(state);
    measure(state, state.range(0) == 1, [&] { run(p, FilterKind::Binary, 127); },
                        [&] {
                            cv::threshold(p.src, p.dst, 127, 255, cv::THRESH_BINARY);
                            benchmark::DoNotOptimize(p.dst.data);
                        });
}

void BM_Binary_vs_greyThresholdAndBack(benchmark::State &state)
{
    Pictures p;
    threads(state);
    measure(state, state.range(0) == 1, [&] { run(p, FilterKind::Binary, 127); },
                        [&] {
                            cv::cvtColor(p.src, p.grey, cv::COLOR_BGRA2GRAY);
                            cv::threshold(p.grey, p.greyOut, 127, 255, cv::THRESH_BINARY);
                            cv::cvtColor(p.greyOut, p.dst, cv::COLOR_GRAY2BGRA);
                            benchmark::DoNotOptimize(p.dst.data);
                        });
}

void neighbourhoodOnPicture(benchmark::State &state, FilterKind kind, int centre)
{
    Pictures p;
    threads(state);
    const cv::Mat k = kernel(centre);
    measure(state, state.range(0) == 1, [&] { run(p, kind, 0); },
                        [&] {
                            wrappedFilter2D(p.src, p.padded, p.dst, k);
                            benchmark::DoNotOptimize(p.dst.data);
                        });
}

void neighbourhoodOnGrey(benchmark::State &state, FilterKind kind, int centre)
{
    Pictures p;
    threads(state);
    const cv::Mat k = kernel(centre);
    measure(state, state.range(0) == 1, [&] { run(p, kind, 0); },
                        [&] {
                            cv::cvtColor(p.src, p.grey, cv::COLOR_BGRA2GRAY);
                            wrappedFilter2D(p.grey, p.paddedGrey, p.greyOut, k);
                            cv::cvtColor(p.greyOut, p.dst, cv::COLOR_GRAY2BGRA);
                            benchmark::DoNotOptimize(p.dst.data);
                        });
}

void BM_EdgeDetection_vs_filter2DWrap(benchmark::State &state) { neighbourhoodOnPicture(state, FilterKind::EdgeDetection, 8); }
void BM_EdgeDetection_vs_greyFilter2DWrapAndBack(benchmark::State &state)
{
    neighbourhoodOnGrey(state, FilterKind::EdgeDetection, 8);
}
void BM_HighPass_vs_filter2DWrap(benchmark::State &state) { neighbourhoodOnPicture(state, FilterKind::HighPass, 9); }
void BM_HighPass_vs_greyFilter2DWrapAndBack(benchmark::State &state)
{
    neighbourhoodOnGrey(state, FilterKind::HighPass, 9);
}

// --- against a memcpy of the picture -------------------------------------------------------

void perPixelVsMemcpy(benchmark::State &state, FilterKind kind, int k)
{
    Pictures p;
    measure(state, true, [&] { run(p, kind, k); }, [&] { memcpyAnchor(p); });
}

void BM_GreyLevel_vs_memcpy(benchmark::State &state) { perPixelVsMemcpy(state, FilterKind::GreyLevel, 0); }
void BM_Complement_vs_memcpy(benchmark::State &state) { perPixelVsMemcpy(state, FilterKind::Complement, 100); }
void BM_Binary_vs_memcpy(benchmark::State &state) { perPixelVsMemcpy(state, FilterKind::Binary, 127); }
void BM_EdgeDetection_vs_memcpy(benchmark::State &state) { perPixelVsMemcpy(state, FilterKind::EdgeDetection, 0); }
void BM_HighPass_vs_memcpy(benchmark::State &state) { perPixelVsMemcpy(state, FilterKind::HighPass, 0); }

// The anchors do the same work: where OpenCV defines the operation exactly as the filter does,
// the outputs must agree, or the ratios would compare different jobs.
bool anchorsAgree()
{
    Pictures p;
    imaging::applyFilter(FilterKind::Complement, 100, p.source, p.ours);
    cv::absdiff(p.src, cv::Scalar(155, 155, 155, 0), p.dst);
    const cv::Mat ours = asMat(p.ours);
    if (cv::norm(ours, p.dst, cv::NORM_INF) != 0)
        return false;
    // On a picture that is already grey, the wrapped 3 x 3 kernel is the edge filter.
    Bitmap grey;
    imaging::applyFilter(FilterKind::GreyLevel, 0, p.source, grey);
    for (const auto &[kind, centre] : {std::pair{FilterKind::EdgeDetection, 8}, std::pair{FilterKind::HighPass, 9}}) {
        imaging::applyFilter(kind, 0, grey, p.ours);
        wrappedFilter2D(asMat(grey), p.padded, p.dst, kernel(centre));
        cv::Mat a, b;
        cv::extractChannel(asMat(p.ours), a, 0);
        cv::extractChannel(p.dst, b, 0);
        if (cv::norm(a, b, cv::NORM_INF) != 0)
            return false;
    }
    return true;
}

} // namespace

#define OPENCV_BENCH(name) BENCHMARK(name)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)
OPENCV_BENCH(BM_GreyLevel_vs_cvtColorToGrey);
OPENCV_BENCH(BM_GreyLevel_vs_cvtColorToGreyAndBack);
OPENCV_BENCH(BM_Complement_vs_absdiff);
OPENCV_BENCH(BM_Binary_vs_threshold);
OPENCV_BENCH(BM_Binary_vs_greyThresholdAndBack);
OPENCV_BENCH(BM_EdgeDetection_vs_filter2DWrap);
OPENCV_BENCH(BM_EdgeDetection_vs_greyFilter2DWrapAndBack);
OPENCV_BENCH(BM_HighPass_vs_filter2DWrap);
OPENCV_BENCH(BM_HighPass_vs_greyFilter2DWrapAndBack);
BENCHMARK(BM_GreyLevel_vs_memcpy)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Complement_vs_memcpy)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Binary_vs_memcpy)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EdgeDetection_vs_memcpy)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HighPass_vs_memcpy)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    if (!anchorsAgree()) {
        std::fprintf(stderr, "filters_bench: our filters and the OpenCV anchors disagree; the ratios would mislead\n");
        return EXIT_FAILURE;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
