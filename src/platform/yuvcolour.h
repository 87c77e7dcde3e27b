#pragma once

#include <cstddef>
#include <cstdint>

// The colour kernels of the shown picture (see YuvScaler). `pixels` is a multiple of the kernel's
// step (16 for SSE2, 32 for AVX2, 64 for AVX-512, any for portable). Chroma lines hold one sample per
// `halfChroma ? 2 : 1` pixels; null for a grey picture. `stream`: the pixels go on to another
// thread, not back to this one, so aligned vectors bypass the cache. The vector versions exist
// on x86 only; the AVX2 and AVX-512 ones run only where the processor has them.
namespace platform::colour {

using Kernel = void (*)(const std::uint8_t *y, const std::uint8_t *cb, const std::uint8_t *cr, std::uint8_t *bgrx,
                        int pixels, bool halfChroma, bool stream);

void colourPortable(const std::uint8_t *y, const std::uint8_t *cb, const std::uint8_t *cr, std::uint8_t *bgrx, int pixels,
                    bool halfChroma, bool stream);
#if defined(__x86_64__) || defined(__i386__)
void colourSse2(const std::uint8_t *y, const std::uint8_t *cb, const std::uint8_t *cr, std::uint8_t *bgrx, int pixels,
                bool halfChroma, bool stream);
__attribute__((target("avx2"))) void colourAvx2(const std::uint8_t *y, const std::uint8_t *cb, const std::uint8_t *cr,
                                                std::uint8_t *bgrx, int pixels, bool halfChroma, bool stream);
__attribute__((target("avx512f,avx512bw"))) void colourAvx512(const std::uint8_t *y, const std::uint8_t *cb,
                                                              const std::uint8_t *cr, std::uint8_t *bgrx, int pixels,
                                                              bool halfChroma, bool stream);
#endif

// Copies `bytes` from `from` to `to` with streaming stores where `to` is aligned for them: a
// finished row on its way to another thread.
void streamCopy(const std::uint8_t *from, std::uint8_t *to, std::size_t bytes);

} // namespace platform::colour
