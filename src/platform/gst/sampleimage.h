#pragma once

#include <QImage>

typedef struct _GstSample GstSample;

namespace platform {

// A BGRx sample as a top-down QImage::Format_RGB32 picture; null for any other format or a
// buffer too small for its caps. Rows are padded in GStreamer buffers, so the stride comes from
// the video meta when there is one.
// shareSample: the image borrows the mapped buffer and keeps the sample alive until the image's
//   last copy goes (no copy; writing to the image detaches). Otherwise a deep copy, row by row.
QImage imageFromSample(GstSample *sample, bool shareSample);

} // namespace platform
