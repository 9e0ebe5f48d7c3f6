#include "framework/controlcanvas.h"

#include <algorithm>
#include <vector>

#include "framework/wincontrol.h"
#include "platform/winuser.h"

namespace {

// Every live control canvas, so that their DCs can be given back together.
std::vector<TControlCanvas*>& CanvasList() {
  static std::vector<TControlCanvas*> list;
  return list;
}

int DispatchDepth = 0;

}  // namespace

TControlCanvas::TControlCanvas(TWinControl* AControl) : FControl(AControl) { CanvasList().push_back(this); }

TControlCanvas::~TControlCanvas() {
  FreeHandle();
  auto& list = CanvasList();
  list.erase(std::remove(list.begin(), list.end(), this), list.end());
}

void TControlCanvas::CreateHandle() {
  if (FPainting) return;
  HWND wnd = FControl->Handle();
  HDC dc = wnd != nullptr ? GetDC(wnd) : nullptr;
  if (dc == nullptr) return;
  FWindow = wnd;
  FWindowDC = dc;
  SetHandle(dc);
}

void TControlCanvas::FreeHandle() {
  if (FWindowDC == nullptr) return;
  HDC dc = FWindowDC;
  HWND wnd = FWindow;
  FWindowDC = nullptr;
  FWindow = nullptr;
  // Let the canvas drop its objects out of the DC before the DC goes.
  if (!FPainting) SetHandle(nullptr);
  ReleaseDC(wnd, dc);
}

void TControlCanvas::SetPaintHandle(HDC DC) {
  if (DC != nullptr) {
    FreeHandle();
    FPainting = true;
    SetHandle(DC);
  } else {
    SetHandle(nullptr);
    FPainting = false;
  }
}

void TControlCanvas::FreeDeviceContexts(bool Force) {
  if (DispatchDepth > 0 && !Force) return;
  for (TControlCanvas* canvas : std::vector<TControlCanvas*>(CanvasList())) canvas->FreeHandle();
}

void TControlCanvas::ReleaseFor(TWinControl* Control) {
  for (TControlCanvas* canvas : std::vector<TControlCanvas*>(CanvasList())) {
    if (canvas->FControl == Control) canvas->FreeHandle();
  }
}

void TControlCanvas::BeginDispatch() { ++DispatchDepth; }

void TControlCanvas::EndDispatch() {
  if (DispatchDepth > 0) --DispatchDepth;
  if (DispatchDepth == 0) FreeDeviceContexts();
}
