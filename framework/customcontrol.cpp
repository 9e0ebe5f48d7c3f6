#include "framework/customcontrol.h"

#include "framework/controlcanvas.h"

TCustomControl::TCustomControl(TComponent* AOwner) : TWinControl(AOwner), FCanvas(new TControlCanvas(this)) {}

TCustomControl::~TCustomControl() {
  // The canvas gives its DC back while the window still exists.
  delete FCanvas;
  FCanvas = nullptr;
}

TCanvas* TCustomControl::Canvas() const { return FCanvas; }

void TCustomControl::PaintWindow(HDC DC) {
  FCanvas->SetPaintHandle(DC);
  try {
    Paint();
  } catch (...) {
    FCanvas->SetPaintHandle(nullptr);
    throw;
  }
  FCanvas->SetPaintHandle(nullptr);
}
