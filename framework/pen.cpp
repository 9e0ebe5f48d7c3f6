#include "framework/pen.h"

#include "platform/wingdi.h"

TPen::TPen() = default;

void TPen::Assign(TPersistent* Source) {
  auto* source = dynamic_cast<TPen*>(Source);
  if (source == nullptr) {
    TGraphicsObject::Assign(Source);  // raises
    return;
  }
  if (source == this || (FColor == source->FColor && FStyle == source->FStyle && FWidth == source->FWidth)) return;
  FColor = source->FColor;
  FStyle = source->FStyle;
  FWidth = source->FWidth;
  Changed(true);
}

void TPen::SetColor(TColor Value) {
  if (Value == FColor) return;
  FColor = Value;
  Changed(true);
}

void TPen::SetStyle(TPenStyle Value) {
  if (Value == FStyle) return;
  FStyle = Value;
  Changed(true);
}

void TPen::SetWidth(int Value) {
  if (Value < 1 || Value == FWidth) return;
  FWidth = Value;
  Changed(true);
}

HGDIOBJ TPen::CreateObject(bool& Owned) {
  if (FStyle == psClear) {
    Owned = false;
    return GetStockObject(NULL_PEN);
  }
  int style = PS_SOLID;
  switch (FStyle) {
    case psDash: style = PS_DASH; break;
    case psDot: style = PS_DOT; break;
    case psDashDot: style = PS_DASHDOT; break;
    case psDashDotDot: style = PS_DASHDOTDOT; break;
    default: break;
  }
  Owned = true;
  return CreatePen(style, FWidth, ColorToRGB(FColor));
}
