// DrawDib: scaled drawing of DIBs into device contexts, handles, clipping.
#include <gtest/gtest.h>

#include <vector>

#include "gdi_test_support.h"
#include "platform/vfw.h"

using namespace gdi_test;

namespace {

constexpr COLORREF kMarker = RGB(0x12, 0x34, 0x56);

// A 16-bit bottom-up frame: the left half red, the right half blue, a green top row.
struct Frame {
  Frame(int width, int height) : info(width, height, 16), bits(info.ImageBytes()) {
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        const std::uint16_t colour = y == 0 ? 0x03E0 : (x < width / 2 ? 0x7C00 : 0x001F);
        const std::size_t row = static_cast<std::size_t>(height - 1 - y);  // bottom-up
        std::memcpy(bits.data() + row * info.Stride() + 2 * static_cast<std::size_t>(x), &colour, 2);
      }
    }
  }
  BITMAPINFOHEADER* header() { return &info.header(); }
  DibInfo info;
  std::vector<std::uint8_t> bits;
};

class DrawDib : public testing::Test {
 protected:
  DrawDib() : hdd_(DrawDibOpen()) {}
  ~DrawDib() override { DrawDibClose(hdd_); }
  HDRAWDIB hdd_;
};

TEST_F(DrawDib, ScalesA400x300FrameOverTheWholeDestination) {
  Frame frame(400, 300);
  Canvas canvas(640, 480, kMarker);
  ASSERT_NE(DrawDibDraw(hdd_, canvas.dc(), 0, 0, 640, 480, frame.header(), frame.bits.data(), 0, 0, 400, 300, 0), FALSE);
  EXPECT_EQ(canvas.Count(Rgb(kMarker)), 0);
  // Corners keep their colours: the edges are not blended with anything outside the frame.
  EXPECT_EQ(canvas.Pixel(0, 479), 0xFF0000u);
  EXPECT_EQ(canvas.Pixel(639, 479), 0x0000FFu);
  EXPECT_EQ(canvas.Pixel(0, 0), 0x00FF00u);
  EXPECT_EQ(canvas.Pixel(639, 0), 0x00FF00u);
  // Smooth: between the halves there are blended pixels.
  EXPECT_NE(canvas.Pixel(320, 240), 0xFF0000u);
  EXPECT_NE(canvas.Pixel(320, 240), 0x0000FFu);
}

TEST_F(DrawDib, StretchesHorizontallyOnly) {
  Frame frame(400, 300);
  Canvas canvas(800, 300, kMarker);
  ASSERT_NE(DrawDibDraw(hdd_, canvas.dc(), 0, 0, 800, 300, frame.header(), frame.bits.data(), 0, 0, 400, 300, 0), FALSE);
  EXPECT_EQ(canvas.Count(Rgb(kMarker)), 0);
  // Rows are not scaled: the green row stays one row high.
  for (int x : {0, 100, 799}) {
    EXPECT_EQ(canvas.Pixel(x, 0), 0x00FF00u) << x;
    EXPECT_NE(canvas.Pixel(x, 1), 0x00FF00u) << x;
  }
  // Columns are: red reaches to about twice as far.
  EXPECT_EQ(canvas.Pixel(397, 150), 0xFF0000u);
  EXPECT_EQ(canvas.Pixel(402, 150), 0x0000FFu);
}

TEST_F(DrawDib, SameSizeIsAStraightConversion) {
  DibInfo info(3, -2, 24);
  std::vector<std::uint8_t> bits(info.ImageBytes(), 0);
  const std::uint8_t first[3] = {0x11, 0x22, 0x33};  // B, G, R
  std::memcpy(bits.data(), first, 3);
  Canvas canvas(5, 4, kMarker);
  ASSERT_NE(DrawDibDraw(hdd_, canvas.dc(), 1, 1, 3, 2, &info.header(), bits.data(), 0, 0, 3, 2, 0), FALSE);
  EXPECT_EQ(canvas.Pixel(1, 1), 0x332211u);
  EXPECT_EQ(canvas.Pixel(3, 2), 0u);
  EXPECT_EQ(canvas.Pixel(0, 0), Rgb(kMarker));
  EXPECT_EQ(canvas.Pixel(4, 3), Rgb(kMarker));
  EXPECT_EQ(canvas.Count(Rgb(kMarker)), 20 - 6);
}

TEST_F(DrawDib, SourceRectangleCountsFromTheTopLeft) {
  Frame frame(8, 6);
  Canvas canvas(2, 2, kMarker);
  // The top row of the (bottom-up) frame is green.
  ASSERT_NE(DrawDibDraw(hdd_, canvas.dc(), 0, 0, 2, 1, frame.header(), frame.bits.data(), 0, 0, 2, 1, 0), FALSE);
  EXPECT_EQ(canvas.Pixel(0, 0), 0x00FF00u);
  ASSERT_NE(DrawDibDraw(hdd_, canvas.dc(), 0, 1, 2, 1, frame.header(), frame.bits.data(), 6, 5, 2, 1, 0), FALSE);
  EXPECT_EQ(canvas.Pixel(1, 1), 0x0000FFu);
}

