#pragma once

#include <cstdint>

// The colour kernels of the shown picture (see YuvScaler). `pixels` is a multiple of the kernel's
// step (16 for SSE2, 32 for AVX2, 64 for AVX-512, any for portable). Chroma lines hold one sample per
// `halfChroma ? 2 : 1` pixels; null for a grey picture. The vector versions exist on x86 only;
// the AVX2 and AVX-512 ones run only where the processor has them.
namespace platform::colour {

using Kernel = void (*)(const std::uint8_t *y, const std::uint8_t *cb, const std::uint8_t *cr, std::uint8_t *bgrx,
                        int pixels, bool halfChroma);

void colourPortable(const std::uint8_t *y, const std::uint8_t *cb, const std::uint8_t *cr, std::uint8_t *bgrx, int pixels,
                    bool halfChroma);
#if defined(__x86_64__) || defined(__i386__)
void colourSse2(const std::uint8_t *y, const std::uint8_t *cb, const std::uint8_t *cr, std::uint8_t *bgrx, int pixels,
                bool halfChroma);
__attribute__((target("avx2"))) void colourAvx2(const std::uint8_t *y, const std::uint8_t *cb, const std::uint8_t *cr,
                                                std::uint8_t *bgrx, int pixels, bool halfChroma);
__attribute__((target("avx512f,avx512bw"))) void colourAvx512(const std::uint8_t *y, const std::uint8_t *cb,
                                                              const std::uint8_t *cr, std::uint8_t *bgrx, int pixels,
                                                              bool halfChroma);
#endif

} // namespace platform::colour
