// Format requests, reported format blocks and the 8-bit palette.
#include <gtest/gtest.h>

#include <string>
#include <variant>

#include "capture_test_support.h"
#include "platform/capture/dib_format.h"

namespace {

using capture_test::HeaderOf;
using capture_test::RequestBlock;
using platform::capture::CheckFormatRequest;
using platform::capture::FormatBlock;
using platform::capture::FramePalette;
using platform::capture::FrameLayout;
using platform::capture::MapBgrToPalette;

struct RequestCase {
  const char* name;
  std::vector<BYTE> block;
  const char* refusal;  // a part of the refusal text; null: accepted
};

std::vector<RequestCase> RequestCases() {
  auto truncated = RequestBlock(320, 240, 24);
  truncated.resize(39);
  return {
      {"8 bits", RequestBlock(400, 300, 8), nullptr},
      {"16 bits", RequestBlock(400, 300, 16), nullptr},
      {"24 bits", RequestBlock(400, 300, 24), nullptr},
      {"32 bits", RequestBlock(400, 300, 32), nullptr},
      {"smallest", RequestBlock(1, 1, 24), nullptr},
      {"largest", RequestBlock(8192, 8192, 32), nullptr},
      {"MJPG", RequestBlock(320, 240, 24, 0x47504A4D), "compression 'MJPG' is not supported"},
      {"RLE8", RequestBlock(320, 240, 8, BI_RLE8), "compression BI_RLE8 is not supported"},
      {"bit fields", RequestBlock(320, 240, 16, BI_BITFIELDS), "compression BI_BITFIELDS"},
      {"zero width", RequestBlock(0, 240, 24), "width 0 is outside 1..8192"},
      {"zero height", RequestBlock(320, 0, 24), "height 0 is outside 1..8192"},
      {"negative width", RequestBlock(-320, 240, 24), "width -320 is outside"},
      {"top-down height", RequestBlock(320, -240, 24), "height -240 is outside"},
      {"absurd width", RequestBlock(100000, 240, 24), "width 100000 is outside"},
      {"absurd height", RequestBlock(320, 8193, 24), "height 8193 is outside"},
      {"header under 40", RequestBlock(320, 240, 24, BI_RGB, 1, 12), "biSize 12 is under 40 bytes"},
      {"header past block", RequestBlock(320, 240, 24, BI_RGB, 1, 124), "biSize 124 is larger than the 44-byte"},
      {"block under 40", truncated, "the request holds 39 bytes"},
      {"empty block", {}, "the request holds 0 bytes"},
      {"two planes", RequestBlock(320, 240, 24, BI_RGB, 2), "biPlanes must be 1, not 2"},
      {"12 bits", RequestBlock(320, 240, 12), "12 bits per pixel are not supported"},
      {"4 bits", RequestBlock(320, 240, 4), "4 bits per pixel"},
      {"0 bits", RequestBlock(320, 240, 0), "0 bits per pixel"},
  };
}

TEST(FormatRequest, AcceptsUncompressedSaneSizesAndRefusesTheRestWithATextNamingTheFault) {
  for (const RequestCase& row : RequestCases()) {
    SCOPED_TRACE(row.name);
    const auto result = CheckFormatRequest(row.block);
    if (row.refusal == nullptr) {
      ASSERT_TRUE(std::holds_alternative<FrameLayout>(result)) << std::get<std::string>(result);
      const auto header = HeaderOf(row.block.data());
      EXPECT_EQ(std::get<FrameLayout>(result), (FrameLayout{header.biWidth, header.biHeight, header.biBitCount}));
    } else {
      ASSERT_TRUE(std::holds_alternative<std::string>(result));
      const std::string& text = std::get<std::string>(result);
      EXPECT_NE(text.find(row.refusal), std::string::npos) << text;
      EXPECT_EQ(text.rfind("Video format refused: ", 0), 0u) << text;
    }
  }
}

TEST(FormatRequest, ReadsNothingPastTheBlock) {
  // A 40-byte block in a buffer of exactly 40 bytes: ASan catches any read past it.
  const auto block = RequestBlock(320, 240, 24);
  std::vector<BYTE> exact(block.begin(), block.begin() + 40);
  EXPECT_TRUE(std::holds_alternative<FrameLayout>(CheckFormatRequest(exact)));
}

struct BlockCase {
  FrameLayout layout;
  DWORD imageSize;
  std::size_t blockSize;
};

TEST(FormatBlock, ReportsTheTruePaddedImageSizeAndThePaletteFor8Bits) {
  const BlockCase cases[] = {
      {{161, 120, 24}, 58080, 40},  // asked as 57960 by a client that does not pad
      {{160, 120, 16}, 38400, 40},  {{161, 120, 16}, 38880, 40}, {{400, 300, 32}, 480000, 40},
      {{161, 120, 8}, 19680, 1064}, {{1, 1, 24}, 4, 40},
  };
  for (const BlockCase& row : cases) {
    SCOPED_TRACE(std::to_string(row.layout.width) + "x" + std::to_string(row.layout.height) + "x" +
                 std::to_string(row.layout.bitCount));
    const auto block = FormatBlock(row.layout);
    ASSERT_EQ(block.size(), row.blockSize);
    const auto header = HeaderOf(block.data());
    EXPECT_EQ(header.biSize, 40u);
    EXPECT_EQ(header.biWidth, row.layout.width);
    EXPECT_EQ(header.biHeight, row.layout.height);  // positive: bottom-up
    EXPECT_EQ(header.biPlanes, 1);
    EXPECT_EQ(header.biBitCount, row.layout.bitCount);
    EXPECT_EQ(header.biCompression, BI_RGB);
    EXPECT_EQ(header.biSizeImage, row.imageSize);
    EXPECT_EQ(header.biClrUsed, row.layout.bitCount == 8 ? 256u : 0u);
    if (row.layout.bitCount == 8) {
      EXPECT_EQ(std::memcmp(block.data() + 40, FramePalette().data(), 1024), 0);
    }
  }
}

TEST(FramePalette, MapsItsOwnColoursToThemselvesAndOthersToTheNearest) {
  const auto& palette = FramePalette();
  for (int index = 0; index < 256; ++index) {
    const BYTE bgr[3] = {palette[index].rgbBlue, palette[index].rgbGreen, palette[index].rgbRed};
    BYTE mapped = 0;
    MapBgrToPalette(bgr, &mapped, 1);
    const RGBQUAD& got = palette[mapped];
    // Identical colours may sit at two indexes (a grey of the cube); the colour must match.
    EXPECT_EQ((std::array{got.rgbRed, got.rgbGreen, got.rgbBlue}),
              (std::array{palette[index].rgbRed, palette[index].rgbGreen, palette[index].rgbBlue}))
        << "index " << index;
  }
  struct Row {
    BYTE r, g, b;
    RGBQUAD expected;
  };
  const Row rows[] = {
      {0x33, 0x66, 0xCC, {204, 102, 51, 0}},  // on the cube
      {250, 10, 20, {0, 0, 255, 0}},          // near pure red
      {128, 128, 128, {130, 130, 130, 0}},    // a grey between the cube's steps
      {30, 26, 22, {28, 28, 28, 0}},          // nearly grey: the grey ramp is closer than the cube
  };
  for (const Row& row : rows) {
    const BYTE bgr[3] = {row.b, row.g, row.r};
    BYTE mapped = 0;
    MapBgrToPalette(bgr, &mapped, 1);
    const RGBQUAD& got = palette[mapped];
    EXPECT_EQ((std::array{got.rgbRed, got.rgbGreen, got.rgbBlue}),
              (std::array{row.expected.rgbRed, row.expected.rgbGreen, row.expected.rgbBlue}))
        << int(row.r) << "," << int(row.g) << "," << int(row.b);
  }
}

}  // namespace
