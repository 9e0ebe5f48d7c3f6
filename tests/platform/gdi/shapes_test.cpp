// Rectangle with pens and brushes, FillRect.
#include <gtest/gtest.h>

#include "gdi_test_support.h"

using namespace gdi_test;

namespace {

constexpr std::uint32_t kPaper = 0xFFFF00;  // RGB(255, 255, 0)

bool OnBorder(int x, int y, int width, int height) { return x == 0 || y == 0 || x == width - 1 || y == height - 1; }

// Draws Rectangle(0, 0, width, height) with the pen and brush on a paper-coloured canvas.
struct Drawn {
  Drawn(int width, int height, HPEN pen, HBRUSH brush, int bkMode = TRANSPARENT) : canvas(width, height, RGB(255, 255, 0)) {
    SelectObject(canvas.dc(), pen);
    SelectObject(canvas.dc(), brush);
    SetBkMode(canvas.dc(), bkMode);
    SetBkColor(canvas.dc(), RGB(0, 0, 255));
    result = Rectangle(canvas.dc(), 0, 0, width, height);
    SelectObject(canvas.dc(), GetStockObject(BLACK_PEN));
    SelectObject(canvas.dc(), GetStockObject(WHITE_BRUSH));
  }
  Canvas canvas;
  BOOL result;
};

TEST(Rectangle, DashedPenAndNullBrushDrawOnlyTheBorder) {
  // The design-mode outline: a dashed pen along the control's edges, nothing filled.
  const int width = 160;
  const int height = 120;
  HPEN pen = CreatePen(PS_DASH, 1, RGB(255, 0, 0));
  Drawn d(width, height, pen, static_cast<HBRUSH>(GetStockObject(NULL_BRUSH)));
  EXPECT_EQ(d.result, TRUE);
  int drawn = 0;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const std::uint32_t p = d.canvas.Pixel(x, y);
      if (!OnBorder(x, y, width, height)) {
        ASSERT_EQ(p, kPaper) << x << "," << y;
      } else {
        ASSERT_TRUE(p == kPaper || p == 0xFF0000u) << x << "," << y;
        drawn += p == 0xFF0000u ? 1 : 0;
      }
    }
  }
  // Dashes of 18 with gaps of 6, starting at the top-left corner and reaching every edge.
  for (int x = 0; x < 18; ++x) EXPECT_EQ(d.canvas.Pixel(x, 0), 0xFF0000u) << x;
  for (int x = 18; x < 24; ++x) EXPECT_EQ(d.canvas.Pixel(x, 0), kPaper) << x;
  const int perimeter = 2 * (width + height) - 4;
  EXPECT_NEAR(drawn, perimeter * 18 / 24, 18);
  int right = 0, bottom = 0;
  for (int y = 0; y < height; ++y) right += d.canvas.Pixel(width - 1, y) == 0xFF0000u ? 1 : 0;
  for (int x = 0; x < width; ++x) bottom += d.canvas.Pixel(x, height - 1) == 0xFF0000u ? 1 : 0;
  EXPECT_GT(right, 0);
  EXPECT_GT(bottom, 0);
  DeleteObject(pen);
}

TEST(Rectangle, GapsOfAStyledPenTakeTheBackgroundWhenOpaque) {
  HPEN pen = CreatePen(PS_DOT, 1, RGB(255, 0, 0));
  Drawn d(20, 10, pen, static_cast<HBRUSH>(GetStockObject(NULL_BRUSH)), OPAQUE);
  const std::vector<std::uint32_t> top{0xFF0000, 0xFF0000, 0xFF0000, 0x0000FF, 0x0000FF, 0x0000FF, 0xFF0000};
  for (int x = 0; x < 7; ++x) EXPECT_EQ(d.canvas.Pixel(x, 0), top[static_cast<std::size_t>(x)]) << x;
  EXPECT_EQ(d.canvas.Pixel(5, 5), kPaper);
  DeleteObject(pen);
}

struct PenCase {
  const char* name;
  int style;
  int width;
  bool filled;  // a solid brush
  int outlineWidth;  // 0: no outline
};

class RectanglePens : public testing::TestWithParam<PenCase> {};

