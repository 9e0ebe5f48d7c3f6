// Activation and keyboard focus, as messages to the windows that gain and lose them.
//
// Switching between two of our windows: WM_ACTIVATE (WA_INACTIVE, lParam = the new one) to
// the old, WM_ACTIVATE (WA_ACTIVE, lParam = the old one) to the new, then WM_KILLFOCUS to
// the window losing the focus and WM_SETFOCUS to the one gaining it. When the program as a
// whole becomes active every top-level window gets WM_ACTIVATEAPP (TRUE) first; when it
// loses activation, WM_ACTIVATEAPP (FALSE) follows the old window's WM_ACTIVATE.
#include "platform/window/window_state.h"

namespace platform::window {

namespace {

void BroadcastActivateApp(bool active) {
  std::vector<HWND> tops;
  for (Window* top : S().topLevels) tops.push_back(top->handle);
  for (HWND hwnd : tops) {
    if (Window* top = Find(hwnd)) CallProcedure(top, WM_ACTIVATEAPP, active ? TRUE : FALSE, 0);
  }
}

bool Contains(const Window* ancestor, const Window* window) {
  for (; window != nullptr; window = window->parent) {
    if (window == ancestor) return true;
  }
  return false;
}

}  // namespace

void SetFocusTo(Window* window) {
  State& s = S();
  Window* old = Find(s.focus);
  if (old == window) return;
  const HWND oldHandle = old != nullptr ? old->handle : nullptr;
  const HWND newHandle = window != nullptr ? window->handle : nullptr;
  // The state changes first: whatever the procedures do, GetFocus tells the truth.
  s.focus = newHandle;
  if (old != nullptr) CallProcedure(old, WM_KILLFOCUS, reinterpret_cast<WPARAM>(newHandle), 0);
  if (window != nullptr && s.focus == newHandle && Find(newHandle) != nullptr) {
    CallProcedure(window, WM_SETFOCUS, reinterpret_cast<WPARAM>(oldHandle), 0);
  }
}

void ActivateTopLevel(Window* window, bool raise, bool takeFocus) {
  State& s = S();
  const HWND newHandle = window->handle;
  if (raise && window->sdl != nullptr && window->visible) {
    SDL_RaiseWindow(window->sdl);
    SDL_SetWindowInputFocus(window->sdl);
  }
  Window* old = Find(s.active);
  if (old == window) return;
  const HWND oldHandle = old != nullptr ? old->handle : nullptr;
  s.active = newHandle;
  if (old != nullptr) CallProcedure(old, WM_ACTIVATE, WA_INACTIVE, reinterpret_cast<LPARAM>(newHandle));
  if (old == nullptr) BroadcastActivateApp(true);
  if (s.active != newHandle || Find(newHandle) == nullptr) return;  // a procedure moved on meanwhile
  CallProcedure(window, WM_ACTIVATE, WA_ACTIVE, reinterpret_cast<LPARAM>(oldHandle));
  if (s.active != newHandle || Find(newHandle) == nullptr) return;
  if (takeFocus && !Contains(window, Find(s.focus))) SetFocusTo(window);
}

void Deactivate() {
  State& s = S();
  Window* old = Find(s.active);
  s.active = nullptr;
  if (old == nullptr) {
    SetFocusTo(nullptr);
    return;
  }
  CallProcedure(old, WM_ACTIVATE, WA_INACTIVE, 0);
  if (s.active != nullptr) return;  // a procedure activated a window again
  BroadcastActivateApp(false);
  if (s.active == nullptr) SetFocusTo(nullptr);
}

void ForgetDestroyed(Window* window) {
  State& s = S();
  if (Contains(window, Find(s.focus))) s.focus = nullptr;
  if (s.active == window->handle) s.active = nullptr;
}

void OnSystemFocus(HWND hwnd, bool gained) {
  State& s = S();
  SDL_Window* keyboardFocus = SDL_GetKeyboardFocus();
  if (gained) {
    Window* window = Find(hwnd);
    // Only the latest word counts: an older event may arrive after the focus moved on.
    if (window == nullptr || !window->TopLevel() || window->sdl != keyboardFocus || !window->visible) return;
    if (!window->enabled) {
      // A window under a message box gives way to the box.
      if (!s.modalBoxes.empty()) {
        if (Window* box = Find(s.modalBoxes.back())) ActivateTopLevel(box, true);
      }
      return;
    }
    ActivateTopLevel(window, false);
    return;
  }
  // Focus that went to another of our windows arrives there with its own event.
  if (keyboardFocus != nullptr) {
    for (Window* top : s.topLevels) {
      if (top->sdl == keyboardFocus) return;
    }
  }
  if (Find(s.active) != nullptr) Deactivate();
}

}  // namespace platform::window

using namespace platform::window;

HWND SetFocus(HWND hWnd) {
  State& s = S();
  const HWND previous = Find(s.focus) != nullptr ? s.focus : nullptr;
  if (hWnd == nullptr) {
    SetFocusTo(nullptr);
    return previous;
  }
  const std::shared_ptr<Window> window = Hold(hWnd);
  if (!window || !IsEnabledChain(window.get())) return nullptr;
  // The window's top-level window becomes active first; the focus then goes where asked.
  Window* top = TopLevelOf(window.get());
  if (s.active != top->handle) ActivateTopLevel(top, false, false);
  if (window->alive) SetFocusTo(window.get());
  return previous;
}

HWND GetFocus() { return Find(S().focus) != nullptr ? S().focus : nullptr; }

HWND SetActiveWindow(HWND hWnd) {
  State& s = S();
  const HWND previous = Find(s.active) != nullptr ? s.active : nullptr;
  Window* window = Find(hWnd);
  if (window == nullptr || !window->TopLevel() || !window->enabled) return nullptr;
  ActivateTopLevel(window, false);
  return previous;
}

HWND GetActiveWindow() { return Find(S().active) != nullptr ? S().active : nullptr; }

BOOL SetForegroundWindow(HWND hWnd) {
  Window* window = Find(hWnd);
  if (window == nullptr) return FALSE;
  Window* top = TopLevelOf(window);
  if (!top->enabled) return FALSE;
  ActivateTopLevel(top, true);
  return TRUE;
}
