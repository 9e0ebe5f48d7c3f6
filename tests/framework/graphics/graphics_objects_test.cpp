// Fonts, brushes, pens and colours: defaults, conversions, copying and its errors.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "framework/bitmap.h"
#include "framework/brush.h"
#include "framework/font.h"
#include "framework/graphics.h"
#include "framework/pen.h"
#include "framework/picture.h"
#include "platform/gdi/gdi_helpers.h"
#include "platform/wingdi.h"
#include "runtime/exception.h"

namespace {

struct Counter {
  int Count = 0;
  void Notify(TObject*) { ++Count; }
  TNotifyEvent Event() { return TNotifyEvent::Of<&Counter::Notify>(this); }
};

TEST(GraphicsDefaults, NewObjectsHaveTheFrameworkSettings) {
  TFont font;
  EXPECT_EQ(font.Name(), "MS Sans Serif");
  EXPECT_EQ(font.Height(), -11);
  EXPECT_EQ(font.Size(), 8);
  EXPECT_EQ(font.PixelsPerInch(), 96);
  EXPECT_EQ(font.Color(), clWindowText);
  EXPECT_TRUE(font.Style().Empty());
  EXPECT_EQ(font.Pitch(), fpDefault);
  TBrush brush;
  EXPECT_EQ(brush.Color(), clWhite);
  EXPECT_EQ(brush.Style(), bsSolid);
  TPen pen;
  EXPECT_EQ(pen.Color(), clBlack);
  EXPECT_EQ(pen.Style(), psSolid);
  EXPECT_EQ(pen.Width(), 1);
  TBitmap bitmap;
  EXPECT_TRUE(bitmap.Empty());
  EXPECT_EQ(bitmap.Width(), 0);
  EXPECT_EQ(bitmap.Height(), 0);
  EXPECT_EQ(bitmap.Handle(), nullptr);
  TPicture picture;
  EXPECT_FALSE(picture.HasBitmap());
  EXPECT_EQ(picture.Width(), 0);
}

TEST(ColorToRGB, ResolvesNamedAndSystemColours) {
  const struct {
    TColor Color;
    COLORREF Expected;
  } rows[] = {
      {clBlack, RGB(0, 0, 0)},         {clRed, RGB(255, 0, 0)},         {clLime, RGB(0, 255, 0)},
      {clBlue, RGB(0, 0, 255)},        {clYellow, RGB(255, 255, 0)},    {clGray, RGB(128, 128, 128)},
      {clSilver, RGB(192, 192, 192)},  {clBtnFace, RGB(240, 240, 240)}, {clWindow, RGB(255, 255, 255)},
      {clWindowText, RGB(0, 0, 0)},    {clBtnText, RGB(0, 0, 0)},       {clSystemColor | 200, RGB(0, 0, 0)},
  };
  for (const auto& row : rows) EXPECT_EQ(ColorToRGB(row.Color), row.Expected) << row.Color;
  EXPECT_LT(clBtnFace, 0);
  EXPECT_LT(clWindowText, 0);
}

TEST(FontSize, ConvertsBetweenPointsAndPixels) {
  const struct {
    int PixelsPerInch;
    int Size;
    int Height;
  } rows[] = {{96, 8, -11}, {96, 12, -16}, {96, 10, -13}, {120, 8, -13}, {72, 9, -9}};
  for (const auto& row : rows) {
    TFont font;
    font.SetPixelsPerInch(row.PixelsPerInch);
    font.SetSize(row.Size);
    EXPECT_EQ(font.Height(), row.Height) << row.PixelsPerInch << " " << row.Size;
    EXPECT_EQ(font.Size(), row.Size);
  }
}

TEST(FontSize, NewFontsTakeTheDefaultPixelsPerInch) {
  const struct {
    int PixelsPerInch;
    int Height;  // of the new font's 8 points
  } rows[] = {{96, -11}, {120, -13}, {144, -16}, {72, -8}};
  TFont before;
  for (const auto& row : rows) {
    SetDefaultPixelsPerInch(row.PixelsPerInch);
    TFont font;
    EXPECT_EQ(font.PixelsPerInch(), row.PixelsPerInch);
    EXPECT_EQ(font.Height(), row.Height) << row.PixelsPerInch;
    EXPECT_EQ(font.Size(), 8);
  }
  SetDefaultPixelsPerInch(0);  // ignored
  EXPECT_EQ(DefaultPixelsPerInch(), 72);
  SetDefaultPixelsPerInch(96);
  EXPECT_EQ(before.PixelsPerInch(), 96) << "fonts made earlier keep theirs";
  EXPECT_EQ(before.Height(), -11);
}

TEST(FontStyles, IncludeExcludeContains) {
  TFontStyles styles{fsBold, fsUnderline};
  EXPECT_TRUE(styles.Contains(fsBold));
  EXPECT_FALSE(styles.Contains(fsItalic));
  styles.Exclude(fsBold).Include(fsStrikeOut);
  EXPECT_EQ(styles, (TFontStyles{fsUnderline, fsStrikeOut}));
}

// A target with settings other than the defaults, described as text to see it unchanged.
struct AssignErrorRow {
  std::string Message;
  std::function<std::unique_ptr<TPersistent>()> MakeSource;  // null: assign nil
  std::function<std::unique_ptr<TPersistent>()> MakeTarget;
  std::function<std::string(TPersistent*)> Describe;
};

std::unique_ptr<TPersistent> NewBrush() {
  auto brush = std::make_unique<TBrush>();
  brush->SetColor(clRed);
  brush->SetStyle(bsClear);
  return brush;
}

std::unique_ptr<TPersistent> NewFont() {
  auto font = std::make_unique<TFont>();
  font->SetName("DejaVu Sans");
  font->SetHeight(-20);
  font->SetColor(clLime);
  return font;
}

std::unique_ptr<TPersistent> NewBitmap() {
  auto bitmap = std::make_unique<TBitmap>();
  bitmap->SetWidth(3);
  bitmap->SetHeight(2);
  return bitmap;
}

std::string DescribeBrush(TPersistent* p) {
  auto* b = static_cast<TBrush*>(p);
  return std::to_string(b->Color()) + "/" + std::to_string(b->Style());
}

std::string DescribeFont(TPersistent* p) {
  auto* f = static_cast<TFont*>(p);
  return f->Name() + "/" + std::to_string(f->Height()) + "/" + std::to_string(f->Color());
}

std::string DescribePen(TPersistent* p) {
  auto* pen = static_cast<TPen*>(p);
  return std::to_string(pen->Color()) + "/" + std::to_string(pen->Style()) + "/" + std::to_string(pen->Width());
}

std::string DescribeBitmap(TPersistent* p) {
  auto* b = static_cast<TBitmap*>(p);
  return std::to_string(b->Width()) + "x" + std::to_string(b->Height());
}

TEST(AssignErrors, RaiseConvertErrorAndLeaveTheTargetUnchanged) {
  const AssignErrorRow rows[] = {
      {"Cannot assign a nil to a TBrush", nullptr, NewBrush, DescribeBrush},
      {"Cannot assign a TBrush to a TFont", NewBrush, NewFont, DescribeFont},
      {"Cannot assign a nil to a TFont", nullptr, NewFont, DescribeFont},
      {"Cannot assign a TFont to a TPen", NewFont, [] { return std::make_unique<TPen>(); }, DescribePen},
      {"Cannot assign a nil to a TBitmap", nullptr, NewBitmap, DescribeBitmap},
      {"Cannot assign a TFont to a TBitmap", NewFont, NewBitmap, DescribeBitmap},
      {"Cannot assign a TBrush to a TPicture", NewBrush, [] { return std::make_unique<TPicture>(); },
       [](TPersistent* p) { return std::to_string(static_cast<TPicture*>(p)->HasBitmap()); }},
  };
  for (const auto& row : rows) {
    std::unique_ptr<TPersistent> source = row.MakeSource ? row.MakeSource() : nullptr;
    std::unique_ptr<TPersistent> target = row.MakeTarget();
    const std::string before = row.Describe(target.get());
    try {
      target->Assign(source.get());
      ADD_FAILURE() << "no exception for: " << row.Message;
    } catch (const EConvertError& e) {
      EXPECT_EQ(e.Message(), row.Message);
    }
    EXPECT_EQ(row.Describe(target.get()), before) << row.Message;
  }
}

TEST(AssignCopies, FontTakesEverySettingAndStaysSeparate) {
  TFont source;
  source.SetName("DejaVu Sans Mono");
  source.SetHeight(-15);
  source.SetStyle({fsBold, fsItalic});
  source.SetColor(clYellow);
  source.SetPitch(fpFixed);
  TFont target;
  Counter changes;
  target.SetOnChange(changes.Event());
  target.Assign(&source);
  EXPECT_EQ(changes.Count, 1);
  EXPECT_EQ(target.Name(), "DejaVu Sans Mono");
  EXPECT_EQ(target.Height(), -15);
  EXPECT_EQ(target.Style(), (TFontStyles{fsBold, fsItalic}));
  EXPECT_EQ(target.Color(), clYellow);
  EXPECT_EQ(target.Pitch(), fpFixed);
  source.SetColor(clRed);
  source.SetHeight(-30);
  EXPECT_EQ(target.Color(), clYellow);
  EXPECT_EQ(target.Height(), -15);
  target.Assign(&target);
  TFont same;
  same.Assign(&target);
  target.Assign(&same);
  EXPECT_EQ(changes.Count, 1) << "assigning equal settings is no change";
}

TEST(AssignCopies, BrushAndPenTakeEverySettingAndStaySeparate) {
  TBrush brush;
  brush.SetColor(clBlue);
  brush.SetStyle(bsClear);
  TBrush brushCopy;
  brushCopy.Assign(&brush);
  brush.SetColor(clRed);
  EXPECT_EQ(brushCopy.Color(), clBlue);
  EXPECT_EQ(brushCopy.Style(), bsClear);

  TPen pen;
  pen.SetColor(clGray);
  pen.SetStyle(psDashDot);
  pen.SetWidth(3);
  TPen penCopy;
  penCopy.Assign(&pen);
  pen.SetWidth(1);
  EXPECT_EQ(penCopy.Color(), clGray);
  EXPECT_EQ(penCopy.Style(), psDashDot);
  EXPECT_EQ(penCopy.Width(), 3);
}

TEST(OnChange, RaisedOnlyForRealChanges) {
  TBrush brush;
  Counter changes;
  brush.SetOnChange(changes.Event());
  brush.SetColor(clWhite);
  brush.SetStyle(bsSolid);
  EXPECT_EQ(changes.Count, 0);
  brush.SetColor(clRed);
  brush.SetStyle(bsCross);
  EXPECT_EQ(changes.Count, 2);
  TPen pen;
  pen.SetOnChange(changes.Event());
  pen.SetWidth(0);  // ignored
  EXPECT_EQ(pen.Width(), 1);
  EXPECT_EQ(changes.Count, 2);
}

TEST(GdiObjects, MadeOnDemandAndMadeAnewAfterAChange) {
  TPen pen;
  HPEN first = pen.Handle();
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(pen.Handle(), first);
  TBrush brush;
  brush.SetStyle(bsClear);
  EXPECT_EQ(brush.Handle(), GetStockObject(NULL_BRUSH));
  TFont font;
  ASSERT_NE(font.Handle(), nullptr);
  const std::size_t live = platform::LiveGdiObjectCount();
  for (int i = 0; i < 20; ++i) {
    font.SetHeight(-10 - i);
    pen.SetColor(static_cast<TColor>(i));
    ASSERT_NE(font.Handle(), nullptr);
    ASSERT_NE(pen.Handle(), nullptr);
  }
  EXPECT_EQ(platform::LiveGdiObjectCount(), live) << "each change releases the object it replaces";
}

}  // namespace
