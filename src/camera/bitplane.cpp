#include "camera/bitplane.h"

#include <bit>

namespace camera {

BitPlane::BitPlane(int width, int height)
    : width_(width > 0 && height > 0 ? width : 0), height_(width > 0 && height > 0 ? height : 0),
      wordsPerRow_((width_ + 31) / 32), words_(std::size_t(wordsPerRow_) * std::size_t(height_), 0u)
{
}

std::size_t BitPlane::count() const
{
    std::size_t n = 0;
    for (std::uint32_t w : words_)
        n += std::size_t(std::popcount(w));
    return n;
}

} // namespace camera
