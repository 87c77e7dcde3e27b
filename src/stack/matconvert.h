#pragma once

// Between the program's pictures and OpenCV's matrices; only the stack library sees OpenCV.
#include "platform/bitmap.h"

#include <opencv2/core.hpp>

namespace stack {

// A view of a picture's BGRx bytes as an 8-bit 4-channel matrix (no copy; the picture must outlive it).
cv::Mat bgrxView(const platform::Bitmap &picture);
// 8-bit BGR, 3 channels (a copy).
cv::Mat toBgr(const platform::Bitmap &picture);
// Luma as 32-bit float, 0 to 255 (BT.601 weights, as OpenCV's grey conversion).
cv::Mat toGreyFloat(const cv::Mat &bgr);
// An 8-bit BGR (or grey) matrix as a picture.
platform::Bitmap toBitmap(const cv::Mat &bgrOrGrey);

} // namespace stack
