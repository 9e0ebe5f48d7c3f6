#pragma once
// The uncompressed DIB layouts the capture drivers deliver, the check of a format request,
// and the fixed 256-colour palette of 8-bit frames.
#include <array>
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <variant>
#include <vector>

#include "platform/wingdi.h"

namespace platform::capture {

constexpr LONG kMaxFrameSide = 8192;

// A frame layout: BI_RGB, one plane, rows bottom-up and padded to 4 bytes.
// 16 bits are x1r5g5b5; 8 bits index the fixed palette below.
struct FrameLayout {
  LONG width = 0;
  LONG height = 0;
  WORD bitCount = 24;

  DWORD Stride() const;     // bytes per row, padded to 4
  DWORD ImageSize() const;  // Stride() * height
  DWORD ColourCount() const { return bitCount == 8 ? 256 : 0; }
  bool operator==(const FrameLayout&) const = default;
};

// The BITMAPINFO describing `layout`: header, then the palette for 8 bits
// (40 + 4 * 256 bytes) or nothing else (40 bytes). biSizeImage is the true padded size.
std::vector<BYTE> FormatBlock(const FrameLayout& layout);

// The layout a format request asks for, or why it is refused. Reads the first 40 bytes of
// `request` only, and only when it holds them; biSizeImage, the resolution and the colour
// table of the request are ignored: the delivered size and palette are the driver's.
std::variant<FrameLayout, std::string> CheckFormatRequest(std::span<const BYTE> request);

// The 8-bit palette: a 6 x 6 x 6 colour cube (index 36 r + 6 g + b, levels 0, 51, ..., 255)
// followed by 40 greys between the cube's grey steps.
const std::array<RGBQUAD, 256>& FramePalette();

// Maps `count` pixels of B, G, R bytes to the nearest palette entry.
void MapBgrToPalette(const BYTE* bgr, BYTE* out, std::size_t count);

}  // namespace platform::capture
