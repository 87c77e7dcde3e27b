#include "stackfixture.h"

#include <cmath>
#include <limits>

namespace stackfixture {

const AcceptanceStack &AcceptanceStack::get()
{
    static const AcceptanceStack stack = [] {
        AcceptanceStack s;
        stackplan::ZStack z = stackplan::render();
        s.frames = std::move(z.frames);
        s.truth = std::move(z.truth);
        stack::StackInput input;
        input.count = stackplan::kFrames;
        input.load = [&s](int i) { return stack::StackFrame{s.frames[std::size_t(i)], {}}; };
        s.result = stack::focusStack(input, stack::StackOptions{true});
        return s;
    }();
    return stack;
}

QRect innerRect(QSize picture) { return QRect(QPoint(0, 0), picture).adjusted(48, 48, -48, -48); }

double psnr(const platform::Bitmap &a, const platform::Bitmap &b, QRect region)
{
    double sum = 0;
    long long count = 0;
    for (int y = region.top(); y <= region.bottom(); ++y) {
        const uchar *pa = a.constScanLine(y), *pb = b.constScanLine(y);
        for (int x = region.left(); x <= region.right(); ++x)
            for (int c = 0; c < 3; ++c) {
                const double d = double(pa[x * 4 + c]) - double(pb[x * 4 + c]);
                sum += d * d;
                ++count;
            }
    }
    if (sum == 0)
        return std::numeric_limits<double>::infinity();
    return 10 * std::log10(255.0 * 255.0 / (sum / double(count)));
}

} // namespace stackfixture
