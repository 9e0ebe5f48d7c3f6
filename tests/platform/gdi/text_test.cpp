// TextOutA with the selected font, colours and background mode; metrics and extents.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "gdi_test_support.h"

using namespace gdi_test;

namespace {

constexpr COLORREF kInk = RGB(0xC0, 0x10, 0x20);
constexpr COLORREF kBack = RGB(0x20, 0xE0, 0x30);

LOGFONTA Font(const char* face, LONG height, LONG weight = FW_NORMAL) {
  LOGFONTA lf{};
  lf.lfHeight = height;
  lf.lfWeight = weight;
  std::strncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
  return lf;
}

// A canvas with a font of its own selected, drawing kInk on kBack.
class TextCanvas {
 public:
  TextCanvas(int width, int height, const LOGFONTA& lf, int bkMode)
      : canvas(width, height), font_(CreateFontIndirectA(&lf)) {
    // A picture with a different colour in every pixel, so that any change shows.
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) canvas.SetPixel(x, y, Background(x, y));
    old_ = SelectObject(canvas.dc(), font_);
    SetTextColor(canvas.dc(), kInk);
    SetBkColor(canvas.dc(), kBack);
    SetBkMode(canvas.dc(), bkMode);
  }
  ~TextCanvas() {
    SelectObject(canvas.dc(), old_);
    DeleteObject(font_);
  }
  static std::uint32_t Background(int x, int y) { return static_cast<std::uint32_t>(0x404040 + x * 0x000101 + y * 0x010000); }
  BOOL Out(int x, int y, const std::string& text) { return TextOutA(canvas.dc(), x, y, text.data(), static_cast<int>(text.size())); }
  SIZE Extent(const std::string& text) {
    SIZE size{};
    EXPECT_EQ(GetTextExtentPoint32A(canvas.dc(), text.data(), static_cast<int>(text.size()), &size), TRUE);
    return size;
  }
  int Changed() const {
    int n = 0;
    for (int y = 0; y < canvas.height(); ++y)
      for (int x = 0; x < canvas.width(); ++x) n += canvas.Pixel(x, y) != Background(x, y) ? 1 : 0;
    return n;
  }

  Canvas canvas;

 private:
  HFONT font_;
  HGDIOBJ old_;
};

TEST(TextOut, TransparentChangesOnlyGlyphPixelsEachExactlyTheTextColour) {
  TextCanvas t(220, 30, Font("MS Sans Serif", -11), TRANSPARENT);
  const std::string text = "10-December-2025  14:35 Wg";
  ASSERT_EQ(t.Out(3, 4, text), TRUE);
  const SIZE cell = t.Extent(text);
  int ink = 0;
  for (int y = 0; y < 30; ++y) {
    for (int x = 0; x < 220; ++x) {
      const std::uint32_t p = t.canvas.Pixel(x, y);
      if (p == TextCanvas::Background(x, y)) continue;
      ASSERT_EQ(p, Rgb(kInk)) << "a blended pixel at " << x << "," << y;
      ++ink;
      EXPECT_GE(x, 3);
      EXPECT_LT(x, 3 + cell.cx);
      EXPECT_GE(y, 4);
      EXPECT_LT(y, 4 + cell.cy);
    }
  }
  EXPECT_GT(ink, 100);
}

TEST(TextOut, OpaqueFillsTheCellsWithTheBackgroundColour) {
  TextCanvas t(120, 30, Font("MS Sans Serif", -11), OPAQUE);
  const std::string text = "Stamp 12:00";
  ASSERT_EQ(t.Out(5, 6, text), TRUE);
  const SIZE cell = t.Extent(text);
  EXPECT_GT(cell.cx, 0);
  int ink = 0;
  for (int y = 0; y < 30; ++y) {
    for (int x = 0; x < 120; ++x) {
      const std::uint32_t p = t.canvas.Pixel(x, y);
      const bool inCell = x >= 5 && x < 5 + cell.cx && y >= 6 && y < 6 + cell.cy;
      if (inCell) {
        ASSERT_TRUE(p == Rgb(kInk) || p == Rgb(kBack)) << x << "," << y;
        ink += p == Rgb(kInk) ? 1 : 0;
      } else {
        ASSERT_EQ(p, TextCanvas::Background(x, y)) << x << "," << y;
      }
    }
  }
  EXPECT_GT(ink, 30);
  // The cell's corners are background: its top-left corner is the given point.
  EXPECT_EQ(t.canvas.Pixel(5, 6), Rgb(kBack));
  EXPECT_EQ(t.canvas.Pixel(4, 6), TextCanvas::Background(4, 6));
  EXPECT_EQ(t.canvas.Pixel(5, 5), TextCanvas::Background(5, 5));
}

