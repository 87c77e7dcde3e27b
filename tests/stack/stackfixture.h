#pragma once

// The acceptance stack rendered and stacked once per test process, and the picture comparisons
// the acceptance tests share.
#include "zstackplan.h"

#include "stack/focusstacker.h"

#include <QRect>

#include <vector>

namespace stackfixture {

struct AcceptanceStack {
    std::vector<platform::Bitmap> frames;
    platform::Bitmap truth;
    stack::StackResult result;
    QSize size() const { return truth.size(); }
    static const AcceptanceStack &get();
};

// The part of the picture every frame covers: 48 px in from each edge (2 % breathing moves a
// corner 20 px, the drift up to 10 px more).
QRect innerRect(QSize picture);
// Peak signal-to-noise ratio over B, G and R within `region`, in dB.
double psnr(const platform::Bitmap &a, const platform::Bitmap &b, QRect region);

} // namespace stackfixture
