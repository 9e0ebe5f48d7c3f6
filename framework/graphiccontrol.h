#pragma once
// TGraphicControl: a control without a window of its own, drawn by its parent's paint.
// Paint draws on an off-screen canvas of the control's size that starts with what the
// parent has drawn there; the result is copied to the parent at the control's bounds.
#include "framework/control.h"
#include "platform/windef.h"

class TBitmap;
class TCanvas;

class TGraphicControl : public TControl {
 public:
  explicit TGraphicControl(TComponent* AOwner);
  ~TGraphicControl() override;
  const char* ClassName() const override { return "TGraphicControl"; }

  // The canvas Paint draws on; origin at the control's top-left corner.
  TCanvas* Canvas() const;

  // Draws the control into its parent's paint DC at its bounds (called by the parent).
  void PaintTo(HDC ParentDC);

 protected:
  virtual void Paint() {}
  // Moved or resized: the old and the new area on the parent are drawn again.
  void BoundsChanged(const RECT& OldBounds) override;

 private:
  TBitmap* FBuffer = nullptr;  // owned: the off-screen canvas, resized to the control on each paint
};
