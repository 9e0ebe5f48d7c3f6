#include "framework/form.h"

#include <cmath>

#include "framework/application.h"
#include "framework/bitmap.h"
#include "framework/canvas.h"
#include "framework/font.h"
#include "framework/screen.h"

namespace {

// a * m / d rounded to the nearest integer, halves away from zero.
int ScaleRounded(int a, int m, int d) {
  return static_cast<int>(std::lround(static_cast<double>(a) * m / d));
}

int MeasureTextHeight(TFont* Font) {
  TBitmap bitmap;
  bitmap.SetWidth(1);
  bitmap.SetHeight(1);
  bitmap.Canvas()->Font()->Assign(Font);
  return bitmap.Canvas()->TextHeight("0");
}

}  // namespace

TForm::TForm(TComponent* AOwner) : TCustomControl(AOwner), FFont(new TFont()) {
  // A form starts hidden; showing it is the message loop's or the program's decision.
  TWinControl::SetVisible(false);
  TControl::SetColor(clBtnFace);
  SetBounds(0, 0, 320, 240);
  if (Screen != nullptr) Screen->AddForm(this);
}

TForm::~TForm() {
  // A form released without `delete` (on the stack) still tells OnDestroy first.
  DoDestroy();
  if (Screen != nullptr) Screen->RemoveForm(this);
  if (Application != nullptr) Application->FormDestroyed(this);
  delete FFont;
  FFont = nullptr;
}

TForm::TTextHeightMeasure& TForm::TextHeightMeasure() {
  static TTextHeightMeasure measure = &MeasureTextHeight;
  return measure;
}

void TForm::BeforeDestruction() {
  DoDestroy();
  TCustomControl::BeforeDestruction();
}

void TForm::DoDestroy() {
  if (FDestroyDone) return;
  FDestroyDone = true;
  // Destruction cannot stop half-way: a failing handler is shown, and the form goes anyway.
  try {
    FOnDestroy(this);
  } catch (...) {
    if (Application != nullptr) Application->HandleException(this, std::current_exception());
  }
}

void TForm::Activate() { FOnActivate(this); }

bool TForm::Active() const { return Screen != nullptr && Screen->FocusedForm() == this; }

void TForm::Close() {
  if (Application != nullptr && Application->MainForm() == this) {
    Application->Terminate();
  } else {
    Hide();
  }
}

void TForm::SetBorderStyle(TFormBorderStyle Value) {
  // The frame is chosen when the window is made.
  FBorderStyle = Value;
}

void TForm::SetCaption(const std::string& Value) {
  FCaption = Value;
  if (HandleAllocated()) SetWindowTextA(Handle(), FCaption.c_str());
}

SIZE TForm::FrameSize() const {
  if (!HandleAllocated()) return SIZE{0, 0};
  HWND wnd = WindowHandle();
  RECT window{};
  RECT client{};
  if (!GetWindowRect(wnd, &window) || !GetClientRect(wnd, &client)) return SIZE{0, 0};
  return SIZE{(window.right - window.left) - (client.right - client.left),
              (window.bottom - window.top) - (client.bottom - client.top)};
}

int TForm::ClientWidth() const {
  if (HandleAllocated()) {
    RECT client{};
    if (GetClientRect(WindowHandle(), &client)) return client.right - client.left;
  }
  return FClientWidth >= 0 ? FClientWidth : Width();
}

int TForm::ClientHeight() const {
  if (HandleAllocated()) {
    RECT client{};
    if (GetClientRect(WindowHandle(), &client)) return client.bottom - client.top;
  }
  return FClientHeight >= 0 ? FClientHeight : Height();
}

void TForm::SetClientWidth(int Value) {
  // Kept until the window exists, when the frame's share becomes known.
  FClientWidth = HandleAllocated() ? -1 : Value;
  SetBounds(Left(), Top(), Value + FrameSize().cx, Height());
}

void TForm::SetClientHeight(int Value) {
  FClientHeight = HandleAllocated() ? -1 : Value;
  SetBounds(Left(), Top(), Width(), Value + FrameSize().cy);
}

