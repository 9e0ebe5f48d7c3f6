// Handles, device contexts, selected objects, stock objects, copies and surface DCs.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "gdi_test_support.h"

using namespace gdi_test;

namespace {

TEST(Handles, NeverIssuedAndStaleHandlesAreRefused) {
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(dc, 4, 4);
  HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
  ASSERT_NE(dc, nullptr);
  ASSERT_NE(bitmap, nullptr);
  ASSERT_NE(brush, nullptr);
  EXPECT_EQ(DeleteObject(brush), TRUE);
  EXPECT_EQ(DeleteObject(bitmap), TRUE);
  EXPECT_EQ(DeleteDC(dc), TRUE);

  auto made = reinterpret_cast<HDC>(static_cast<std::uintptr_t>(0x1234567));
  // Every call refuses a handle that is gone or was never issued, and one of the wrong kind.
  EXPECT_EQ(DeleteDC(dc), FALSE);
  EXPECT_EQ(DeleteObject(brush), FALSE);
  EXPECT_EQ(DeleteObject(bitmap), FALSE);
  EXPECT_EQ(DeleteDC(made), FALSE);
  EXPECT_EQ(DeleteObject(nullptr), FALSE);
  EXPECT_EQ(SelectObject(dc, GetStockObject(BLACK_PEN)), nullptr);
  EXPECT_EQ(CreateCompatibleDC(made), nullptr);
  EXPECT_EQ(CreateCompatibleBitmap(made, 4, 4), nullptr);
  EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSY), 0);
  EXPECT_EQ(SetBkMode(dc, TRANSPARENT), 0);
  EXPECT_EQ(SetTextColor(made, RGB(1, 1, 1)), 0xFFFFFFFFu);
  EXPECT_EQ(Rectangle(dc, 0, 0, 2, 2), FALSE);
  RECT r{0, 0, 1, 1};
  EXPECT_EQ(FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH))), 0);
  EXPECT_EQ(TextOutA(made, 0, 0, "x", 1), FALSE);
  EXPECT_EQ(platform::BitmapImage(bitmap), nullptr);
  EXPECT_EQ(platform::BitmapImage(reinterpret_cast<HBITMAP>(brush)), nullptr);

  Canvas canvas(2, 2);
  // A DC is not a GDI object, and a bitmap is not a DC.
  EXPECT_EQ(DeleteObject(canvas.dc()), FALSE);
  EXPECT_EQ(DeleteDC(reinterpret_cast<HDC>(canvas.bitmap())), FALSE);
  EXPECT_EQ(SelectObject(canvas.dc(), canvas.dc()), nullptr);
}

TEST(Handles, DeletingEverythingReleasesEveryHandle) {
  const std::size_t before = platform::LiveGdiObjectCount();
  {
    Canvas canvas(3, 3);
    const LOGFONTA lf{};
    HFONT font = CreateFontIndirectA(&lf);
    HPEN pen = CreatePen(PS_DASH, 1, RGB(0, 0, 0));
    EXPECT_EQ(platform::LiveGdiObjectCount(), before + 4);
    DeleteObject(font);
    DeleteObject(pen);
  }
  EXPECT_EQ(platform::LiveGdiObjectCount(), before);
}

TEST(DeviceContext, NewMemoryDcHasTheDefaultsAndAOnePixelBitmap) {
  HDC dc = CreateCompatibleDC(nullptr);
  ASSERT_NE(dc, nullptr);
  EXPECT_EQ(GetDeviceCaps(dc, HORZRES), 1);
  EXPECT_EQ(GetDeviceCaps(dc, VERTRES), 1);
  EXPECT_EQ(GetDeviceCaps(dc, BITSPIXEL), 32);
  EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSY), 96);
  const SIZE one = platform::BitmapSize(platform::SelectedBitmap(dc));
  EXPECT_EQ(one.cx, 1);
  EXPECT_EQ(one.cy, 1);
  // Text colour black, background white and opaque, black pen, white brush.
  EXPECT_EQ(SetTextColor(dc, RGB(9, 9, 9)), RGB(0, 0, 0));
  EXPECT_EQ(SetBkColor(dc, RGB(9, 9, 9)), RGB(255, 255, 255));
  EXPECT_EQ(SetBkMode(dc, TRANSPARENT), OPAQUE);
  EXPECT_EQ(SelectObject(dc, GetStockObject(NULL_PEN)), GetStockObject(BLACK_PEN));
  EXPECT_EQ(SelectObject(dc, GetStockObject(NULL_BRUSH)), GetStockObject(WHITE_BRUSH));
  TEXTMETRICA tm{};
  EXPECT_EQ(GetTextMetricsA(dc, &tm), TRUE);
  EXPECT_GT(tm.tmHeight, 0);
  DeleteDC(dc);
}

