#include "framework/canvas.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "framework/bitmap.h"
#include "framework/brush.h"
#include "framework/font.h"
#include "framework/pen.h"
#include "platform/wingdi.h"
#include "runtime/exception.h"

TCanvas::TCanvas() : FFont(new TFont()), FBrush(new TBrush()), FPen(new TPen()) {
  FFont->SetOnChange(TNotifyEvent::Of<&TCanvas::FontChanged>(this));
  FBrush->SetOnChange(TNotifyEvent::Of<&TCanvas::BrushChanged>(this));
  FPen->SetOnChange(TNotifyEvent::Of<&TCanvas::PenChanged>(this));
}

TCanvas::~TCanvas() {
  // Give the DC its own objects back before ours are deleted.
  SetHandle(nullptr);
  delete FFont;
  delete FBrush;
  delete FPen;
}

HDC TCanvas::Handle() {
  if (FHandle == nullptr) CreateHandle();
  if (FHandle != nullptr) Changing();
  return FHandle;
}

void TCanvas::SetHandle(HDC Value) {
  if (Value == FHandle) return;
  if (FHandle != nullptr) DeselectObjects();
  FHandle = Value;
  if (FHandle != nullptr) SelectObjects();
}

void TCanvas::SetFont(TFont* Value) { FFont->Assign(Value); }
void TCanvas::SetBrush(TBrush* Value) { FBrush->Assign(Value); }
void TCanvas::SetPen(TPen* Value) { FPen->Assign(Value); }

HDC TCanvas::RequiredHandle() {
  HDC dc = Handle();
  if (dc == nullptr) throw Exception("Canvas does not allow drawing");
  return dc;
}

void TCanvas::ApplyBackground(HDC DC) {
  // With OPAQUE the DC fills text cells and dash gaps with its background colour; only a
  // solid brush asks for that.
  if (FBrush->Style() == bsSolid) {
    SetBkColor(DC, ColorToRGB(FBrush->Color()));
    SetBkMode(DC, OPAQUE);
  } else {
    SetBkMode(DC, TRANSPARENT);
  }
}

void TCanvas::TextOut(int X, int Y, const std::string& Text) {
  HDC dc = RequiredHandle();
  SetTextColor(dc, ColorToRGB(FFont->Color()));
  ApplyBackground(dc);
  TextOutA(dc, X, Y, Text.data(), static_cast<int>(std::min<std::size_t>(Text.size(), INT32_MAX)));
  Changed();
}

void TCanvas::Rectangle(int X1, int Y1, int X2, int Y2) {
  HDC dc = RequiredHandle();
  ApplyBackground(dc);
  ::Rectangle(dc, X1, Y1, X2, Y2);
  Changed();
}

void TCanvas::FillRect(const RECT& Rect) {
  HDC dc = RequiredHandle();
  if (FBrush->Style() != bsClear) ::FillRect(dc, &Rect, FBrush->Handle());
  Changed();
}

void TCanvas::Draw(int X, int Y, TBitmap* Graphic) {
  if (Graphic == nullptr || Graphic->Empty()) return;
  HDC dc = RequiredHandle();
  // A DC of its own for the source, so that a picture shared by several bitmaps is read
  // where it is instead of being copied first.
  HDC source = CreateCompatibleDC(dc);
  if (source == nullptr) return;
  HGDIOBJ old = SelectObject(source, Graphic->ImageHandle());
  BitBlt(dc, X, Y, Graphic->Width(), Graphic->Height(), source, 0, 0, SRCCOPY);
  SelectObject(source, old);
  DeleteDC(source);
  Changed();
}

void TCanvas::StretchDraw(const RECT& Rect, TBitmap* Graphic) {
  if (Graphic == nullptr || Graphic->Empty()) return;
  const int width = Rect.right - Rect.left;
  const int height = Rect.bottom - Rect.top;
  if (width <= 0 || height <= 0) return;
  if (width == Graphic->Width() && height == Graphic->Height()) {
    Draw(Rect.left, Rect.top, Graphic);
    return;
  }
  HDC dc = RequiredHandle();
  // The pixels as a top-down 32-bit DIB, scaled by StretchDIBits.
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = Graphic->Width();
  info.bmiHeader.biHeight = -Graphic->Height();
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(Graphic->Width()) *
                                    static_cast<std::size_t>(Graphic->Height()));
  const auto lines = static_cast<UINT>(Graphic->Height());
  if (GetDIBits(dc, Graphic->ImageHandle(), 0, lines, pixels.data(), &info, DIB_RGB_COLORS) == 0) return;
  StretchDIBits(dc, Rect.left, Rect.top, width, height, 0, 0, Graphic->Width(), Graphic->Height(), pixels.data(),
                &info, DIB_RGB_COLORS, SRCCOPY);
  Changed();
}

SIZE TCanvas::TextExtent(const std::string& Text) {
  HDC dc = RequiredHandle();
  SIZE size{0, 0};
  GetTextExtentPoint32A(dc, Text.data(), static_cast<int>(std::min<std::size_t>(Text.size(), INT32_MAX)), &size);
  return size;
}

void TCanvas::Changing() { FOnChanging(this); }

void TCanvas::Changed() { FOnChange(this); }

void TCanvas::SelectObjects() {
  FOldFont = SelectObject(FHandle, FFont->Handle());
  FOldBrush = SelectObject(FHandle, FBrush->Handle());
  FOldPen = SelectObject(FHandle, FPen->Handle());
}

void TCanvas::DeselectObjects() {
  if (FOldFont != nullptr) SelectObject(FHandle, FOldFont);
  if (FOldBrush != nullptr) SelectObject(FHandle, FOldBrush);
  if (FOldPen != nullptr) SelectObject(FHandle, FOldPen);
  FOldFont = FOldBrush = FOldPen = nullptr;
}

// On a change the object deletes its old GDI handle when it makes the new one, so the old
// one leaves the DC first: the DC's own object goes back in, then the new one replaces it.
void TCanvas::FontChanged(TObject* /*Sender*/) {
  if (FHandle == nullptr) return;
  if (FOldFont != nullptr) SelectObject(FHandle, FOldFont);
  HGDIOBJ before = SelectObject(FHandle, FFont->Handle());
  if (FOldFont == nullptr) FOldFont = before;
}

void TCanvas::BrushChanged(TObject* /*Sender*/) {
  if (FHandle == nullptr) return;
  if (FOldBrush != nullptr) SelectObject(FHandle, FOldBrush);
  HGDIOBJ before = SelectObject(FHandle, FBrush->Handle());
  if (FOldBrush == nullptr) FOldBrush = before;
}

void TCanvas::PenChanged(TObject* /*Sender*/) {
  if (FHandle == nullptr) return;
  if (FOldPen != nullptr) SelectObject(FHandle, FOldPen);
  HGDIOBJ before = SelectObject(FHandle, FPen->Handle());
  if (FOldPen == nullptr) FOldPen = before;
}