TEST(TextOut, TextWiderThanTheSurfaceIsCutAtItsEdge) {
  TextCanvas t(40, 12, Font("MS Sans Serif", -11), OPAQUE);
  const std::string text = "A line much wider than forty pixels";
  ASSERT_GT(t.Extent(text).cx, 40);
  ASSERT_EQ(t.Out(0, 0, text), TRUE);
  // The cells run to the right edge; the rows below the cell are untouched.
  const int cellHeight = t.Extent(text).cy;
  for (int y = 0; y < std::min(12, cellHeight); ++y) {
    const std::uint32_t p = t.canvas.Pixel(39, y);
    EXPECT_TRUE(p == Rgb(kInk) || p == Rgb(kBack)) << y;
  }
  // Drawing entirely off the surface is fine and draws nothing.
  TextCanvas off(10, 10, Font("MS Sans Serif", -11), OPAQUE);
  EXPECT_EQ(off.Out(-500, 300, text), TRUE);
  EXPECT_EQ(off.Changed(), 0);
}

TEST(TextOut, TopLeftCornerIsTheGivenPoint) {
  for (auto point : {std::pair{0, 0}, std::pair{7, 9}, std::pair{-3, -2}}) {
    TextCanvas t(60, 40, Font("MS Sans Serif", -11), OPAQUE);
    ASSERT_EQ(t.Out(point.first, point.second, "Ty"), TRUE);
    int left = 60, top = 40;
    for (int y = 0; y < 40; ++y)
      for (int x = 0; x < 60; ++x)
        if (t.canvas.Pixel(x, y) != TextCanvas::Background(x, y)) {
          left = std::min(left, x);
          top = std::min(top, y);
        }
    EXPECT_EQ(left, std::max(0, point.first));
    EXPECT_EQ(top, std::max(0, point.second));
  }
}

TEST(TextOut, BoldIsWiderAndHeavierThanRegular) {
  TextCanvas regular(200, 30, Font("MS Sans Serif", -13), TRANSPARENT);
  TextCanvas bold(200, 30, Font("MS Sans Serif", -13, FW_BOLD), TRANSPARENT);
  const std::string text = "Heavy Wording";
  ASSERT_EQ(regular.Out(0, 0, text), TRUE);
  ASSERT_EQ(bold.Out(0, 0, text), TRUE);
  EXPECT_GT(bold.Extent(text).cx, regular.Extent(text).cx);
  EXPECT_GT(bold.Changed(), regular.Changed() * 5 / 4);
}

struct StyleCase {
  const char* name;
  void (*apply)(LOGFONTA&);
};

class TextStyles : public testing::TestWithParam<StyleCase> {};

TEST_P(TextStyles, ChangeTheGlyphPixelsWithinTheCell) {
  LOGFONTA plainFont = Font("MS Sans Serif", -13);
  LOGFONTA styledFont = plainFont;
  GetParam().apply(styledFont);
  TextCanvas plain(120, 24, plainFont, TRANSPARENT);
  TextCanvas styled(120, 24, styledFont, TRANSPARENT);
  const std::string text = "Style me";
  ASSERT_EQ(plain.Out(2, 2, text), TRUE);
  ASSERT_EQ(styled.Out(2, 2, text), TRUE);
  EXPECT_NE(plain.canvas.Pixels(), styled.canvas.Pixels());
  const SIZE cell = styled.Extent(text);
  for (int y = 0; y < 24; ++y)
    for (int x = 0; x < 120; ++x)
      if (styled.canvas.Pixel(x, y) != TextCanvas::Background(x, y)) {
        ASSERT_EQ(styled.canvas.Pixel(x, y), Rgb(kInk));
        ASSERT_TRUE(y >= 2 && y < 2 + cell.cy) << x << "," << y;
      }
}

INSTANTIATE_TEST_SUITE_P(Styles, TextStyles,
                         testing::Values(StyleCase{"Italic", [](LOGFONTA& lf) { lf.lfItalic = 1; }},
                                         StyleCase{"Underline", [](LOGFONTA& lf) { lf.lfUnderline = 1; }},
                                         StyleCase{"StrikeOut", [](LOGFONTA& lf) { lf.lfStrikeOut = 1; }},
                                         StyleCase{"OtherFace", [](LOGFONTA& lf) { std::strcpy(lf.lfFaceName, "DejaVu Serif"); }}),
                         [](const testing::TestParamInfo<StyleCase>& info) { return std::string(info.param.name); });

