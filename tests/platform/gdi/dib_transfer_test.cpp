// StretchDIBits and GetDIBits: round trips, orientation, padding, bad formats and bounds.
#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <string>

#include "gdi_test_support.h"

using namespace gdi_test;

namespace {

constexpr COLORREF kMarker = RGB(0x12, 0x34, 0x56);

// Draws the whole DIB unscaled at (0, 0).
int Put(const Canvas& canvas, DibInfo& info, const void* bits) {
  const BITMAPINFOHEADER& h = info.header();
  const int height = h.biHeight < 0 ? -h.biHeight : h.biHeight;
  return StretchDIBits(canvas.dc(), 0, 0, h.biWidth, height, 0, 0, h.biWidth, height, bits, info.info(), DIB_RGB_COLORS,
                       SRCCOPY);
}

int Get(const Canvas& canvas, DibInfo& info, void* bits, UINT start, UINT lines) {
  return GetDIBits(canvas.dc(), canvas.bitmap(), start, lines, bits, info.info(), DIB_RGB_COLORS);
}

struct Orientation {
  bool topDown;
  GuardedBuffer::Side guard;
};

std::string OrientationName(const testing::TestParamInfo<Orientation>& info) {
  return std::string(info.param.topDown ? "TopDown" : "BottomUp") +
         (info.param.guard == GuardedBuffer::kGuardAfter ? "GuardAfter" : "GuardBefore");
}

class RoundTrip : public testing::TestWithParam<Orientation> {
 protected:
  int Signed(int height) const { return GetParam().topDown ? -height : height; }
};

TEST_P(RoundTrip, Every16BitColourComesBackExactly) {
  const int width = 256;
  const int height = 128;  // 32768 pixels: one of each colour
  DibInfo info(width, Signed(height), 16);
  GuardedBuffer in(info.ImageBytes(), GetParam().guard);
  for (int i = 0; i < 32768; ++i) {
    const auto colour = static_cast<std::uint16_t>(i);
    std::memcpy(in.data() + 2 * i, &colour, 2);
  }
  Canvas canvas(width, height, kMarker);
  ASSERT_EQ(Put(canvas, info, in.data()), height);

  // Five bits widen to eight by repeating their top bits.
  auto expand = [](int v) { return static_cast<std::uint32_t>((v << 3) | (v >> 2)); };
  for (int i : {0, 1, 0x1F, 0x3E0, 0x4210, 0x7C00, 0x7FFF, 12345}) {
    const int row = i / width;
    const int y = GetParam().topDown ? row : height - 1 - row;
    EXPECT_EQ(canvas.Pixel(i % width, y), (expand(i >> 10) << 16) | (expand((i >> 5) & 31) << 8) | expand(i & 31))
        << "colour " << i;
  }

  GuardedBuffer out(info.ImageBytes(), GetParam().guard);
  std::memset(out.data(), 0xEE, out.size());
  ASSERT_EQ(Get(canvas, info, out.data(), 0, height), height);
  EXPECT_EQ(std::memcmp(in.data(), out.data(), info.ImageBytes()), 0);
}

TEST_P(RoundTrip, TrueColourPixelsComeBackExactly) {
  // Every mix of channel values around the edges of their range.
  const std::vector<int> levels{0, 1, 0x7F, 0x80, 0xFE, 0xFF, 0x5A};
  std::vector<std::uint32_t> colours;
  for (int r : levels)
    for (int g : levels)
      for (int b : levels) colours.push_back(static_cast<std::uint32_t>((r << 16) | (g << 8) | b));
  const int width = 49;  // odd: 24-bit rows need padding
  const int height = static_cast<int>(colours.size()) / width;
  for (int bitCount : {24, 32}) {
    SCOPED_TRACE(bitCount);
    DibInfo info(width, Signed(height), bitCount);
    GuardedBuffer in(info.ImageBytes(), GetParam().guard);
    std::memset(in.data(), 0, in.size());
    for (int i = 0; i < width * height; ++i) {
      std::uint8_t* p = in.data() + static_cast<std::size_t>(i / width) * info.Stride() +
                        static_cast<std::size_t>(i % width) * static_cast<std::size_t>(bitCount / 8);
      p[0] = static_cast<std::uint8_t>(colours[i]);
      p[1] = static_cast<std::uint8_t>(colours[i] >> 8);
      p[2] = static_cast<std::uint8_t>(colours[i] >> 16);
    }
    Canvas canvas(width, height, kMarker);
    ASSERT_EQ(Put(canvas, info, in.data()), height);
    const int firstRow = GetParam().topDown ? 0 : height - 1;
    EXPECT_EQ(canvas.Pixel(3, firstRow), colours[3]);

    GuardedBuffer out(info.ImageBytes(), GetParam().guard);
    std::memset(out.data(), 0, out.size());
    ASSERT_EQ(Get(canvas, info, out.data(), 0, height), height);
    EXPECT_EQ(std::memcmp(in.data(), out.data(), info.ImageBytes()), 0);
  }
}

TEST_P(RoundTrip, EightBitPixelsKeepTheirIndices) {
  DibInfo info(16, Signed(16), 8, 256);
  ASSERT_EQ(info.size(), 1064u);
  for (int i = 0; i < 256; ++i) {
    // Distinct colours that are not in index order.
    info.table()[i] = RGBQUAD{static_cast<BYTE>(i * 7), static_cast<BYTE>(255 - i), static_cast<BYTE>(i ^ 0x5A), 0};
  }
  GuardedBuffer in(info.ImageBytes(), GetParam().guard);
  for (int i = 0; i < 256; ++i) in.data()[i] = static_cast<std::uint8_t>((i * 37) & 0xFF);
  Canvas canvas(16, 16, kMarker);
  ASSERT_EQ(Put(canvas, info, in.data()), 16);
  const RGBQUAD& q = info.table()[in.data()[0]];
  EXPECT_EQ(canvas.Pixel(0, GetParam().topDown ? 0 : 15),
            (static_cast<std::uint32_t>(q.rgbRed) << 16) | (q.rgbGreen << 8) | q.rgbBlue);

  GuardedBuffer out(info.ImageBytes(), GetParam().guard);
  ASSERT_EQ(Get(canvas, info, out.data(), 0, 16), 16);
  EXPECT_EQ(std::memcmp(in.data(), out.data(), info.ImageBytes()), 0);
}

INSTANTIATE_TEST_SUITE_P(Orientations, RoundTrip,
                         testing::Values(Orientation{false, GuardedBuffer::kGuardAfter},
                                         Orientation{false, GuardedBuffer::kGuardBefore},
                                         Orientation{true, GuardedBuffer::kGuardAfter},
                                         Orientation{true, GuardedBuffer::kGuardBefore}),
                         OrientationName);

TEST(DibTransfer, EightBitWriteTakesTheNearestTableColour) {
  DibInfo info(4, 1, 8, 3);
  info.table()[0] = RGBQUAD{0, 0, 0, 0};
  info.table()[1] = RGBQUAD{0, 0, 200, 0};      // red
  info.table()[2] = RGBQUAD{250, 250, 250, 0};  // near white
  Canvas canvas(4, 1);
  canvas.SetPixel(0, 0, 0x100000);  // dark: black
  canvas.SetPixel(1, 0, 0xF01010);  // reddish: red
  canvas.SetPixel(2, 0, 0xFFFFFF);  // white: near white
  canvas.SetPixel(3, 0, 0xC80000);  // exactly the red entry
  std::vector<std::uint8_t> out(info.ImageBytes(), 0xEE);
  ASSERT_EQ(Get(canvas, info, out.data(), 0, 1), 1);
  EXPECT_EQ(out, (std::vector<std::uint8_t>{0, 1, 2, 1}));
}

TEST(DibTransfer, EightBitWithoutColourCountUsesTheFullTable) {
  DibInfo info(2, 1, 8, 256);
  info.header().biClrUsed = 0;
  info.table()[255] = RGBQUAD{0x33, 0x22, 0x11, 0};
  std::vector<std::uint8_t> bits(info.ImageBytes(), 255);
  Canvas canvas(2, 1);
  ASSERT_EQ(Put(canvas, info, bits.data()), 1);
  EXPECT_EQ(canvas.Pixel(1, 0), 0x112233u);
}

TEST(DibTransfer, RowsFollowTheSignOfTheHeight) {
  // Three rows, red at the top of the picture, then green, then blue.
  const std::uint32_t rows[3] = {0xFF0000, 0x00FF00, 0x0000FF};
  for (bool topDown : {false, true}) {
    SCOPED_TRACE(topDown ? "top-down" : "bottom-up");
    DibInfo info(2, topDown ? -3 : 3, 32);
    std::vector<std::uint32_t> bits(6);
    for (int y = 0; y < 3; ++y) {
      const int stored = topDown ? y : 2 - y;  // bottom-up DIBs store the bottom row first
      bits[static_cast<std::size_t>(stored) * 2] = bits[static_cast<std::size_t>(stored) * 2 + 1] = rows[y];
    }
    Canvas canvas(2, 3);
    ASSERT_EQ(Put(canvas, info, bits.data()), 3);
    for (int y = 0; y < 3; ++y) EXPECT_EQ(canvas.Pixel(1, y), rows[y]) << "row " << y;
  }
}

TEST(DibTransfer, PaddedRowsOfAnOddWidthFrame) {
  const int width = 161;
  const int height = 120;
  DibInfo info(width, height, 24);
  ASSERT_EQ(info.Stride(), 484u);
  GuardedBuffer in(info.ImageBytes(), GuardedBuffer::kGuardAfter);
  std::memset(in.data(), 0xA5, in.size());  // padding bytes keep this value
  auto colour = [](int x, int y) { return static_cast<std::uint32_t>((x * 1583 + y * 7919) & 0xFFFFFF); };
  for (int y = 0; y < height; ++y) {
    std::uint8_t* row = in.data() + static_cast<std::size_t>(height - 1 - y) * info.Stride();
    for (int x = 0; x < width; ++x) {
      row[3 * x] = static_cast<std::uint8_t>(colour(x, y));
      row[3 * x + 1] = static_cast<std::uint8_t>(colour(x, y) >> 8);
      row[3 * x + 2] = static_cast<std::uint8_t>(colour(x, y) >> 16);
    }
  }
  Canvas canvas(width, height);
  ASSERT_EQ(Put(canvas, info, in.data()), height);
  for (int y : {0, 1, 60, height - 1})
    for (int x : {0, 1, 80, width - 1}) EXPECT_EQ(canvas.Pixel(x, y), colour(x, y)) << x << "," << y;

  GuardedBuffer out(info.ImageBytes(), GuardedBuffer::kGuardAfter);
  std::memset(out.data(), 0xA5, out.size());
  ASSERT_EQ(Get(canvas, info, out.data(), 0, height), height);
  EXPECT_EQ(std::memcmp(in.data(), out.data(), info.ImageBytes()), 0);
}

// A way to spoil a call: a header change, or a change to the arguments.
struct BadCase {
  const char* name;
  std::function<void(BITMAPINFOHEADER&)> header;
};

class UnreadableFormat : public testing::TestWithParam<BadCase> {};

TEST_P(UnreadableFormat, IsRefusedAndTouchesNothing) {
  DibInfo info(8, 4, 16, 0);
  GetParam().header(info.header());
  // The bits hold only what a valid 8 x 4 16-bit DIB needs; a reader that trusted a
  // larger header would run into the guard page.
  GuardedBuffer bits(DibInfo(8, 4, 16).ImageBytes(), GuardedBuffer::kGuardAfter);
  std::memset(bits.data(), 0x7F, bits.size());
  Canvas canvas(8, 4, kMarker);
  EXPECT_EQ(StretchDIBits(canvas.dc(), 0, 0, 8, 4, 0, 0, 8, 4, bits.data(), info.info(), DIB_RGB_COLORS, SRCCOPY), 0);
  EXPECT_EQ(canvas.Count(Rgb(kMarker)), 8 * 4);

  std::memset(bits.data(), 0x7F, bits.size());
  EXPECT_EQ(Get(canvas, info, bits.data(), 0, 4), 0);
  for (std::size_t i = 0; i < bits.size(); ++i) ASSERT_EQ(bits.data()[i], 0x7F) << "byte " << i;
}

INSTANTIATE_TEST_SUITE_P(
    Headers, UnreadableFormat,
    testing::Values(BadCase{"ShortHeader", [](BITMAPINFOHEADER& h) { h.biSize = 39; }},
                    BadCase{"HugeHeaderSize", [](BITMAPINFOHEADER& h) { h.biSize = 0x7FFFFFFF; }},
                    BadCase{"Rle8", [](BITMAPINFOHEADER& h) { h.biCompression = BI_RLE8; }},
                    BadCase{"Bitfields", [](BITMAPINFOHEADER& h) { h.biCompression = BI_BITFIELDS; }},
                    BadCase{"FourCC", [](BITMAPINFOHEADER& h) { h.biCompression = 0x32595559; }},
                    BadCase{"TwoPlanes", [](BITMAPINFOHEADER& h) { h.biPlanes = 2; }},
                    BadCase{"FourBits", [](BITMAPINFOHEADER& h) { h.biBitCount = 4; }},
                    BadCase{"FifteenBits", [](BITMAPINFOHEADER& h) { h.biBitCount = 15; }},
                    BadCase{"ZeroBits", [](BITMAPINFOHEADER& h) { h.biBitCount = 0; }},
                    BadCase{"ZeroWidth", [](BITMAPINFOHEADER& h) { h.biWidth = 0; }},
                    BadCase{"NegativeWidth", [](BITMAPINFOHEADER& h) { h.biWidth = -8; }},
                    BadCase{"ZeroHeight", [](BITMAPINFOHEADER& h) { h.biHeight = 0; }},
                    BadCase{"MinimumHeight", [](BITMAPINFOHEADER& h) { h.biHeight = INT_MIN; }},
                    BadCase{"HugeWidth", [](BITMAPINFOHEADER& h) {
                              h.biWidth = 0x40000000;
                              h.biSizeImage = 0;
                            }},
                    BadCase{"AbsurdSize", [](BITMAPINFOHEADER& h) {
                              h.biWidth = 16385;
                              h.biSizeImage = 0;
                            }},
                    BadCase{"ImageSizeTooSmall", [](BITMAPINFOHEADER& h) { h.biSizeImage = 63; }},
                    BadCase{"TooManyColours", [](BITMAPINFOHEADER& h) {
                              h.biBitCount = 8;
                              h.biClrUsed = 257;
                              h.biSizeImage = 0;
                            }}),
    [](const testing::TestParamInfo<BadCase>& info) { return std::string(info.param.name); });

TEST(DibTransfer, BadArgumentsAreRefusedAndTouchNothing) {
  DibInfo info(8, 4, 32);
  std::vector<std::uint32_t> bits(32, 0xFFFFFF);
  Canvas canvas(8, 4, kMarker);
  const void* b = bits.data();
  const BITMAPINFO* i = info.info();
  HDC dc = canvas.dc();
  struct Call {
    const char* name;
    int result;
  } calls[] = {
      {"null bits", StretchDIBits(dc, 0, 0, 8, 4, 0, 0, 8, 4, nullptr, i, DIB_RGB_COLORS, SRCCOPY)},
      {"null info", StretchDIBits(dc, 0, 0, 8, 4, 0, 0, 8, 4, b, nullptr, DIB_RGB_COLORS, SRCCOPY)},
      {"palette indices", StretchDIBits(dc, 0, 0, 8, 4, 0, 0, 8, 4, b, i, 1, SRCCOPY)},
      {"other raster op", StretchDIBits(dc, 0, 0, 8, 4, 0, 0, 8, 4, b, i, DIB_RGB_COLORS, 0x00EE0086)},
      {"no DC", StretchDIBits(nullptr, 0, 0, 8, 4, 0, 0, 8, 4, b, i, DIB_RGB_COLORS, SRCCOPY)},
      {"bitmap as DC",
       StretchDIBits(reinterpret_cast<HDC>(canvas.bitmap()), 0, 0, 8, 4, 0, 0, 8, 4, b, i, DIB_RGB_COLORS, SRCCOPY)},
      {"source left of picture", StretchDIBits(dc, 0, 0, 8, 4, -1, 0, 8, 4, b, i, DIB_RGB_COLORS, SRCCOPY)},
      {"source right of picture", StretchDIBits(dc, 0, 0, 8, 4, 1, 0, 8, 4, b, i, DIB_RGB_COLORS, SRCCOPY)},
      {"source above picture", StretchDIBits(dc, 0, 0, 8, 4, 0, 1, 8, 4, b, i, DIB_RGB_COLORS, SRCCOPY)},
      {"source below picture", StretchDIBits(dc, 0, 0, 8, 4, 0, -1, 8, 4, b, i, DIB_RGB_COLORS, SRCCOPY)},
      {"huge source", StretchDIBits(dc, 0, 0, 8, 4, INT_MAX, 0, 8, 4, b, i, DIB_RGB_COLORS, SRCCOPY)},
      {"empty source", StretchDIBits(dc, 0, 0, 8, 4, 0, 0, 0, 4, b, i, DIB_RGB_COLORS, SRCCOPY)},
      {"empty destination", StretchDIBits(dc, 0, 0, 8, 0, 0, 0, 8, 4, b, i, DIB_RGB_COLORS, SRCCOPY)},
      {"mirrored destination", StretchDIBits(dc, 8, 0, -8, 4, 0, 0, 8, 4, b, i, DIB_RGB_COLORS, SRCCOPY)},
      {"destination overflow", StretchDIBits(dc, INT_MAX, 0, 8, 4, 0, 0, 8, 4, b, i, DIB_RGB_COLORS, SRCCOPY)},
      {"GetDIBits null bits", GetDIBits(dc, canvas.bitmap(), 0, 4, nullptr, info.info(), DIB_RGB_COLORS)},
      {"GetDIBits no bitmap", GetDIBits(dc, nullptr, 0, 4, bits.data(), info.info(), DIB_RGB_COLORS)},
      {"GetDIBits DC as bitmap",
       GetDIBits(dc, reinterpret_cast<HBITMAP>(dc), 0, 4, bits.data(), info.info(), DIB_RGB_COLORS)},
      {"GetDIBits no DC", GetDIBits(nullptr, canvas.bitmap(), 0, 4, bits.data(), info.info(), DIB_RGB_COLORS)},
      {"GetDIBits start past the end", GetDIBits(dc, canvas.bitmap(), 4, 1, bits.data(), info.info(), DIB_RGB_COLORS)},
      {"GetDIBits no lines", GetDIBits(dc, canvas.bitmap(), 0, 0, bits.data(), info.info(), DIB_RGB_COLORS)},
  };
  for (const Call& call : calls) EXPECT_EQ(call.result, 0) << call.name;
  EXPECT_EQ(canvas.Count(Rgb(kMarker)), 8 * 4);
  for (std::uint32_t p : bits) ASSERT_EQ(p, 0xFFFFFFu);
}

TEST(DibTransfer, GetDIBitsWritesOnlyTheScanLinesAskedFor) {
  const int width = 3;
  const int height = 5;
  Canvas canvas(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) canvas.SetPixel(x, y, static_cast<std::uint32_t>(0x010101 * (y * 10 + x)));
  struct Row {
    bool topDown;
    UINT start;
    UINT lines;
    int written;
    int firstPictureRow;  // the picture row that lands first in the buffer
  } rows[] = {
      {false, 0, 5, 5, 4}, {false, 1, 2, 2, 3}, {false, 4, 9, 1, 0},
      {true, 0, 5, 5, 0},  {true, 1, 2, 2, 1},  {true, 3, 100, 2, 3},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << (r.topDown ? "top-down" : "bottom-up") << " start " << r.start);
    DibInfo info(width, r.topDown ? -height : height, 32);
    // Exactly the rows that should be written: anything more runs into the guard page.
    GuardedBuffer out(info.Stride() * static_cast<std::size_t>(r.written), GuardedBuffer::kGuardAfter);
    ASSERT_EQ(Get(canvas, info, out.data(), r.start, r.lines), r.written);
    std::uint32_t first;
    std::memcpy(&first, out.data(), 4);
    EXPECT_EQ(first, 0x010101u * static_cast<std::uint32_t>(r.firstPictureRow * 10));
  }
}