TEST_F(DrawDib, RefusesWhatItCannotDraw) {
  Frame frame(8, 6);
  Canvas canvas(8, 6, kMarker);
  HDC dc = canvas.dc();
  void* bits = frame.bits.data();
  BITMAPINFOHEADER compressed = *frame.header();
  compressed.biCompression = BI_RLE8;
  HDRAWDIB closed = DrawDibOpen();
  EXPECT_EQ(DrawDibClose(closed), TRUE);
  struct Call {
    const char* name;
    BOOL result;
  } calls[] = {
      {"null handle", DrawDibDraw(nullptr, dc, 0, 0, 8, 6, frame.header(), bits, 0, 0, 8, 6, 0)},
      {"closed handle", DrawDibDraw(closed, dc, 0, 0, 8, 6, frame.header(), bits, 0, 0, 8, 6, 0)},
      {"DC as handle", DrawDibDraw(reinterpret_cast<HDRAWDIB>(dc), dc, 0, 0, 8, 6, frame.header(), bits, 0, 0, 8, 6, 0)},
      {"no DC", DrawDibDraw(hdd_, nullptr, 0, 0, 8, 6, frame.header(), bits, 0, 0, 8, 6, 0)},
      {"null bits", DrawDibDraw(hdd_, dc, 0, 0, 8, 6, frame.header(), nullptr, 0, 0, 8, 6, 0)},
      {"null format", DrawDibDraw(hdd_, dc, 0, 0, 8, 6, nullptr, bits, 0, 0, 8, 6, 0)},
      {"compressed", DrawDibDraw(hdd_, dc, 0, 0, 8, 6, &compressed, bits, 0, 0, 8, 6, 0)},
      {"source outside", DrawDibDraw(hdd_, dc, 0, 0, 8, 6, frame.header(), bits, 1, 0, 8, 6, 0)},
      {"empty source", DrawDibDraw(hdd_, dc, 0, 0, 8, 6, frame.header(), bits, 0, 0, 0, 6, 0)},
      {"empty destination", DrawDibDraw(hdd_, dc, 0, 0, 0, 6, frame.header(), bits, 0, 0, 8, 6, 0)},
  };
  for (const Call& call : calls) EXPECT_EQ(call.result, FALSE) << call.name;
  EXPECT_EQ(canvas.Count(Rgb(kMarker)), 8 * 6);
}

TEST(DrawDibHandles, OpenGivesFreshHandlesAndCloseRefusesTheRest) {
  HDRAWDIB a = DrawDibOpen();
  HDRAWDIB b = DrawDibOpen();
  EXPECT_NE(a, nullptr);
  EXPECT_NE(a, b);
  EXPECT_EQ(DrawDibClose(nullptr), FALSE);
  EXPECT_EQ(DrawDibClose(a), TRUE);
  EXPECT_EQ(DrawDibClose(a), FALSE);
  EXPECT_EQ(DrawDibClose(b), TRUE);
  EXPECT_NE(DrawDibOpen(), a);  // a closed handle is never issued again
}

TEST(DrawDibHandles, ANegativeOneDestinationExtentMeansThePictureSize) {
  HDRAWDIB hdd = DrawDibOpen();
  Frame frame(4, 3);
  Canvas canvas(6, 6, kMarker);
  EXPECT_NE(DrawDibDraw(hdd, canvas.dc(), 0, 0, -1, -1, frame.header(), frame.bits.data(), 0, 0, 4, 3, 0), FALSE);
  EXPECT_EQ(canvas.Count(Rgb(kMarker)), 36 - 12);
  DrawDibClose(hdd);
}

// A window-like DC: the drawing misses the rectangle a child window covers, and the
// owner hears which part of the surface changed.
TEST(DrawDibOnSurface, LeavesTheClippedRectangleAloneAndReportsDamage) {
  const int width = 64;
  const int height = 48;
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width * height), 0x00ABCDEF);
  pixman_image_t* image = pixman_image_create_bits(PIXMAN_x8r8g8b8, width, height, pixels.data(), width * 4);
  pixman_region32_t clip;
  pixman_region32_t child;
  pixman_region32_init_rect(&clip, 0, 0, width, height);
  pixman_region32_init_rect(&child, 10, 10, 20, 15);
  pixman_region32_subtract(&clip, &clip, &child);
  std::vector<RECT> damage;
  HDC dc = platform::CreateSurfaceDC(image, 0, 0, &clip, [&](const RECT& r) { damage.push_back(r); });
  pixman_region32_fini(&clip);
  pixman_region32_fini(&child);

  HDRAWDIB hdd = DrawDibOpen();
  Frame frame(16, 12);
  EXPECT_NE(DrawDibDraw(hdd, dc, 0, 0, width, height, frame.header(), frame.bits.data(), 0, 0, 16, 12, 0), FALSE);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const bool inChild = x >= 10 && x < 30 && y >= 10 && y < 25;
      const std::uint32_t p = pixels[static_cast<std::size_t>(y * width + x)] & 0xFFFFFF;
      if (inChild) {
        ASSERT_EQ(p, 0xABCDEFu) << x << "," << y;
      } else {
        ASSERT_NE(p, 0xABCDEFu) << x << "," << y;
      }
    }
  }
  ASSERT_EQ(damage.size(), 1u);
  EXPECT_EQ(damage[0].left, 0);
  EXPECT_EQ(damage[0].top, 0);
  EXPECT_EQ(damage[0].right, width);
  EXPECT_EQ(damage[0].bottom, height);
  DrawDibClose(hdd);
  DeleteDC(dc);
  pixman_image_unref(image);
}

}  // namespace