TEST(TextOut, UnderlineAndStrikeOutAreFullWidthLines) {
  for (int which = 0; which < 2; ++which) {
    LOGFONTA lf = Font("MS Sans Serif", -13);
    (which == 0 ? lf.lfUnderline : lf.lfStrikeOut) = 1;
    TextCanvas t(80, 20, lf, TRANSPARENT);
    ASSERT_EQ(t.Out(0, 0, "i i"), TRUE);
    const int width = t.Extent("i i").cx;
    int fullRows = 0;
    for (int y = 0; y < 20; ++y) {
      int run = 0;
      for (int x = 0; x < width; ++x) run += t.canvas.Pixel(x, y) == Rgb(kInk) ? 1 : 0;
      fullRows += run == width ? 1 : 0;
    }
    EXPECT_GE(fullRows, 1) << (which == 0 ? "underline" : "strike-out");
  }
}

class FontHeights : public testing::TestWithParam<LONG> {};

TEST_P(FontHeights, NegativeIsTheEmSizePositiveTheCellHeight) {
  const LONG height = GetParam();
  TextCanvas t(10, 10, Font("MS Sans Serif", height), OPAQUE);
  TEXTMETRICA tm{};
  ASSERT_EQ(GetTextMetricsA(t.canvas.dc(), &tm), TRUE);
  EXPECT_EQ(tm.tmHeight, tm.tmAscent + tm.tmDescent);
  if (height < 0) {
    EXPECT_EQ(tm.tmHeight - tm.tmInternalLeading, -height);
  } else {
    EXPECT_EQ(tm.tmHeight, height);
  }
  EXPECT_GT(tm.tmAveCharWidth, 0);
  EXPECT_GE(tm.tmMaxCharWidth, tm.tmAveCharWidth);
  // Extents agree with the metrics.
  EXPECT_EQ(t.Extent("Ag").cy, tm.tmHeight);
}

INSTANTIATE_TEST_SUITE_P(Heights, FontHeights, testing::Values(-8, -11, -13, -24, -40, 10, 13, 16, 30));

TEST(TextOut, ExtentsMatchTheDrawnCells) {
  TextCanvas t(300, 20, Font("MS Sans Serif", -11), OPAQUE);
  for (const std::string text : {"i", "W", "iiii", "WWWW", "Mixed Text 123"}) {
    t.canvas.Fill(RGB(0, 0, 0));
    ASSERT_EQ(t.Out(0, 0, text), TRUE);
    int cells = 0;
    for (int x = 0; x < 300; ++x) cells += t.canvas.Pixel(x, 0) == Rgb(kBack) ? 1 : 0;
    EXPECT_EQ(cells, t.Extent(text).cx) << text;
  }
  EXPECT_EQ(t.Extent("").cx, 0);
  EXPECT_GT(t.Extent("WWWW").cx, t.Extent("iiii").cx);
}

TEST(TextOut, Windows1252AndUtf8SpellTheSameText) {
  TextCanvas latin(80, 20, Font("MS Sans Serif", -11), OPAQUE);
  TextCanvas utf8(80, 20, Font("MS Sans Serif", -11), OPAQUE);
  ASSERT_EQ(latin.Out(0, 0, "M\xE4rz \x80"), TRUE);
  ASSERT_EQ(utf8.Out(0, 0, "M\xC3\xA4rz \xE2\x82\xAC"), TRUE);
  EXPECT_EQ(latin.canvas.Pixels(), utf8.canvas.Pixels());
}

TEST(TextOut, BadArguments) {
  TextCanvas t(10, 10, Font("MS Sans Serif", -11), OPAQUE);
  EXPECT_EQ(TextOutA(t.canvas.dc(), 0, 0, nullptr, 3), FALSE);
  EXPECT_EQ(TextOutA(t.canvas.dc(), 0, 0, "abc", -1), FALSE);
  EXPECT_EQ(TextOutA(t.canvas.dc(), 0, 0, nullptr, 0), TRUE);
  EXPECT_EQ(t.Changed(), 0);
  SIZE size{};
  EXPECT_EQ(GetTextExtentPoint32A(t.canvas.dc(), "abc", 3, nullptr), FALSE);
  EXPECT_EQ(GetTextExtentPoint32A(nullptr, "abc", 3, &size), FALSE);
  EXPECT_EQ(GetTextMetricsA(t.canvas.dc(), nullptr), FALSE);
}

}  // namespace
