#pragma once

#include <QSize>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace camera {

// One bit per pixel of a picture: rows of 32-pixel words, bit (x % 32) of word (x / 32) is
// pixel x. The focus aids mark pixels in it on a streaming thread and the UI thread reads it.
// The bits set in `n` words: the processor's popcnt where it has it (asked at run time; the
// x86-64 baseline lacks it and std::popcount becomes a library call a word).
std::uint64_t countBits(const std::uint32_t *words, std::size_t n);

class BitPlane
{
public:
    BitPlane() = default;
    BitPlane(int width, int height);

    int width() const { return width_; }
    int height() const { return height_; }
    QSize size() const { return QSize(width_, height_); }
    int wordsPerRow() const { return wordsPerRow_; }
    bool isNull() const { return width_ <= 0 || height_ <= 0; }

    std::uint32_t *row(int y) { return words_.data() + std::size_t(y) * std::size_t(wordsPerRow_); }
    const std::uint32_t *row(int y) const { return words_.data() + std::size_t(y) * std::size_t(wordsPerRow_); }
    bool test(int x, int y) const { return (row(y)[x >> 5] >> (x & 31)) & 1u; }
    void set(int x, int y) { row(y)[x >> 5] |= 1u << (x & 31); }
    // Marked pixels in all.
    std::size_t count() const;

private:
    int width_ = 0;
    int height_ = 0;
    int wordsPerRow_ = 0;
    std::vector<std::uint32_t> words_;
};

} // namespace camera
