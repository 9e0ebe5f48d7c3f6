#pragma once
// TCustomControl: a windowed control that draws itself. Paint runs while the control's
// window is being painted, with Canvas drawing on that window.
#include "framework/wincontrol.h"

class TCanvas;
class TControlCanvas;

class TCustomControl : public TWinControl {
 public:
  explicit TCustomControl(TComponent* AOwner);
  ~TCustomControl() override;
  const char* ClassName() const override { return "TCustomControl"; }

  // The control's canvas: draws on the client area of its window, leaving child windows out.
  TCanvas* Canvas() const;

 protected:
  // Called while the window is painted; Canvas draws through the paint DC. Does nothing here.
  virtual void Paint() {}
  void PaintWindow(HDC DC) override;

 private:
  TControlCanvas* FCanvas = nullptr;  // owned: created by the constructor, released by the destructor
};
