#pragma once
// Internal to platform/gdi: reading and writing device-independent bitmaps, shared by
// StretchDIBits, GetDIBits and DrawDibDraw so that every entry point validates a DIB
// the same way and never touches bytes outside the rows its header describes.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

#include <pixman.h>

#include "platform/gdi/draw_target.h"
#include "platform/gdi/objects.h"
#include "platform/gdi/pixel_path.h"
#include "platform/wingdi.h"

namespace platform::gdi {

struct DibFormat {
  int width = 0;
  int height = 0;  // rows, whatever the orientation
  bool bottomUp = true;
  int bitCount = 0;       // 8, 16, 24 or 32
  std::size_t stride = 0;  // bytes per row, padded to 4
  std::size_t imageBytes = 0;
  // 8 bits: the colour table. `palette` maps every index to x8r8g8b8, black past the table.
  const RGBQUAD* table = nullptr;
  int tableSize = 0;
  std::array<std::uint32_t, 256> palette{};

  // The first byte of row y, counted from the top of the picture.
  const std::uint8_t* Row(const void* bits, int y) const {
    const auto row = static_cast<std::size_t>(bottomUp ? height - 1 - y : y);
    return static_cast<const std::uint8_t*>(bits) + row * stride;
  }
  std::uint8_t* Row(void* bits, int y) const {
    return const_cast<std::uint8_t*>(Row(static_cast<const void*>(bits), y));
  }
};

// The layout `header` describes, when it is one we read and write: BI_RGB, one plane,
// 8, 16, 24 or 32 bits, 1..kMaxDimension pixels each way, at most 256 colours, and a
// biSizeImage (when given) that holds every row. The colour table follows the header.
std::optional<DibFormat> ReadDibFormat(const BITMAPINFOHEADER* header);

// A rectangle of DIB pixels, rows counted from the top of the picture.
struct PixelRect {
  int x;
  int y;
  int width;
  int height;
};

// Converts `count` pixels of a DIB row, starting at pixel `x`, to x8r8g8b8.
void ReadPixels(const DibFormat& format, const std::uint8_t* row, int x, int count, std::uint32_t* out);

// Converts x8r8g8b8 pixels into a DIB row; 8 bits take the nearest colour of the table.
class PixelWriter {
 public:
  explicit PixelWriter(const DibFormat& format);
  void Write(const std::uint32_t* pixels, int count, std::uint8_t* row);

 private:
  std::uint8_t Nearest(std::uint32_t color);

  const DibFormat& format_;
  // 8 bits: the last colours looked up, by a hash of the colour (key has bit 31 set when used).
  static constexpr std::size_t kCacheSize = 4096;
  std::array<std::uint32_t, kCacheSize> cacheKey_{};
  std::array<std::uint8_t, kCacheSize> cacheIndex_{};
};

// Draws the `source` pixels of a DIB into `dest` (DC coordinates): a straight conversion
// when the sizes match, otherwise converted at the source size and scaled to the nearest pixel.
void DrawDibPixels(DrawTarget& target, const DibFormat& format, const void* bits, const PixelRect& source,
                   const RECT& dest, ScratchImage& scratch);
// The same, scaled smoothly.
void DrawDibPixelsSmooth(DrawTarget& target, const DibFormat& format, const void* bits, const PixelRect& source,
                         const RECT& dest, SmoothScaler& scaler);


// Largest destination width or height we scale to: the scale factor stays representable
// in pixman's 16.16 fixed point.
constexpr int kMaxScaledDimension = 4 * kMaxDimension;

}  // namespace platform::gdi