void TForm::SetFont(TFont* Value) { FFont->Assign(Value); }

void TForm::CreateParams(TCreateParams& Params) {
  TCustomControl::CreateParams(Params);
  // A top-level window, made hidden: showing it is SetVisible's business.
  Params.Style = WS_CLIPCHILDREN;
  switch (FBorderStyle) {
    case bsNone:
      Params.Style |= WS_POPUP;
      break;
    case bsSingle:
    case bsDialog:
    case bsToolWindow:
      Params.Style |= WS_CAPTION | WS_SYSMENU | WS_BORDER;
      break;
    case bsSizeable:
    case bsSizeToolWin:
      Params.Style |= WS_OVERLAPPEDWINDOW;
      break;
  }
  Params.WndParent = nullptr;
  Params.Caption = FCaption;
}

void TForm::HandleCreated() {
  TCustomControl::HandleCreated();
  // A client size asked for before the window existed, now with the frame known.
  const int clientWidth = FClientWidth;
  const int clientHeight = FClientHeight;
  if (clientWidth >= 0) SetClientWidth(clientWidth);
  if (clientHeight >= 0) SetClientHeight(clientHeight);
  FClientWidth = -1;
  FClientHeight = -1;
}

void TForm::SetVisible(bool Value) {
  if (Value == Visible()) return;
  if (!Value) {
    TCustomControl::SetVisible(false);
    return;
  }
  HWND wnd = Handle();
  TCustomControl::SetVisible(true);
  // Showing a form activates it and gives it the focus, so OnActivate runs inside the showing.
  SetForegroundWindow(wnd);
  SetActiveWindow(wnd);
  SetFocus(wnd);
}

LRESULT TForm::WndProc(UINT Msg, WPARAM wParam, LPARAM lParam) {
  switch (Msg) {
    case WM_ACTIVATE:
      if ((wParam & 0xFFFF) != WA_INACTIVE && Screen != nullptr) Screen->FocusCameTo(this);
      return DefaultHandler(Msg, wParam, lParam);
    case WM_CLOSE:
      // No handler can refuse: the main form ends the program, any other one is hidden.
      Close();
      return 0;
    case WM_QUERYENDSESSION:
      return TRUE;
    default:
      return TCustomControl::WndProc(Msg, wParam, lParam);
  }
}

void TForm::Loaded() {
  TCustomControl::Loaded();
  if (FPixelsPerInch <= 0 || FTextHeight <= 0) return;
  const int screenPixelsPerInch = Screen != nullptr ? Screen->PixelsPerInch() : FPixelsPerInch;
  if (screenPixelsPerInch != FPixelsPerInch) {
    FFont->SetHeight(ScaleRounded(FFont->Height(), screenPixelsPerInch, FPixelsPerInch));
    FPixelsPerInch = screenPixelsPerInch;
  }
  const int actual = TextHeightMeasure() ? TextHeightMeasure()(FFont) : FTextHeight;
  if (actual > 0 && actual != FTextHeight) {
    ScaleBy(actual, FTextHeight);
    FTextHeight = actual;
  }
}

void TForm::ScaleBy(int M, int D) {
  if (M == D || D == 0) return;
  for (int i = 0; i < ComponentCount(); ++i) {
    auto* control = dynamic_cast<TControl*>(Components(i));
    if (control == nullptr) continue;
    const int left = ScaleRounded(control->Left(), M, D);
    const int top = ScaleRounded(control->Top(), M, D);
    const int right = ScaleRounded(control->Left() + control->Width(), M, D);
    const int bottom = ScaleRounded(control->Top() + control->Height(), M, D);
    control->SetBounds(left, top, right - left, bottom - top);
  }
  const int clientWidth = ScaleRounded(ClientWidth(), M, D);
  const int clientHeight = ScaleRounded(ClientHeight(), M, D);
  SetClientWidth(clientWidth);
  SetClientHeight(clientHeight);
}
