// Canvases: text backgrounds, dashed outlines, fills, copies and the DC's own objects.
#include <gtest/gtest.h>

#include <algorithm>

#include "framework/bitmap.h"
#include "framework/brush.h"
#include "framework/canvas.h"
#include "framework/font.h"
#include "framework/pen.h"
#include "pixels.h"
#include "platform/gdi/gdi_helpers.h"
#include "runtime/exception.h"

namespace {

constexpr int W = 40;
constexpr int H = 20;

class CanvasPixels : public ::testing::Test {
 protected:
  void SetUp() override { FillBitmap(Bitmap, W, H, clBlue); }
  TCanvas* Canvas() { return Bitmap.Canvas(); }
  std::uint32_t At(const std::vector<std::uint32_t>& Pixels, int X, int Y) { return Pixels[Y * W + X]; }
  TBitmap Bitmap;
};

TEST_F(CanvasPixels, TextWithAClearBrushChangesOnlyGlyphPixels) {
  Canvas()->Font()->SetColor(clRed);
  Canvas()->Brush()->SetColor(clYellow);  // would show if the cells were filled
  Canvas()->Brush()->SetStyle(bsClear);
  Canvas()->TextOut(1, 1, "Hg");
  const auto pixels = ReadPixels(Bitmap);
  const auto glyphs = std::count(pixels.begin(), pixels.end(), Pixel(clRed));
  const auto untouched = std::count(pixels.begin(), pixels.end(), Pixel(clBlue));
  EXPECT_GT(glyphs, 10);
  EXPECT_EQ(glyphs + untouched, W * H) << "every pixel is exactly the font colour or as before";
}

TEST_F(CanvasPixels, TextWithASolidBrushFillsItsCells) {
  Canvas()->Font()->SetColor(clRed);
  Canvas()->Brush()->SetColor(clYellow);
  const SIZE extent = Canvas()->TextExtent("Hg");
  ASSERT_GT(extent.cx, 0);
  ASSERT_LT(extent.cx, W);
  EXPECT_EQ(extent.cy, 13) << "MS Sans Serif -11 has a 13-pixel cell";
  // The cells start at the given point; where they pass the surface's edge they are cut.
  const POINT origins[] = {{0, 0}, {7, 4}, {W - extent.cx / 2, H - 6}};
  for (const POINT origin : origins) {
    FillBitmap(Bitmap, W, H, clBlue);
    Canvas()->Brush()->SetColor(clYellow);
    Canvas()->TextOut(origin.x, origin.y, "Hg");
    const auto pixels = ReadPixels(Bitmap);
    int red = 0;
    int wrong = 0;
    for (int y = 0; y < H; ++y) {
      for (int x = 0; x < W; ++x) {
        const std::uint32_t p = At(pixels, x, y);
        const bool inCells = x >= origin.x && x < origin.x + extent.cx && y >= origin.y && y < origin.y + extent.cy;
        wrong += inCells == (p == Pixel(clBlue)) ? 1 : 0;
        red += p == Pixel(clRed) ? 1 : 0;
      }
    }
    EXPECT_EQ(wrong, 0) << "pixels filled outside the cells or left inside them, origin " << origin.x << ","
                        << origin.y;
    EXPECT_GT(red, 5) << origin.x << "," << origin.y;
    EXPECT_EQ(At(pixels, origin.x, origin.y), Pixel(clYellow)) << "the corner cell is background";
  }
}

TEST_F(CanvasPixels, DashedOutlineWithAClearBrushFillsNothing) {
  Canvas()->Pen()->SetStyle(psDash);
  Canvas()->Pen()->SetColor(clWhite);
  Canvas()->Brush()->SetColor(clYellow);  // would show in the gaps or inside if filled
  Canvas()->Brush()->SetStyle(bsClear);
  Canvas()->Rectangle(0, 0, W, H);
  const auto pixels = ReadPixels(Bitmap);
  int onEdge = 0;
  for (int y = 0; y < H; ++y) {
    for (int x = 0; x < W; ++x) {
      const std::uint32_t p = At(pixels, x, y);
      const bool edge = x == 0 || y == 0 || x == W - 1 || y == H - 1;
      if (edge) {
        EXPECT_TRUE(p == Pixel(clWhite) || p == Pixel(clBlue)) << x << "," << y;
        onEdge += p == Pixel(clWhite) ? 1 : 0;
      } else {
        EXPECT_EQ(p, Pixel(clBlue)) << x << "," << y << " inside";
      }
    }
  }
  EXPECT_EQ(At(pixels, 0, 0), Pixel(clWhite));
  EXPECT_GT(onEdge, W / 2);
  EXPECT_LT(onEdge, 2 * (W + H) - 4) << "gaps between the dashes stay as they were";
  // Each of the four sides has dash pixels, right and bottom included.
  const auto column = [&](int x) { int n = 0; for (int y = 0; y < H; ++y) n += At(pixels, x, y) == Pixel(clWhite); return n; };
  const auto row = [&](int y) { int n = 0; for (int x = 0; x < W; ++x) n += At(pixels, x, y) == Pixel(clWhite); return n; };
  EXPECT_GT(row(0), 0);
  EXPECT_GT(row(H - 1), 0);
  EXPECT_GT(column(0), 0);
  EXPECT_GT(column(W - 1), 0);
}

TEST_F(CanvasPixels, DashedOutlineWithASolidBrushFillsInsideAndGaps) {
  Canvas()->Pen()->SetStyle(psDash);
  Canvas()->Pen()->SetColor(clWhite);
  Canvas()->Brush()->SetColor(clRed);
  Canvas()->Rectangle(0, 0, W, H);
  const auto pixels = ReadPixels(Bitmap);
  EXPECT_EQ(std::count(pixels.begin(), pixels.end(), Pixel(clBlue)), 0);
  EXPECT_EQ(At(pixels, W / 2, H / 2), Pixel(clRed));
}

TEST_F(CanvasPixels, FillRectUsesTheBrushAndNothingWhenClear) {
  Canvas()->Brush()->SetColor(clLime);
  Canvas()->FillRect(RECT{2, 2, 4, 4});
  Canvas()->Brush()->SetStyle(bsClear);
  Canvas()->FillRect(RECT{10, 10, 12, 12});
  const auto pixels = ReadPixels(Bitmap);
  EXPECT_EQ(At(pixels, 2, 2), Pixel(clLime));
  EXPECT_EQ(At(pixels, 3, 3), Pixel(clLime));
  EXPECT_EQ(At(pixels, 4, 4), Pixel(clBlue));
  EXPECT_EQ(At(pixels, 10, 10), Pixel(clBlue));
}

TEST_F(CanvasPixels, DrawAndStretchDrawCopyABitmap) {
  TBitmap small;
  FillBitmap(small, 2, 2, clYellow);
  Canvas()->Draw(3, 4, &small);
  auto pixels = ReadPixels(Bitmap);
  EXPECT_EQ(At(pixels, 3, 4), Pixel(clYellow));
  EXPECT_EQ(At(pixels, 4, 5), Pixel(clYellow));
  EXPECT_EQ(At(pixels, 5, 5), Pixel(clBlue));
  EXPECT_EQ(At(pixels, 2, 4), Pixel(clBlue));

  Canvas()->StretchDraw(RECT{0, 0, W, H}, &small);
  pixels = ReadPixels(Bitmap);
  EXPECT_EQ(std::count(pixels.begin(), pixels.end(), Pixel(clYellow)), W * H);

  TBitmap empty;
  Canvas()->Draw(0, 0, &empty);
  Canvas()->Draw(0, 0, nullptr);
  Canvas()->StretchDraw(RECT{0, 0, 5, 5}, nullptr);
  EXPECT_EQ(ReadPixels(Bitmap), pixels);
}

TEST(CanvasObjects, FontChangesReachTheDeviceContext) {
  TBitmap bitmap;
  bitmap.SetWidth(8);
  bitmap.SetHeight(8);
  TCanvas* canvas = bitmap.Canvas();
  const int small = canvas->TextHeight("0");
  canvas->Font()->SetHeight(-30);
  EXPECT_GT(canvas->TextHeight("0"), small + 10);
  TFont font;
  canvas->SetFont(&font);
  EXPECT_EQ(canvas->TextHeight("0"), small);
  EXPECT_EQ(canvas->Font()->Height(), -11);
}

TEST(CanvasObjects, DeviceContextGetsItsOwnObjectsBack) {
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP picture = CreateCompatibleBitmap(dc, 4, 4);
  HGDIOBJ defaultBitmap = SelectObject(dc, picture);
  const std::size_t live = platform::LiveGdiObjectCount();
  {
    TCanvas canvas;
    EXPECT_FALSE(canvas.HandleAllocated());
    canvas.SetHandle(dc);
    EXPECT_TRUE(canvas.HandleAllocated());
    EXPECT_EQ(canvas.Handle(), dc);
    canvas.Pen()->SetColor(clRed);
    canvas.Brush()->SetColor(clGreen);
    canvas.Font()->SetStyle({fsBold});
    canvas.Rectangle(0, 0, 4, 4);
    canvas.TextOut(0, 0, "i");
    canvas.SetHandle(nullptr);
    EXPECT_FALSE(canvas.HandleAllocated());
  }
  EXPECT_EQ(platform::LiveGdiObjectCount(), live) << "the canvas's objects are gone, the DC's own remain";
  // The DC still draws with its own objects afterwards.
  EXPECT_TRUE(Rectangle(dc, 0, 0, 4, 4));
  SelectObject(dc, defaultBitmap);
  DeleteObject(picture);
  DeleteDC(dc);
}

TEST(CanvasObjects, DrawingWithoutADeviceContextRaises) {
  TCanvas canvas;
  EXPECT_EQ(canvas.Handle(), nullptr);
  const auto expectRaises = [](auto&& Draw) {
    try {
      Draw();
      ADD_FAILURE() << "no exception";
    } catch (const Exception& e) {
      EXPECT_EQ(e.Message(), "Canvas does not allow drawing");
    }
  };
  expectRaises([&] { canvas.TextOut(0, 0, "x"); });
  expectRaises([&] { canvas.Rectangle(0, 0, 2, 2); });
  expectRaises([&] { canvas.FillRect(RECT{0, 0, 1, 1}); });
  expectRaises([&] { canvas.TextWidth("x"); });
}

}  // namespace
