#include "framework/wincontrol.h"

#include <algorithm>
#include <unordered_map>

#include "framework/application.h"
#include "framework/controlcanvas.h"
#include "framework/form.h"
#include "framework/graphiccontrol.h"
#include "framework/screen.h"
#include "platform/wingdi.h"

namespace {

constexpr const char* kWindowClassName = "TWinControl";

// Our windows and the controls behind them. A window is entered as soon as its first message
// arrives during CreateWindowExA, so WM_CREATE already reaches the control.
std::unordered_map<HWND, TWinControl*>& WindowControls() {
  static std::unordered_map<HWND, TWinControl*> controls;
  return controls;
}

// The control whose window is being created; its window's first message claims it.
TWinControl* CreationControl = nullptr;

bool RegisterWindowClass(WNDPROC Proc) {
  static bool registered = false;
  if (registered) return true;
  WNDCLASSA wc{};
  wc.lpfnWndProc = Proc;
  wc.lpszClassName = kWindowClassName;
  registered = RegisterClassA(&wc) != 0;
  return registered;
}

TForm* ParentForm(TControl* Control) {
  while (Control != nullptr) {
    if (auto* form = dynamic_cast<TForm*>(Control)) return form;
    Control = Control->Parent();
  }
  return nullptr;
}

}  // namespace

TWinControl::TWinControl(TComponent* AOwner) : TControl(AOwner) {}

TWinControl::~TWinControl() {
  // The window goes first, and its child windows with it; then the child controls, which may
  // outlive this one (their owner releases them), let go of it.
  DestroyHandle();
  while (!FControls.empty()) {
    TControl* control = FControls.back();
    FControls.pop_back();
    control->FParent = nullptr;
  }
}

HWND TWinControl::Handle() {
  // No window is made while one is being made or while the control is going.
  if (FHandle == nullptr && !FCreatingHandle && !IsDestroying()) CreateHandle();
  return FHandle;
}

TWinControl* TWinControl::FindControl(HWND Wnd) {
  auto& controls = WindowControls();
  auto it = controls.find(Wnd);
  return it == controls.end() ? nullptr : it->second;
}

TControl* TWinControl::Controls(int Index) const {
  if (Index < 0 || Index >= ControlCount()) {
    throw Exception("Control index out of bounds (" + std::to_string(Index) + ")");
  }
  return FControls[static_cast<std::size_t>(Index)];
}

void TWinControl::InsertControl(TControl* AControl) {
  FControls.push_back(AControl);
  AControl->FParent = this;
  if (auto* win = dynamic_cast<TWinControl*>(AControl)) {
    if (HandleAllocated() && win->Visible()) win->HandleNeeded();
  } else {
    AControl->Invalidate();
  }
}

void TWinControl::RemoveControl(TControl* AControl) {
  auto it = std::find(FControls.begin(), FControls.end(), AControl);
  if (it == FControls.end()) return;
  if (auto* win = dynamic_cast<TWinControl*>(AControl)) {
    // A child window cannot outlive its parent window; it is made anew under the next parent.
    win->DestroyHandle();
  } else {
    AControl->Invalidate();
  }
  FControls.erase(it);
  AControl->FParent = nullptr;
}

void TWinControl::CreateParams(TCreateParams& Params) {
  Params.Style = WS_CHILD | WS_CLIPCHILDREN | (Visible() ? WS_VISIBLE : 0);
  Params.ExStyle = 0;
  Params.X = Left();
  Params.Y = Top();
  Params.Width = std::max(0, Width());
  Params.Height = std::max(0, Height());
  Params.WndParent = nullptr;
  if (Parent() != nullptr) {
    Params.WndParent = Parent()->Handle();
  }
}

void TWinControl::CreateHandle() {
  TCreateParams params;
  FCreatingHandle = true;
  try {
    CreateParams(params);
  } catch (...) {
    FCreatingHandle = false;
    throw;
  }
  if ((params.Style & WS_CHILD) != 0 && params.WndParent == nullptr) {
    FCreatingHandle = false;
    throw EOSError("Control '" + Name() + "' has no parent window");
  }
  RegisterWindowClass(&TWinControl::StaticWndProc);
  TWinControl* previous = CreationControl;
  CreationControl = this;
  HWND wnd = CreateWindowExA(params.ExStyle, kWindowClassName, params.Caption.c_str(), params.Style, params.X,
                             params.Y, params.Width, params.Height, params.WndParent, nullptr, nullptr, this);
  CreationControl = previous;
  FCreatingHandle = false;
  if (wnd == nullptr) {
    std::string reason = GetWindowSystemError() != nullptr ? GetWindowSystemError() : "";
    if (reason.empty()) reason = "the window system refused it";
    if ((params.Style & WS_CHILD) == 0) throw EOSError("cannot open the window: " + reason);
    throw EOSError("cannot create the window of " + (Name().empty() ? std::string(ClassName()) : Name()) + ": " +
                   reason);
  }
  FHandle = wnd;
  WindowControls()[wnd] = this;
  HandleCreated();
  // Visible windowed children get their windows with their parent's.
  for (TControl* control : std::vector<TControl*>(FControls)) {
    auto* win = dynamic_cast<TWinControl*>(control);
    if (win != nullptr && win->Visible() && win->FParent == this) win->HandleNeeded();
  }
}

