#include "matconvert.h"

#include <opencv2/imgproc.hpp>

namespace stack {

cv::Mat bgrxView(const platform::Bitmap &picture)
{
    return cv::Mat(picture.height(), picture.width(), CV_8UC4, const_cast<uchar *>(picture.constScanLine(0)),
                   std::size_t(picture.bytesPerLine()));
}

cv::Mat toBgr(const platform::Bitmap &picture)
{
    cv::Mat bgr;
    cv::cvtColor(bgrxView(picture), bgr, cv::COLOR_BGRA2BGR);
    return bgr;
}

cv::Mat toGreyFloat(const cv::Mat &bgr)
{
    cv::Mat grey, f;
    cv::cvtColor(bgr, grey, bgr.channels() == 4 ? cv::COLOR_BGRA2GRAY : cv::COLOR_BGR2GRAY);
    grey.convertTo(f, CV_32F);
    return f;
}

platform::Bitmap toBitmap(const cv::Mat &m)
{
    QImage image(m.cols, m.rows, QImage::Format_RGB32);
    cv::Mat out(m.rows, m.cols, CV_8UC4, image.bits(), std::size_t(image.bytesPerLine()));
    cv::cvtColor(m, out, m.channels() == 1 ? cv::COLOR_GRAY2BGRA : cv::COLOR_BGR2BGRA);
    return platform::Bitmap(std::move(image));
}

} // namespace stack
