#include "framework/graphiccontrol.h"

#include <algorithm>

#include "framework/bitmap.h"
#include "framework/canvas.h"
#include "framework/wincontrol.h"
#include "platform/wingdi.h"

TGraphicControl::TGraphicControl(TComponent* AOwner) : TControl(AOwner), FBuffer(new TBitmap()) {}

TGraphicControl::~TGraphicControl() {
  delete FBuffer;
  FBuffer = nullptr;
}

TCanvas* TGraphicControl::Canvas() const { return FBuffer->Canvas(); }

void TGraphicControl::PaintTo(HDC ParentDC) {
  const int width = Width();
  const int height = Height();
  if (ParentDC == nullptr || width <= 0 || height <= 0) return;
  if (FBuffer->Width() != width) FBuffer->SetWidth(width);
  if (FBuffer->Height() != height) FBuffer->SetHeight(height);
  HDC buffer = FBuffer->Canvas()->Handle();
  // Start from what the parent has drawn there, so that what Paint leaves alone shows through.
  BitBlt(buffer, 0, 0, width, height, ParentDC, Left(), Top(), SRCCOPY);
  Paint();
  BitBlt(ParentDC, Left(), Top(), width, height, FBuffer->Canvas()->Handle(), 0, 0, SRCCOPY);
}

void TGraphicControl::BoundsChanged(const RECT& OldBounds) {
  TWinControl* parent = Parent();
  if (parent == nullptr || !parent->HandleAllocated()) return;
  const RECT now = BoundsRect();
  InvalidateRect(parent->Handle(), &OldBounds, TRUE);
  InvalidateRect(parent->Handle(), &now, TRUE);
}