TEST(DeviceContext, SelectObjectReturnsThePreviousObjectOfTheSameKind) {
  Canvas canvas(4, 4);
  HPEN pen = CreatePen(PS_SOLID, 2, RGB(1, 2, 3));
  HBRUSH brush = CreateSolidBrush(RGB(4, 5, 6));
  LOGFONTA lf{};
  lf.lfHeight = -12;
  HFONT font = CreateFontIndirectA(&lf);
  HGDIOBJ oldPen = SelectObject(canvas.dc(), pen);
  HGDIOBJ oldBrush = SelectObject(canvas.dc(), brush);
  HGDIOBJ oldFont = SelectObject(canvas.dc(), font);
  EXPECT_EQ(oldPen, GetStockObject(BLACK_PEN));
  EXPECT_EQ(oldBrush, GetStockObject(WHITE_BRUSH));
  EXPECT_NE(oldFont, nullptr);
  EXPECT_EQ(SelectObject(canvas.dc(), oldPen), pen);
  EXPECT_EQ(SelectObject(canvas.dc(), oldBrush), brush);
  EXPECT_EQ(SelectObject(canvas.dc(), oldFont), font);
  HBITMAP other = CreateCompatibleBitmap(canvas.dc(), 2, 2);
  EXPECT_EQ(SelectObject(canvas.dc(), other), canvas.bitmap());
  EXPECT_EQ(GetDeviceCaps(canvas.dc(), HORZRES), 2);
  EXPECT_EQ(SelectObject(canvas.dc(), canvas.bitmap()), other);
  for (HGDIOBJ h : {static_cast<HGDIOBJ>(pen), static_cast<HGDIOBJ>(brush), static_cast<HGDIOBJ>(font),
                    static_cast<HGDIOBJ>(other)}) {
    EXPECT_EQ(DeleteObject(h), TRUE);
  }
}

TEST(DeviceContext, StockObjectsAndBadCreations) {
  for (int stock : {WHITE_BRUSH, BLACK_BRUSH, NULL_BRUSH, WHITE_PEN, BLACK_PEN, NULL_PEN}) {
    HGDIOBJ h = GetStockObject(stock);
    EXPECT_NE(h, nullptr) << stock;
    // Deleting a stock object is harmless and leaves it usable.
    EXPECT_EQ(DeleteObject(h), TRUE);
    EXPECT_EQ(GetStockObject(stock), h);
  }
  EXPECT_EQ(GetStockObject(99), nullptr);
  EXPECT_EQ(CreatePen(42, 1, 0), nullptr);
  EXPECT_EQ(CreatePen(PS_SOLID, -1, 0), nullptr);
  EXPECT_EQ(CreateFontIndirectA(nullptr), nullptr);
  for (auto size : {std::pair{0, 5}, std::pair{5, 0}, std::pair{-1, 5}, std::pair{16385, 1}, std::pair{1, 1 << 30}}) {
    EXPECT_EQ(CreateCompatibleBitmap(nullptr, size.first, size.second), nullptr) << size.first << "x" << size.second;
  }
}

TEST(DeviceContext, BitmapsSelectedOnlyIntoMemoryDcs) {
  std::vector<std::uint32_t> pixels(4 * 4);
  pixman_image_t* image = pixman_image_create_bits(PIXMAN_x8r8g8b8, 4, 4, pixels.data(), 16);
  HDC surface = platform::CreateSurfaceDC(image, 0, 0, nullptr, nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(nullptr, 2, 2);
  EXPECT_EQ(SelectObject(surface, bitmap), nullptr);
  EXPECT_EQ(platform::SelectedBitmap(surface), nullptr);
  DeleteObject(bitmap);
  DeleteDC(surface);
  pixman_image_unref(image);
}

TEST(DeviceContext, ADeletedBitmapStaysDrawableWhileSelected) {
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(dc, 3, 3);
  SelectObject(dc, bitmap);
  EXPECT_EQ(DeleteObject(bitmap), TRUE);
  RECT r{0, 0, 3, 3};
  EXPECT_EQ(FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH))), 1);
  EXPECT_EQ(DeleteDC(dc), TRUE);
}

