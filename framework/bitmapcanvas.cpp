#include "framework/bitmapcanvas.h"

#include "framework/bitmap.h"
#include "platform/wingdi.h"

TBitmapCanvas::TBitmapCanvas(TBitmap* ABitmap) : FBitmap(ABitmap) {}

TBitmapCanvas::~TBitmapCanvas() {
  if (FDC == nullptr) return;
  SetHandle(nullptr);  // font, brush and pen leave the DC before it goes
  SelectPicture(nullptr);
  DeleteDC(FDC);
}

void TBitmapCanvas::SelectPicture(HBITMAP Picture) {
  if (FDC == nullptr || Picture == FSelected) return;
  HGDIOBJ before = SelectObject(FDC, Picture != nullptr ? static_cast<HGDIOBJ>(Picture) : FDefaultBitmap);
  if (FSelected == nullptr && before != nullptr) FDefaultBitmap = before;
  FSelected = Picture;
}

void TBitmapCanvas::CreateHandle() {
  if (FDC == nullptr) {
    FDC = CreateCompatibleDC(nullptr);
    if (FDC == nullptr) return;
    FSelected = nullptr;
  }
  SetHandle(FDC);
  FBitmap->MakeUnique();  // selects the picture
}

void TBitmapCanvas::Changing() {
  FBitmap->MakeUnique();
  TCanvas::Changing();
}

void TBitmapCanvas::Changed() {
  TCanvas::Changed();
  FBitmap->Changed();
}
