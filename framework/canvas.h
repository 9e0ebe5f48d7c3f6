#pragma once
// TCanvas: drawing on a device context with its own font, brush and pen. The three are
// selected into the DC while the canvas holds it and follow every change of their settings;
// the DC's own objects are put back before the canvas lets the DC go.
#include <string>

#include "framework/method.h"
#include "framework/persistent.h"
#include "platform/windef.h"

class TBitmap;
class TBrush;
class TFont;
class TPen;

class TCanvas : public TPersistent {
 public:
  TCanvas();
  ~TCanvas() override;
  const char* ClassName() const override { return "TCanvas"; }

  // The DC, asking CreateHandle for one when there is none; 0 if that got none.
  HDC Handle();
  // Draws on `Value` from now on (0: on none); the old DC gets its own objects back first.
  // The canvas never releases a DC it was given.
  void SetHandle(HDC Value);
  bool HandleAllocated() const { return FHandle != nullptr; }

  TFont* Font() const { return FFont; }
  void SetFont(TFont* Value);  // copies into the canvas's own font
  TBrush* Brush() const { return FBrush; }
  void SetBrush(TBrush* Value);
  TPen* Pen() const { return FPen; }
  void SetPen(TPen* Value);

  // The drawing operations raise Exception "Canvas does not allow drawing" without a DC.
  // One line of text with its top-left corner at (X, Y) in the font's colour; the cells
  // behind it are filled with the brush colour only when the brush style is bsSolid.
  void TextOut(int X, int Y, const std::string& Text);
  // Outlines columns X1..X2-1 and rows Y1..Y2-1 with the pen and fills the inside with the
  // brush. Dash gaps show the brush colour with bsSolid and are left untouched otherwise.
  void Rectangle(int X1, int Y1, int X2, int Y2);
  void FillRect(const RECT& Rect);  // with the brush; nothing with bsClear
  // Copies `Graphic` unscaled with its top-left corner at (X, Y); nothing for null or empty.
  // Reading does not make a shared picture unique.
  void Draw(int X, int Y, TBitmap* Graphic);
  // Copies `Graphic` scaled to `Rect`; nothing for null, empty or an empty rectangle.
  void StretchDraw(const RECT& Rect, TBitmap* Graphic);
  SIZE TextExtent(const std::string& Text);
  int TextWidth(const std::string& Text) { return TextExtent(Text).cx; }
  int TextHeight(const std::string& Text) { return TextExtent(Text).cy; }

  // Raised just before drawing through the DC (also whenever Handle is asked for), and
  // after each drawing operation of the canvas.
  const TNotifyEvent& OnChanging() const { return FOnChanging; }
  void SetOnChanging(TNotifyEvent Value) { FOnChanging = Value; }
  const TNotifyEvent& OnChange() const { return FOnChange; }
  void SetOnChange(TNotifyEvent Value) { FOnChange = Value; }

 protected:
  // Gets a DC for a canvas that has none and hands it over with SetHandle. Nothing here.
  virtual void CreateHandle() {}
  virtual void Changing();
  virtual void Changed();

 private:
  HDC RequiredHandle();  // Handle(), raising when there is none
  void ApplyBackground(HDC DC);
  void SelectObjects();
  void DeselectObjects();
  void FontChanged(TObject* Sender);
  void BrushChanged(TObject* Sender);
  void PenChanged(TObject* Sender);

  HDC FHandle = nullptr;  // not owned: given by SetHandle
  TFont* FFont;           // owned, likewise the brush and pen
  TBrush* FBrush;
  TPen* FPen;
  // The DC's own objects, put back by DeselectObjects; 0 while ours are not selected.
  HGDIOBJ FOldFont = nullptr;
  HGDIOBJ FOldBrush = nullptr;
  HGDIOBJ FOldPen = nullptr;
  TNotifyEvent FOnChanging;
  TNotifyEvent FOnChange;
};
