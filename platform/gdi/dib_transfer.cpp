// StretchDIBits and GetDIBits: DIB pixels into and out of device contexts and bitmaps.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "platform/gdi/dib.h"
#include "platform/gdi/draw_target.h"
#include "platform/gdi/objects.h"
#include "platform/wingdi.h"

using namespace platform::gdi;

namespace {

bool FitsInt(std::int64_t v) { return v >= -(std::int64_t{1} << 30) && v <= (std::int64_t{1} << 30); }

}  // namespace

int StretchDIBits(HDC hdc, int xDest, int yDest, int DestWidth, int DestHeight, int xSrc, int ySrc, int SrcWidth,
                  int SrcHeight, const void* lpBits, const BITMAPINFO* lpbmi, UINT iUsage, DWORD rop) {
  auto dc = Find<DeviceContext>(hdc);
  if (!dc || lpBits == nullptr || lpbmi == nullptr || iUsage != DIB_RGB_COLORS || rop != SRCCOPY) return 0;
  const auto format = ReadDibFormat(&lpbmi->bmiHeader);
  if (!format) return 0;
  // Mirroring by negative extents is not supported.
  if (SrcWidth < 1 || SrcHeight < 1 || DestWidth < 1 || DestHeight < 1) return 0;
  if (DestWidth > kMaxScaledDimension || DestHeight > kMaxScaledDimension) return 0;
  if (!FitsInt(static_cast<std::int64_t>(xDest) + DestWidth) || !FitsInt(static_cast<std::int64_t>(yDest) + DestHeight) ||
      !FitsInt(xDest) || !FitsInt(yDest)) {
    return 0;
  }
  // The source rectangle must lie inside the picture. The origin of a bottom-up DIB is
  // its lower-left corner: ySrc counts rows from the bottom.
  if (xSrc < 0 || ySrc < 0 || static_cast<std::int64_t>(xSrc) + SrcWidth > format->width ||
      static_cast<std::int64_t>(ySrc) + SrcHeight > format->height) {
    return 0;
  }
  const int top = format->bottomUp ? format->height - ySrc - SrcHeight : ySrc;

  // GDI's default stretch mode copies the nearest pixel; smooth scaling is DrawDib's.
  static ScratchImage scratch;
  DrawTarget target(*dc);
  DrawDibPixels(target, *format, lpBits, PixelRect{xSrc, top, SrcWidth, SrcHeight},
                RECT{xDest, yDest, xDest + DestWidth, yDest + DestHeight}, scratch);
  return SrcHeight;
}

int GetDIBits(HDC hdc, HBITMAP hbm, UINT start, UINT cLines, LPVOID lpvBits, LPBITMAPINFO lpbmi, UINT usage) {
  auto dc = Find<DeviceContext>(hdc);
  auto bitmap = Find<Bitmap>(hbm);
  if (!dc || !bitmap || lpvBits == nullptr || lpbmi == nullptr || usage != DIB_RGB_COLORS) return 0;
  const auto format = ReadDibFormat(&lpbmi->bmiHeader);
  if (!format) return 0;
  const auto height = static_cast<UINT>(format->height);
  if (start >= height) return 0;
  const int lines = static_cast<int>(std::min(cLines, height - start));
  if (lines == 0) return 0;

  // The DIB's picture lies over the bitmap from their top-left corners; whatever of it
  // the bitmap does not cover is written black.
  pixman_image_t* image = bitmap->image;
  const int bitmapWidth = pixman_image_get_width(image);
  const int bitmapHeight = pixman_image_get_height(image);
  const auto* data = reinterpret_cast<const std::uint8_t*>(pixman_image_get_data(image));
  const int bitmapStride = pixman_image_get_stride(image);
  const int covered = std::min(format->width, bitmapWidth);
  std::vector<std::uint32_t> black;
  if (covered < format->width || bitmapHeight < format->height) {
    black.assign(static_cast<std::size_t>(format->width), 0);
  }

  PixelWriter writer(*format);
  auto* out = static_cast<std::uint8_t*>(lpvBits);
  for (int i = 0; i < lines; ++i) {
    // Scan line `start + i` of the buffer; bottom-up DIBs count scan lines from the bottom.
    const int scan = static_cast<int>(start) + i;
    const int y = format->bottomUp ? format->height - 1 - scan : scan;
    std::uint8_t* row = out + static_cast<std::size_t>(i) * format->stride;
    if (y >= bitmapHeight) {
      writer.Write(black.data(), format->width, row);
      continue;
    }
    const auto* pixels = reinterpret_cast<const std::uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * bitmapStride);
    writer.Write(pixels, covered, row);
    if (covered < format->width) {
      const std::size_t offset = static_cast<std::size_t>(covered) * static_cast<std::size_t>(format->bitCount) / 8;
      writer.Write(black.data(), format->width - covered, row + offset);
    }
  }
  return lines;
}