TEST(DibTransfer, GetDIBitsWritesBlackWhereTheBitmapEnds) {
  Canvas canvas(2, 2, RGB(255, 255, 255));
  DibInfo info(3, -3, 24);
  std::vector<std::uint8_t> out(info.ImageBytes(), 0x77);
  ASSERT_EQ(Get(canvas, info, out.data(), 0, 3), 3);
  auto pixel = [&](int x, int y) {
    const std::uint8_t* p = out.data() + static_cast<std::size_t>(y) * info.Stride() + 3 * static_cast<std::size_t>(x);
    return (static_cast<std::uint32_t>(p[2]) << 16) | (p[1] << 8) | p[0];
  };
  EXPECT_EQ(pixel(1, 1), 0xFFFFFFu);
  EXPECT_EQ(pixel(2, 0), 0u);
  EXPECT_EQ(pixel(0, 2), 0u);
}

TEST(DibTransfer, StretchCopiesTheNearestPixel) {
  // 2 x 2 picture (bottom-up): top row red, green; bottom row blue, white.
  DibInfo info(2, 2, 32);
  std::vector<std::uint32_t> bits{0x0000FF, 0xFFFFFF, 0xFF0000, 0x00FF00};
  Canvas canvas(6, 6, kMarker);
  EXPECT_EQ(StretchDIBits(canvas.dc(), 1, 1, 4, 4, 0, 0, 2, 2, bits.data(), info.info(), DIB_RGB_COLORS, SRCCOPY), 2);
  const std::uint32_t expected[6][6] = {
      {0x123456, 0x123456, 0x123456, 0x123456, 0x123456, 0x123456},
      {0x123456, 0xFF0000, 0xFF0000, 0x00FF00, 0x00FF00, 0x123456},
      {0x123456, 0xFF0000, 0xFF0000, 0x00FF00, 0x00FF00, 0x123456},
      {0x123456, 0x0000FF, 0x0000FF, 0xFFFFFF, 0xFFFFFF, 0x123456},
      {0x123456, 0x0000FF, 0x0000FF, 0xFFFFFF, 0xFFFFFF, 0x123456},
      {0x123456, 0x123456, 0x123456, 0x123456, 0x123456, 0x123456},
  };
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 6; ++x) EXPECT_EQ(canvas.Pixel(x, y), expected[y][x]) << x << "," << y;
}