TEST_P(RectanglePens, OutlineInsideTheRectangleAndFill) {
  const PenCase& c = GetParam();
  HPEN pen = CreatePen(c.style, c.width, RGB(255, 0, 0));
  HBRUSH brush = c.filled ? CreateSolidBrush(RGB(0, 255, 0)) : static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
  const int width = 12;
  const int height = 9;
  Drawn d(width, height, pen, brush);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const int edge = std::min(std::min(x, y), std::min(width - 1 - x, height - 1 - y));
      std::uint32_t expected = c.filled ? 0x00FF00 : kPaper;
      if (edge < c.outlineWidth) expected = 0xFF0000;
      ASSERT_EQ(d.canvas.Pixel(x, y), expected) << x << "," << y;
    }
  }
  DeleteObject(pen);
  if (c.filled) DeleteObject(brush);
}

INSTANTIATE_TEST_SUITE_P(Pens, RectanglePens,
                         testing::Values(PenCase{"SolidFilled", PS_SOLID, 1, true, 1},
                                         PenCase{"SolidHollow", PS_SOLID, 1, false, 1},
                                         PenCase{"ZeroWidthIsOnePixel", PS_SOLID, 0, true, 1},
                                         PenCase{"WidePen", PS_SOLID, 3, true, 3},
                                         PenCase{"WideDashedIsSolid", PS_DASH, 2, false, 2},
                                         PenCase{"NullPenFilled", PS_NULL, 1, true, 0},
                                         PenCase{"NullPenHollow", PS_NULL, 1, false, 0}),
                         [](const testing::TestParamInfo<PenCase>& info) { return std::string(info.param.name); });

TEST(Rectangle, CornersInAnyOrderAndThinRectangles) {
  Canvas canvas(6, 6, RGB(255, 255, 255));
  SelectObject(canvas.dc(), GetStockObject(NULL_BRUSH));
  EXPECT_EQ(Rectangle(canvas.dc(), 4, 4, 1, 1), TRUE);  // same as (1, 1, 4, 4)
  EXPECT_EQ(canvas.Count(0), 8);
  EXPECT_EQ(canvas.Pixel(1, 1), 0u);
  EXPECT_EQ(canvas.Pixel(3, 3), 0u);
  EXPECT_EQ(canvas.Pixel(2, 2), 0xFFFFFFu);

  canvas.Fill(RGB(255, 255, 255));
  HPEN pen = CreatePen(PS_DOT, 1, RGB(0, 0, 0));
  SelectObject(canvas.dc(), pen);
  EXPECT_EQ(Rectangle(canvas.dc(), 0, 2, 6, 3), TRUE);  // one row high: a dotted line
  for (int x = 0; x < 6; ++x) EXPECT_EQ(canvas.Pixel(x, 2), x < 3 ? 0u : 0xFFFFFFu) << x;
  EXPECT_EQ(Rectangle(canvas.dc(), 2, 2, 2, 5), TRUE);  // empty
  SelectObject(canvas.dc(), GetStockObject(BLACK_PEN));
  DeleteObject(pen);
}

TEST(Rectangle, HugeRectanglesAreClippedCheaply) {
  Canvas canvas(8, 8, RGB(255, 255, 255));
  HPEN pen = CreatePen(PS_DASHDOTDOT, 1, RGB(0, 0, 0));
  SelectObject(canvas.dc(), pen);
  SelectObject(canvas.dc(), GetStockObject(NULL_BRUSH));
  EXPECT_EQ(Rectangle(canvas.dc(), -2000000000, 3, 2000000000, 2000000000), TRUE);
  // Only the top edge crosses the canvas.
  int drawn = 0;
  for (int x = 0; x < 8; ++x) drawn += canvas.Pixel(x, 3) == 0 ? 1 : 0;
  EXPECT_GT(drawn, 0);
  EXPECT_EQ(canvas.Count(0), drawn);
  SelectObject(canvas.dc(), GetStockObject(BLACK_PEN));
  DeleteObject(pen);
}

TEST(FillRect, FillsExactlyTheRectangleWithTheBrush) {
  Canvas canvas(5, 5, RGB(0, 0, 0));
  HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
  RECT r{1, 2, 4, 5};
  EXPECT_EQ(FillRect(canvas.dc(), &r, brush), 1);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 5; ++x)
      EXPECT_EQ(canvas.Pixel(x, y), (x >= 1 && x < 4 && y >= 2) ? 0x010203u : 0u) << x << "," << y;
  RECT all{0, 0, 5, 5};
  EXPECT_EQ(FillRect(canvas.dc(), &all, static_cast<HBRUSH>(GetStockObject(NULL_BRUSH))), 1);
  EXPECT_EQ(canvas.Pixel(0, 0), 0u);
  EXPECT_EQ(FillRect(canvas.dc(), nullptr, brush), 0);
  DeleteObject(brush);
}

}  // namespace
