#pragma once
// TWinControl: a control with a window of its own. The window is created on demand, its
// parent's first, as a child window of the parent's; its window procedure hands every
// message to the object (WndProc). The window goes with the control, and a window that
// the system destroys first (its parent's went) leaves the control without a handle.
#include <string>
#include <vector>

#include "framework/control.h"
#include "platform/winuser.h"
#include "runtime/exception.h"

// A window the system would not make; the message says which and why.
class EOSError : public Exception {
 public:
  using Exception::Exception;
};

struct TCreateParams {
  DWORD Style = 0;
  DWORD ExStyle = 0;
  int X = 0;
  int Y = 0;
  int Width = 0;
  int Height = 0;
  HWND WndParent = nullptr;
  std::string Caption;
};

class TWinControl : public TControl {
 public:
  explicit TWinControl(TComponent* AOwner);
  ~TWinControl() override;
  const char* ClassName() const override { return "TWinControl"; }

  // The window, created on demand (raises EOSError when the system refuses it).
  HWND Handle();
  bool HandleAllocated() const { return FHandle != nullptr; }
  // The window if it exists, without making one.
  HWND WindowHandle() const { return FHandle; }
  void HandleNeeded() { (void)Handle(); }

  // Child controls, windowed or not, in the order they were parented.
  int ControlCount() const { return static_cast<int>(FControls.size()); }
  TControl* Controls(int Index) const;

  int HelpContext() const { return FHelpContext; }
  void SetHelpContext(int Value) { FHelpContext = Value; }

  void SetVisible(bool Value) override;
  void Invalidate() override;
  // Sends a message to the control's own WndProc, without a window.
  LRESULT Perform(UINT Msg, WPARAM wParam, LPARAM lParam);

  // The control behind one of our windows; null for any other window.
  static TWinControl* FindControl(HWND Wnd);

 protected:
  // Every message of the window. Unhandled ones go to DefaultHandler.
  virtual LRESULT WndProc(UINT Msg, WPARAM wParam, LPARAM lParam);
  LRESULT DefaultHandler(UINT Msg, WPARAM wParam, LPARAM lParam);

  virtual void CreateParams(TCreateParams& Params);
  virtual void CreateHandle();
  virtual void DestroyHandle();
  // The window exists (its children are created after this).
  virtual void HandleCreated() {}
  // WM_PAINT: draws the update area through a paint DC.
  virtual void PaintWindow(HDC DC);
  // Draws the non-windowed child controls that intersect the update area.
  void PaintControls(HDC DC, const RECT& UpdateRect);
  // WM_ERASEBKGND: fills the area with Color.
  virtual void EraseBackground(HDC DC);
  // The window was moved or resized by the system or the user.
  virtual void WindowBoundsChanged();

  void BoundsChanged(const RECT& OldBounds) override;

 private:
  friend class TControl;

  static LRESULT StaticWndProc(HWND Wnd, UINT Msg, WPARAM wParam, LPARAM lParam);
  LRESULT Dispatch(UINT Msg, WPARAM wParam, LPARAM lParam);
  void InsertControl(TControl* AControl);
  void RemoveControl(TControl* AControl);
  void HandleDestroyed();

  HWND FHandle = nullptr;            // the window; destroyed with the control unless the system did first
  std::vector<TControl*> FControls;  // not owned: the child controls, which take themselves out
  int FHelpContext = 0;
  bool FCreatingHandle = false;
};
