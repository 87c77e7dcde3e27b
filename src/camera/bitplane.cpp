#include "camera/bitplane.h"

#include <bit>

namespace camera {

BitPlane::BitPlane(int width, int height)
    : width_(width > 0 && height > 0 ? width : 0), height_(width > 0 && height > 0 ? height : 0),
      wordsPerRow_((width_ + 31) / 32), words_(std::size_t(wordsPerRow_) * std::size_t(height_), 0u)
{
}

namespace {

std::uint64_t countBitsPortable(const std::uint32_t *words, std::size_t n)
{
    std::uint64_t bits = 0;
    for (std::size_t i = 0; i < n; ++i)
        bits += std::uint64_t(std::popcount(words[i]));
    return bits;
}

#if defined(__x86_64__) && defined(__GNUC__)
__attribute__((target("popcnt"))) std::uint64_t countBitsPopcnt(const std::uint32_t *words, std::size_t n)
{
    std::uint64_t bits = 0;
    for (std::size_t i = 0; i < n; ++i)
        bits += std::uint64_t(__builtin_popcount(words[i]));
    return bits;
}
#endif

} // namespace

std::uint64_t countBits(const std::uint32_t *words, std::size_t n)
{
#if defined(__x86_64__) && defined(__GNUC__)
    if (__builtin_cpu_supports("popcnt"))
        return countBitsPopcnt(words, n);
#endif
    return countBitsPortable(words, n);
}

std::size_t BitPlane::count() const { return std::size_t(countBits(words_.data(), words_.size())); }

} // namespace camera