TEST(DeviceContext, LogPixelsCanBeSetForTests) {
  Canvas canvas(1, 1);
  platform::SetLogPixels(120);
  EXPECT_EQ(GetDeviceCaps(canvas.dc(), LOGPIXELSY), 120);
  EXPECT_EQ(GetDeviceCaps(canvas.dc(), LOGPIXELSX), 120);
  platform::SetLogPixels(96);
  EXPECT_EQ(GetDeviceCaps(canvas.dc(), LOGPIXELSY), 96);
}

TEST(BitBlt, CopiesARectangleBetweenDcs) {
  Canvas from(4, 4, RGB(0, 0, 0));
  from.SetPixel(1, 1, 0xAA0000);
  from.SetPixel(2, 2, 0x00BB00);
  Canvas to(4, 4, RGB(255, 255, 255));
  EXPECT_EQ(BitBlt(to.dc(), 2, 2, 2, 2, from.dc(), 1, 1, SRCCOPY), TRUE);
  EXPECT_EQ(to.Pixel(2, 2), 0xAA0000u);
  EXPECT_EQ(to.Pixel(3, 3), 0x00BB00u);
  EXPECT_EQ(to.Pixel(1, 1), 0xFFFFFFu);
  EXPECT_EQ(to.Count(0xFFFFFF), 12);
  EXPECT_EQ(BitBlt(to.dc(), 0, 0, 2, 2, from.dc(), 0, 0, 0x00EE0086), FALSE);
}

TEST(BitBlt, OverlappingCopyWithinOneBitmap) {
  Canvas canvas(5, 1);
  for (int x = 0; x < 5; ++x) canvas.SetPixel(x, 0, static_cast<std::uint32_t>(x + 1));
  EXPECT_EQ(BitBlt(canvas.dc(), 1, 0, 4, 1, canvas.dc(), 0, 0, SRCCOPY), TRUE);
  EXPECT_EQ(canvas.Pixels(), (std::vector<std::uint32_t>{1, 1, 2, 3, 4}));
}

TEST(CopyBitmap, MakesAnIndependentCopy) {
  Canvas canvas(3, 2, RGB(10, 20, 30));
  HBITMAP copy = platform::CopyBitmap(canvas.bitmap());
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(platform::BitmapSize(copy).cx, 3);
  EXPECT_EQ(platform::BitmapSize(copy).cy, 2);
  canvas.Fill(RGB(0, 0, 0));
  const auto* pixels = reinterpret_cast<const std::uint32_t*>(pixman_image_get_data(platform::BitmapImage(copy)));
  EXPECT_EQ(pixels[5] & 0xFFFFFF, Rgb(RGB(10, 20, 30)));
  EXPECT_EQ(DeleteObject(copy), TRUE);
  EXPECT_EQ(platform::CopyBitmap(nullptr), nullptr);
}

// A window-like surface: 10 x 8 pixels, its DC's origin at (2, 1), its clip leaving out
// the rectangle (4, 3)-(7, 6) as a child window would.
class SurfaceDc : public testing::Test {
 protected:
  SurfaceDc() : pixels_(10 * 8, kBackground) {
    image_ = pixman_image_create_bits(PIXMAN_x8r8g8b8, 10, 8, pixels_.data(), 40);
    pixman_region32_t clip;
    pixman_region32_t child;
    pixman_region32_init_rect(&clip, 0, 0, 10, 8);
    pixman_region32_init_rect(&child, 4, 3, 3, 3);
    pixman_region32_subtract(&clip, &clip, &child);
    dc_ = platform::CreateSurfaceDC(image_, 2, 1, &clip, [this](const RECT& r) { damage_.push_back(r); });
    pixman_region32_fini(&clip);
    pixman_region32_fini(&child);
  }
  ~SurfaceDc() override {
    DeleteDC(dc_);
    pixman_image_unref(image_);
  }
  std::uint32_t At(int x, int y) const { return pixels_[static_cast<std::size_t>(y) * 10 + static_cast<std::size_t>(x)] & 0xFFFFFF; }
  bool InChild(int x, int y) const { return x >= 4 && x < 7 && y >= 3 && y < 6; }