TEST(DibTransfer, SourceRowsOfABottomUpDibCountFromTheBottom) {
  DibInfo info(2, 2, 32);
  std::vector<std::uint32_t> bits{0x0000FF, 0xFFFFFF, 0xFF0000, 0x00FF00};  // bottom row first
  Canvas canvas(1, 1);
  // (0, 0) of a bottom-up DIB is its lower-left pixel.
  EXPECT_EQ(StretchDIBits(canvas.dc(), 0, 0, 1, 1, 0, 0, 1, 1, bits.data(), info.info(), DIB_RGB_COLORS, SRCCOPY), 1);
  EXPECT_EQ(canvas.Pixel(0, 0), 0x0000FFu);
  EXPECT_EQ(StretchDIBits(canvas.dc(), 0, 0, 1, 1, 1, 1, 1, 1, bits.data(), info.info(), DIB_RGB_COLORS, SRCCOPY), 1);
  EXPECT_EQ(canvas.Pixel(0, 0), 0x00FF00u);
}

TEST(DibTransfer, ScaledSixteenBitReadsStayInsideTheBits) {
  for (bool topDown : {false, true}) {
    for (auto side : {GuardedBuffer::kGuardAfter, GuardedBuffer::kGuardBefore}) {
      DibInfo info(37, topDown ? -23 : 23, 16);
      GuardedBuffer bits(info.ImageBytes(), side);
      std::memset(bits.data(), 0xFF, bits.size());
      Canvas canvas(100, 70);
      EXPECT_EQ(StretchDIBits(canvas.dc(), 0, 0, 100, 70, 0, 0, 37, 23, bits.data(), info.info(), DIB_RGB_COLORS,
                              SRCCOPY),
                23);
      EXPECT_EQ(canvas.Pixel(99, 69), 0xFFFFFFu);
      EXPECT_EQ(canvas.Pixel(0, 0), 0xFFFFFFu);
    }
  }
}

}  // namespace
