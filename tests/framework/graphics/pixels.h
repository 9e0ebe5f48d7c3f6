#pragma once
// Reading a bitmap's pixels back for the tests: 0x00RRGGBB per pixel, rows top-down.
#include <cstdint>
#include <vector>

#include "framework/bitmap.h"
#include "framework/brush.h"
#include "framework/canvas.h"
#include "framework/graphics.h"
#include "platform/wingdi.h"

inline std::vector<std::uint32_t> ReadPixels(TBitmap& Bitmap) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = Bitmap.Width();
  info.bmiHeader.biHeight = -Bitmap.Height();
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(Bitmap.Width()) * static_cast<std::size_t>(Bitmap.Height()));
  HDC dc = Bitmap.Canvas()->Handle();
  GetDIBits(dc, Bitmap.Handle(), 0, static_cast<UINT>(Bitmap.Height()), pixels.data(), &info, DIB_RGB_COLORS);
  for (auto& p : pixels) p &= 0x00FFFFFFu;
  return pixels;
}

// A colour as ReadPixels reports it.
inline std::uint32_t Pixel(TColor Color) {
  const COLORREF c = ColorToRGB(Color);
  return (static_cast<std::uint32_t>(GetRValue(c)) << 16) | (static_cast<std::uint32_t>(GetGValue(c)) << 8) |
         GetBValue(c);
}

// A bitmap of the given size filled with one colour.
inline void FillBitmap(TBitmap& Bitmap, int Width, int Height, TColor Color) {
  Bitmap.SetWidth(Width);
  Bitmap.SetHeight(Height);
  TCanvas* canvas = Bitmap.Canvas();
  canvas->Brush()->SetStyle(bsSolid);
  canvas->Brush()->SetColor(Color);
  canvas->FillRect(RECT{0, 0, Width, Height});
}
