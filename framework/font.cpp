#include "framework/font.h"

#include <cmath>
#include <cstring>

#include "platform/wingdi.h"

namespace {

// a * m / d rounded to the nearest integer, halves away from zero.
int MulDivRounded(int a, int m, int d) { return static_cast<int>(std::lround(static_cast<double>(a) * m / d)); }

int defaultPixelsPerInch = 96;  // GUI thread only, like every framework object

}  // namespace

int DefaultPixelsPerInch() { return defaultPixelsPerInch; }

void SetDefaultPixelsPerInch(int Value) {
  if (Value > 0) defaultPixelsPerInch = Value;
}

TFont::TFont() : FPixelsPerInch(defaultPixelsPerInch), FHeight(-MulDivRounded(8, defaultPixelsPerInch, 72)) {}

void TFont::Assign(TPersistent* Source) {
  auto* source = dynamic_cast<TFont*>(Source);
  if (source == nullptr) {
    TGraphicsObject::Assign(Source);  // raises
    return;
  }
  if (source == this) return;
  const bool handleAffected = FName != source->FName || FHeight != source->FHeight || FStyle != source->FStyle ||
                              FPitch != source->FPitch;
  const bool changed = handleAffected || FColor != source->FColor;
  FName = source->FName;
  FHeight = source->FHeight;
  FStyle = source->FStyle;
  FColor = source->FColor;
  FPitch = source->FPitch;
  if (changed) Changed(handleAffected);
}

void TFont::SetName(const std::string& Value) {
  if (Value == FName) return;
  FName = Value;
  Changed(true);
}

void TFont::SetHeight(int Value) {
  if (Value == FHeight) return;
  FHeight = Value;
  Changed(true);
}

int TFont::Size() const { return -MulDivRounded(FHeight, 72, FPixelsPerInch); }

void TFont::SetSize(int Value) { SetHeight(-MulDivRounded(Value, FPixelsPerInch, 72)); }

void TFont::SetPixelsPerInch(int Value) {
  if (Value > 0) FPixelsPerInch = Value;
}

void TFont::SetStyle(TFontStyles Value) {
  if (Value == FStyle) return;
  FStyle = Value;
  Changed(true);
}

void TFont::SetColor(TColor Value) {
  if (Value == FColor) return;
  FColor = Value;
  Changed(false);  // the colour is the canvas's text colour, not part of the GDI font
}

void TFont::SetPitch(TFontPitch Value) {
  if (Value == FPitch) return;
  FPitch = Value;
  Changed(true);
}

HGDIOBJ TFont::CreateObject(bool& Owned) {
  LOGFONTA lf{};
  lf.lfHeight = FHeight;
  lf.lfWeight = FStyle.Contains(fsBold) ? FW_BOLD : FW_NORMAL;
  lf.lfItalic = FStyle.Contains(fsItalic) ? 1 : 0;
  lf.lfUnderline = FStyle.Contains(fsUnderline) ? 1 : 0;
  lf.lfStrikeOut = FStyle.Contains(fsStrikeOut) ? 1 : 0;
  // DEFAULT_PITCH 0, FIXED_PITCH 1, VARIABLE_PITCH 2 in the low bits.
  lf.lfPitchAndFamily = FPitch == fpFixed ? 1 : FPitch == fpVariable ? 2 : 0;
  // A longer face name is cut to what LOGFONTA holds, keeping the terminating zero.
  std::strncpy(lf.lfFaceName, FName.c_str(), LF_FACESIZE - 1);
  Owned = true;
  return CreateFontIndirectA(&lf);
}
