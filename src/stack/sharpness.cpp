#include "sharpness.h"

#include "stack/matconvert.h"

#include <opencv2/imgproc.hpp>

namespace stack {

double laplacianEnergy(const platform::Bitmap &picture, QRect region)
{
    if (picture.isNull())
        return 0;
    const QRect whole(QPoint(0, 0), picture.size());
    const QRect r = region.isEmpty() ? whole : region.intersected(whole);
    if (r.isEmpty())
        return 0;
    // One pixel of margin where there is one, so that the region's own border pixels see their
    // neighbours as in the whole picture.
    const QRect padded = r.adjusted(-1, -1, 1, 1).intersected(whole);
    const cv::Mat grey = toGreyFloat(bgrxView(picture)(cv::Rect(padded.x(), padded.y(), padded.width(), padded.height())));
    cv::Mat laplacian;
    cv::Laplacian(grey, laplacian, CV_32F, 3, 1, 0, cv::BORDER_REPLICATE);
    const cv::Mat inner = laplacian(cv::Rect(r.x() - padded.x(), r.y() - padded.y(), r.width(), r.height()));
    return cv::mean(inner.mul(inner))[0];
}

} // namespace stack
