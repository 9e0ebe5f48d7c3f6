#pragma once
// Internal to platform/: the instruction sets our own pixel loops are written for, and the
// 16-bit row conversions, which the capture drivers use too.
#include <cstdint>

namespace platform::gdi {

enum class PixelPath { kScalar, kSse2, kAvx2 };
// The best one this CPU has.
PixelPath BestPixelPath();

// x1r5g5b5 (little-endian words) to x8r8g8b8 and back; the fourth byte is written as zero
// and ignored when packing.
void Expand555Row(const std::uint8_t* src, std::uint32_t* out, int count, PixelPath path);
void Pack555Row(const std::uint32_t* pixels, std::uint8_t* dst, int count, PixelPath path);

}  // namespace platform::gdi
