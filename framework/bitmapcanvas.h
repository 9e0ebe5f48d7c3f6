#pragma once
// TBitmapCanvas: the canvas of a TBitmap, drawing through a memory DC of its own into
// the bitmap's picture. A picture is in the DC only while the bitmap has it to itself.
#include "framework/canvas.h"

class TBitmap;

class TBitmapCanvas : public TCanvas {
 public:
  explicit TBitmapCanvas(TBitmap* ABitmap);
  ~TBitmapCanvas() override;
  const char* ClassName() const override { return "TBitmapCanvas"; }

  // Puts `Picture` into the DC (0: the DC's own 1 x 1 bitmap), once the DC exists.
  void SelectPicture(HBITMAP Picture);

 protected:
  void CreateHandle() override;
  void Changing() override;  // the bitmap's picture becomes its own before any drawing
  void Changed() override;   // tells the bitmap

 private:
  TBitmap* FBitmap;                // not owned: the bitmap that owns this canvas
  HDC FDC = nullptr;               // owned: made by CreateHandle, deleted by the destructor
  HGDIOBJ FDefaultBitmap = nullptr;  // the DC's own bitmap, back in while no picture is selected
  HBITMAP FSelected = nullptr;     // the picture now in the DC
};