void TWinControl::DestroyHandle() {
  if (FHandle == nullptr) return;
  HWND wnd = FHandle;
  // WM_DESTROY reaches HandleDestroyed, which lets go of the window; the system may not send
  // it for a window that is already half gone, so let go here too.
  DestroyWindow(wnd);
  if (FHandle == wnd) HandleDestroyed();
}

void TWinControl::HandleDestroyed() {
  TControlCanvas::ReleaseFor(this);
  if (FHandle != nullptr) WindowControls().erase(FHandle);
  FHandle = nullptr;
}

LRESULT TWinControl::StaticWndProc(HWND Wnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  TWinControl* control = FindControl(Wnd);
  if (control == nullptr && CreationControl != nullptr && CreationControl->FHandle == nullptr) {
    control = CreationControl;
    control->FHandle = Wnd;
    WindowControls()[Wnd] = control;
  }
  if (control == nullptr) return DefWindowProcA(Wnd, Msg, wParam, lParam);
  LRESULT result = 0;
  TControlCanvas::BeginDispatch();
  try {
    result = control->Dispatch(Msg, wParam, lParam);
  } catch (...) {
    // A handler of ours failed: show it and carry on with the next message.
    if (Application != nullptr) Application->HandleException(control, std::current_exception());
  }
  TControlCanvas::EndDispatch();
  return result;
}

LRESULT TWinControl::Dispatch(UINT Msg, WPARAM wParam, LPARAM lParam) {
  if (Msg == WM_DESTROY) {
    LRESULT result = WndProc(Msg, wParam, lParam);
    HandleDestroyed();
    return result;
  }
  return WndProc(Msg, wParam, lParam);
}

LRESULT TWinControl::Perform(UINT Msg, WPARAM wParam, LPARAM lParam) { return WndProc(Msg, wParam, lParam); }

LRESULT TWinControl::DefaultHandler(UINT Msg, WPARAM wParam, LPARAM lParam) {
  if (FHandle == nullptr) return 0;
  return DefWindowProcA(FHandle, Msg, wParam, lParam);
}

LRESULT TWinControl::WndProc(UINT Msg, WPARAM wParam, LPARAM lParam) {
  switch (Msg) {
    case WM_ERASEBKGND:
      EraseBackground(reinterpret_cast<HDC>(wParam));
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT ps{};
      HDC dc = BeginPaint(FHandle, &ps);
      if (dc != nullptr) {
        PaintWindow(dc);
        PaintControls(dc, ps.rcPaint);
        EndPaint(FHandle, &ps);
      }
      return 0;
    }
    case WM_MOVE:
    case WM_SIZE:
      // DCs taken before a move or a resize may point at a surface that is gone.
      TControlCanvas::FreeDeviceContexts(true);
      WindowBoundsChanged();
      return DefaultHandler(Msg, wParam, lParam);
    case WM_SETFOCUS:
      if (Screen != nullptr) {
        if (TForm* form = ParentForm(this)) Screen->FocusCameTo(form);
      }
      return DefaultHandler(Msg, wParam, lParam);
    default:
      return DefaultHandler(Msg, wParam, lParam);
  }
}

void TWinControl::EraseBackground(HDC DC) {
  if (DC == nullptr || FHandle == nullptr) return;
  RECT r{};
  GetClientRect(FHandle, &r);
  HBRUSH brush = CreateSolidBrush(ColorToRGB(Color()));
  FillRect(DC, &r, brush);
  DeleteObject(brush);
}

void TWinControl::PaintWindow(HDC /*DC*/) {}

void TWinControl::PaintControls(HDC DC, const RECT& UpdateRect) {
  for (TControl* control : std::vector<TControl*>(FControls)) {
    auto* graphic = dynamic_cast<TGraphicControl*>(control);
    if (graphic == nullptr || !graphic->Visible()) continue;
    const RECT r = graphic->BoundsRect();
    const bool intersects = r.left < UpdateRect.right && UpdateRect.left < r.right && r.top < UpdateRect.bottom &&
                            UpdateRect.top < r.bottom;
    if (intersects) graphic->PaintTo(DC);
  }
}

void TWinControl::WindowBoundsChanged() {
  if (FHandle == nullptr) return;
  RECT r{};
  if (GetWindowRect(FHandle, &r)) UpdateBoundsFields(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

void TWinControl::BoundsChanged(const RECT& /*OldBounds*/) {
  if (FHandle == nullptr) return;
  SetWindowPos(FHandle, nullptr, Left(), Top(), std::max(0, Width()), std::max(0, Height()),
               SWP_NOZORDER | SWP_NOACTIVATE);
}

void TWinControl::SetVisible(bool Value) {
  if (Value == Visible()) return;
  FVisible = Value;
  if (FHandle != nullptr) {
    ShowWindow(FHandle, Value ? SW_SHOW : SW_HIDE);
  } else if (Value && Parent() != nullptr && Parent()->HandleAllocated()) {
    HandleNeeded();
  }
}

void TWinControl::Invalidate() {
  if (FHandle != nullptr) InvalidateRect(FHandle, nullptr, TRUE);
}