  static constexpr std::uint32_t kBackground = 0x00445566;
  std::vector<std::uint32_t> pixels_;
  pixman_image_t* image_;
  HDC dc_;
  std::vector<RECT> damage_;
};

TEST_F(SurfaceDc, DrawsAtTheOriginOutsideTheClippedRectangleAndReportsDamage) {
  ASSERT_NE(dc_, nullptr);
  RECT all{-2, -1, 8, 7};  // the whole surface in DC coordinates
  HBRUSH brush = CreateSolidBrush(RGB(255, 0, 0));
  EXPECT_EQ(FillRect(dc_, &all, brush), 1);
  DeleteObject(brush);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 10; ++x) EXPECT_EQ(At(x, y), InChild(x, y) ? kBackground : 0xFF0000u) << x << "," << y;
  ASSERT_EQ(damage_.size(), 1u);
  EXPECT_EQ(damage_[0].left, 0);
  EXPECT_EQ(damage_[0].top, 0);
  EXPECT_EQ(damage_[0].right, 10);
  EXPECT_EQ(damage_[0].bottom, 8);

  // DC (0, 0) is image (2, 1).
  damage_.clear();
  RECT one{0, 0, 1, 1};
  EXPECT_EQ(FillRect(dc_, &one, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH))), 1);
  EXPECT_EQ(At(2, 1), 0u);
  ASSERT_EQ(damage_.size(), 1u);
  EXPECT_EQ(damage_[0].left, 2);
  EXPECT_EQ(damage_[0].top, 1);
  EXPECT_EQ(damage_[0].right, 3);
  EXPECT_EQ(damage_[0].bottom, 2);

  // Nothing visible drawn: nothing reported.
  damage_.clear();
  RECT hidden{3, 3, 4, 4};  // image (5, 4), inside the child
  EXPECT_EQ(FillRect(dc_, &hidden, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH))), 1);
  EXPECT_TRUE(damage_.empty());
  EXPECT_EQ(At(5, 4), kBackground);
}

TEST_F(SurfaceDc, TextAndOutlinesAreClippedToo) {
  LOGFONTA lf{};
  lf.lfHeight = -11;
  std::strcpy(lf.lfFaceName, "MS Sans Serif");
  HFONT font = CreateFontIndirectA(&lf);
  SelectObject(dc_, font);
  SetBkColor(dc_, RGB(0, 0, 255));
  SetTextColor(dc_, RGB(255, 255, 255));
  EXPECT_EQ(TextOutA(dc_, -2, -1, "MMMM", 4), TRUE);  // opaque cells over the whole surface width
  HPEN pen = CreatePen(PS_DOT, 1, RGB(255, 0, 0));
  SelectObject(dc_, pen);
  SelectObject(dc_, GetStockObject(NULL_BRUSH));
  EXPECT_EQ(Rectangle(dc_, 1, 1, 6, 6), TRUE);  // image (3, 2)-(8, 7): crosses the child
  int changed = 0;
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 10; ++x) {
      if (InChild(x, y)) {
        EXPECT_EQ(At(x, y), kBackground) << x << "," << y;
      } else {
        changed += At(x, y) != kBackground ? 1 : 0;
      }
    }
  }
  EXPECT_GT(changed, 40);
  EXPECT_EQ(At(3, 2), 0xFF0000u);  // the outline's first dot, just outside the child
  EXPECT_FALSE(damage_.empty());
  SelectObject(dc_, GetStockObject(BLACK_PEN));
  DeleteObject(pen);
  DeleteObject(font);
}

TEST(SurfaceDcCreation, RefusesImagesItCannotDrawInto) {
  pixman_image_t* wrongFormat = pixman_image_create_bits(PIXMAN_r5g6b5, 4, 4, nullptr, 0);
  EXPECT_EQ(platform::CreateSurfaceDC(wrongFormat, 0, 0, nullptr, nullptr), nullptr);
  pixman_image_unref(wrongFormat);
  EXPECT_EQ(platform::CreateSurfaceDC(nullptr, 0, 0, nullptr, nullptr), nullptr);
}

}  // namespace
