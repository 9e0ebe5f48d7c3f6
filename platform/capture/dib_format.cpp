#include "platform/capture/dib_format.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace platform::capture {

DWORD FrameLayout::Stride() const {
  return static_cast<DWORD>(((static_cast<std::uint64_t>(width) * bitCount + 31) / 32) * 4);
}

DWORD FrameLayout::ImageSize() const { return Stride() * static_cast<DWORD>(height); }

std::vector<BYTE> FormatBlock(const FrameLayout& layout) {
  BITMAPINFOHEADER header{};
  header.biSize = sizeof(BITMAPINFOHEADER);
  header.biWidth = layout.width;
  header.biHeight = layout.height;
  header.biPlanes = 1;
  header.biBitCount = layout.bitCount;
  header.biCompression = BI_RGB;
  header.biSizeImage = layout.ImageSize();
  header.biClrUsed = layout.ColourCount();
  std::vector<BYTE> block(sizeof(header) + sizeof(RGBQUAD) * layout.ColourCount());
  std::memcpy(block.data(), &header, sizeof(header));
  if (layout.ColourCount() != 0) {
    std::memcpy(block.data() + sizeof(header), FramePalette().data(), sizeof(RGBQUAD) * 256);
  }
  return block;
}

namespace {

std::string CompressionName(DWORD compression) {
  switch (compression) {
    case BI_RLE8: return "BI_RLE8";
    case BI_RLE4: return "BI_RLE4";
    case BI_BITFIELDS: return "BI_BITFIELDS";
    default: break;
  }
  std::string code;
  for (int shift = 0; shift < 32; shift += 8) {
    const char c = static_cast<char>((compression >> shift) & 0xFF);
    if (c < 0x20 || c > 0x7E) return std::to_string(compression);
    code += c;
  }
  return "'" + code + "'";
}

}  // namespace

std::variant<FrameLayout, std::string> CheckFormatRequest(std::span<const BYTE> request) {
  if (request.size() < sizeof(BITMAPINFOHEADER)) {
    return "Video format refused: the request holds " + std::to_string(request.size()) +
           " bytes, a BITMAPINFOHEADER needs 40";
  }
  BITMAPINFOHEADER header;
  std::memcpy(&header, request.data(), sizeof(header));
  if (header.biSize < sizeof(BITMAPINFOHEADER)) {
    return "Video format refused: biSize " + std::to_string(header.biSize) + " is under 40 bytes";
  }
  if (header.biSize > request.size()) {
    return "Video format refused: biSize " + std::to_string(header.biSize) + " is larger than the " +
           std::to_string(request.size()) + "-byte request";
  }
  if (header.biPlanes != 1) {
    return "Video format refused: biPlanes must be 1, not " + std::to_string(header.biPlanes);
  }
  if (header.biCompression != BI_RGB) {
    return "Video format refused: compression " + CompressionName(header.biCompression) +
           " is not supported, only uncompressed BI_RGB";
  }
  if (header.biBitCount != 8 && header.biBitCount != 16 && header.biBitCount != 24 && header.biBitCount != 32) {
    return "Video format refused: " + std::to_string(header.biBitCount) +
           " bits per pixel are not supported, only 8, 16, 24 or 32";
  }
  if (header.biWidth < 1 || header.biWidth > kMaxFrameSide) {
    return "Video format refused: width " + std::to_string(header.biWidth) + " is outside 1.." +
           std::to_string(kMaxFrameSide);
  }
  if (header.biHeight < 1 || header.biHeight > kMaxFrameSide) {
    return "Video format refused: height " + std::to_string(header.biHeight) + " is outside 1.." +
           std::to_string(kMaxFrameSide) + " (frames are delivered bottom-up only)";
  }
  return FrameLayout{header.biWidth, header.biHeight, header.biBitCount};
}

namespace {

constexpr int kCubeStep = 51;
constexpr int kCubeLevels = 6;
constexpr int kExtraGreys = 40;

struct PaletteTables {
  std::array<RGBQUAD, 256> palette{};
  std::array<BYTE, 256> cubeLevel{};          // channel value -> nearest cube level 0..5
  std::array<BYTE, 3 * 255 + 1> greyBySum{};  // r + g + b -> palette index of the nearest grey

  PaletteTables() {
    for (int r = 0; r < kCubeLevels; ++r) {
      for (int g = 0; g < kCubeLevels; ++g) {
        for (int b = 0; b < kCubeLevels; ++b) {
          palette[static_cast<std::size_t>(36 * r + 6 * g + b)] = RGBQUAD{
              static_cast<BYTE>(b * kCubeStep), static_cast<BYTE>(g * kCubeStep), static_cast<BYTE>(r * kCubeStep), 0};
        }
      }
    }
    // Eight greys inside each of the cube's five grey steps.
    std::vector<std::pair<int, int>> greys;  // value, palette index
    for (int level = 0; level < kCubeLevels; ++level) greys.emplace_back(level * kCubeStep, 43 * level);
    int index = 216;
    for (int step = 0; step < kCubeLevels - 1; ++step) {
      for (int j = 1; j <= 8; ++j) {
        const int value = step * kCubeStep + (kCubeStep * j + 4) / 9;
        palette[static_cast<std::size_t>(index)] =
            RGBQUAD{static_cast<BYTE>(value), static_cast<BYTE>(value), static_cast<BYTE>(value), 0};
        greys.emplace_back(value, index++);
      }
    }
    static_assert(216 + kExtraGreys == 256);
    for (int v = 0; v < 256; ++v) cubeLevel[static_cast<std::size_t>(v)] = static_cast<BYTE>((v + 25) / kCubeStep);
    for (int sum = 0; sum <= 3 * 255; ++sum) {
      int best = 0;
      int bestDistance = 1 << 30;
      for (const auto& [value, paletteIndex] : greys) {
        const int distance = std::abs(3 * value - sum);
        if (distance < bestDistance) {
          bestDistance = distance;
          best = paletteIndex;
        }
      }
      greyBySum[static_cast<std::size_t>(sum)] = static_cast<BYTE>(best);
    }
  }
};

const PaletteTables& Tables() {
  static const PaletteTables tables;
  return tables;
}

int Square(int v) { return v * v; }

}  // namespace

const std::array<RGBQUAD, 256>& FramePalette() { return Tables().palette; }

void MapBgrToPalette(const BYTE* bgr, BYTE* out, std::size_t count) {
  const PaletteTables& t = Tables();
  for (std::size_t i = 0; i < count; ++i, bgr += 3) {
    const int b = bgr[0];
    const int g = bgr[1];
    const int r = bgr[2];
    const int rl = t.cubeLevel[static_cast<std::size_t>(r)];
    const int gl = t.cubeLevel[static_cast<std::size_t>(g)];
    const int bl = t.cubeLevel[static_cast<std::size_t>(b)];
    const int cubeDistance =
        Square(r - rl * kCubeStep) + Square(g - gl * kCubeStep) + Square(b - bl * kCubeStep);
    const BYTE grey = t.greyBySum[static_cast<std::size_t>(r + g + b)];
    const int greyLevel = t.palette[grey].rgbRed;
    const int greyDistance = Square(r - greyLevel) + Square(g - greyLevel) + Square(b - greyLevel);
    out[i] = greyDistance < cubeDistance ? grey : static_cast<BYTE>(36 * rl + 6 * gl + bl);
  }
}

}  // namespace platform::capture
