#include "framework/brush.h"

#include "platform/wingdi.h"

TBrush::TBrush() = default;

void TBrush::Assign(TPersistent* Source) {
  auto* source = dynamic_cast<TBrush*>(Source);
  if (source == nullptr) {
    TGraphicsObject::Assign(Source);  // raises
    return;
  }
  if (source == this || (FColor == source->FColor && FStyle == source->FStyle)) return;
  FColor = source->FColor;
  FStyle = source->FStyle;
  Changed(true);
}

void TBrush::SetColor(TColor Value) {
  if (Value == FColor) return;
  FColor = Value;
  Changed(true);
}

void TBrush::SetStyle(TBrushStyle Value) {
  if (Value == FStyle) return;
  FStyle = Value;
  Changed(true);
}

HGDIOBJ TBrush::CreateObject(bool& Owned) {
  if (FStyle == bsClear) {
    Owned = false;
    return GetStockObject(NULL_BRUSH);
  }
  Owned = true;
  return CreateSolidBrush(ColorToRGB(FColor));
}
