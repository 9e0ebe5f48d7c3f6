#pragma once
// Shared by the capture tests: format request blocks and reading delivered pixels.
#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/capture/dib_format.h"
#include "platform/wingdi.h"

namespace capture_test {

// A format request as a capture client sends it: a BITMAPINFO with one zero colour entry,
// biSizeImage computed without row padding.
inline std::vector<BYTE> RequestBlock(LONG width, LONG height, WORD bits, DWORD compression = BI_RGB,
                                      WORD planes = 1, DWORD headerSize = 40) {
  BITMAPINFOHEADER header{};
  header.biSize = headerSize;
  header.biWidth = width;
  header.biHeight = height;
  header.biPlanes = planes;
  header.biBitCount = bits;
  header.biCompression = compression;
  header.biSizeImage = static_cast<DWORD>(static_cast<std::int64_t>(width) * height * planes * bits / 8);
  std::vector<BYTE> block(sizeof(BITMAPINFO), 0);
  std::memcpy(block.data(), &header, sizeof(header));
  return block;
}

inline BITMAPINFOHEADER HeaderOf(const BYTE* block) {
  BITMAPINFOHEADER header;
  std::memcpy(&header, block, sizeof(header));
  return header;
}

// The pixel at column x of memory row `row` (row 0 is the bottom of the picture), as
// 0x00RRGGBB for 24 and 32 bits, the raw word for 16 bits and the index for 8 bits.
inline std::uint32_t PixelAt(const BYTE* bits, const platform::capture::FrameLayout& layout, int x, int row) {
  const BYTE* p = bits + static_cast<std::size_t>(row) * layout.Stride() +
                  static_cast<std::size_t>(x) * (layout.bitCount / 8);
  switch (layout.bitCount) {
    case 8: return p[0];
    case 16: return static_cast<std::uint32_t>(p[0] | (p[1] << 8));
    default: return static_cast<std::uint32_t>(p[0] | (p[1] << 8) | (p[2] << 16));
  }
}

}  // namespace capture_test
