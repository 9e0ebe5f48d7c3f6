#pragma once
// Internal to platform/gdi: the instruction sets our own pixel loops are written for.
namespace platform::gdi {

enum class PixelPath { kScalar, kSse2, kAvx2 };
// The best one this CPU has.
PixelPath BestPixelPath();

}  // namespace platform::gdi
