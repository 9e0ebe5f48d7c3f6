#pragma once
// TControlCanvas: a canvas on a windowed control's client area. Outside painting it takes
// a DC of the window on first use (GetDC) and gives it back when the outermost message or
// timer tick has been handled, or when the window goes; while the control paints, it draws
// through the paint DC instead.
#include "framework/canvas.h"
#include "platform/windef.h"

class TWinControl;

class TControlCanvas : public TCanvas {
 public:
  explicit TControlCanvas(TWinControl* AControl);
  ~TControlCanvas() override;
  const char* ClassName() const override { return "TControlCanvas"; }

  TWinControl* Control() const { return FControl; }
  // Gives back a DC taken with GetDC; a paint DC set from outside is just let go.
  void FreeHandle();
  // Draws through `DC` (a paint DC) until called again with 0.
  void SetPaintHandle(HDC DC);

  // Gives back the DCs of every control canvas; unless Force, only when no message or tick
  // is still being handled.
  static void FreeDeviceContexts(bool Force = false);
  // Gives back the DC of the canvas on `Control`'s window (the window is going).
  static void ReleaseFor(TWinControl* Control);
  // Nesting of handled messages and ticks; DCs are given back when the outermost one ends.
  static void BeginDispatch();
  static void EndDispatch();

 protected:
  void CreateHandle() override;

 private:
  TWinControl* FControl;       // not owned: the control whose window the canvas draws on
  HWND FWindow = nullptr;      // the window the DC was taken from; 0 while none is held
  HDC FWindowDC = nullptr;     // taken with GetDC, given back by FreeHandle
  bool FPainting = false;      // the handle is a paint DC owned by the paint message
};
