// Showing, enabling, placing and naming windows, and their per-window values.
#include <algorithm>

#include "platform/window/window_state.h"

using namespace platform::window;

namespace platform::window {

void ApplyGeometry(Window* window, const RECT& rect, bool fromSystem) {
  const HWND hwnd = window->handle;
  const RECT old = window->rect;
  const bool moved = rect.left != old.left || rect.top != old.top;
  const bool sized = (rect.right - rect.left) != window->Width() || (rect.bottom - rect.top) != window->Height();
  if (!moved && !sized) return;
  window->rect = rect;
  if (window->TopLevel()) {
    if (!fromSystem && window->sdl != nullptr) {
      if (moved) SDL_SetWindowPosition(window->sdl, rect.left, rect.top);
      if (sized) {
        window->sdlWidth = std::max(window->Width(), 1);
        window->sdlHeight = std::max(window->Height(), 1);
        SDL_SetWindowSize(window->sdl, window->sdlWidth, window->sdlHeight);
      }
    }
    if (sized) {
      const int oldWidth = old.right - old.left;
      const int oldHeight = old.bottom - old.top;
      if (!ResizeSurface(window, window->Width(), window->Height())) {
        // Out of memory: the old surface stays and is drawn into as far as it reaches.
        window->rect = RECT{rect.left, rect.top, rect.left + oldWidth, rect.top + oldHeight};
      } else {
        Region uncovered(RECT{0, 0, window->Width(), window->Height()});
        uncovered.Subtract(RECT{0, 0, oldWidth, oldHeight});
        InvalidateSurfaceArea(window, uncovered, true);
        window->update.Intersect(RECT{0, 0, window->Width(), window->Height()});
      }
    }
  } else {
    window->update.Intersect(RECT{0, 0, window->Width(), window->Height()});
    if (IsVisibleChain(window)) {
      // What the window covered shows its parent again; where it lies now it paints anew.
      Invalidate(window->parent, Region(old), true);
      InvalidateAll(window, true);
    }
  }
  if (moved) CallProcedure(window, WM_MOVE, 0, MakeLParam(window->rect.left, window->rect.top));
  if (sized && Find(hwnd) != nullptr) {
    CallProcedure(window, WM_SIZE, 0, MakeLParam(window->Width(), window->Height()));
  }
}

}  // namespace platform::window

BOOL ShowWindow(HWND hWnd, int nCmdShow) {
  const std::shared_ptr<Window> window = Hold(hWnd);
  if (!window) return FALSE;
  const bool was = window->visible;
  const bool show = nCmdShow != SW_HIDE;
  if (show != was) {
    CallProcedure(window.get(), WM_SHOWWINDOW, show ? TRUE : FALSE, 0);
    if (!window->alive) return was ? TRUE : FALSE;
    window->visible = show;
    if (show) {
      window->style |= WS_VISIBLE;
    } else {
      window->style &= ~WS_VISIBLE;
    }
    if (window->TopLevel()) {
      if (show) {
        SDL_ShowWindow(window->sdl);
        InvalidateAll(window.get(), true);
      } else {
        SDL_HideWindow(window->sdl);
        if (S().active == hWnd) Deactivate();
      }
    } else if (show) {
      InvalidateAll(window.get(), true);
    } else if (IsVisibleChain(window->parent)) {
      Invalidate(window->parent, Region(window->rect), true);
    }
  }
  // Showing a top-level window activates it, also when it was visible already.
  if (show && window->alive && window->TopLevel() && S().active != hWnd) ActivateTopLevel(window.get(), true);
  return was ? TRUE : FALSE;
}

BOOL IsWindowVisible(HWND hWnd) {
  Window* window = Find(hWnd);
  return window != nullptr && IsVisibleChain(window) ? TRUE : FALSE;
}

BOOL EnableWindow(HWND hWnd, BOOL bEnable) {
  const std::shared_ptr<Window> window = Hold(hWnd);
  if (!window) return FALSE;
  const bool wasDisabled = !window->enabled;
  const bool enable = bEnable != FALSE;
  if (enable == window->enabled) return wasDisabled ? TRUE : FALSE;
  window->enabled = enable;
  if (enable) {
    window->style &= ~WS_DISABLED;
  } else {
    window->style |= WS_DISABLED;
    // A disabled window cannot keep the keyboard focus.
    for (Window* focus = Find(S().focus); focus != nullptr; focus = focus->parent) {
      if (focus == window.get()) {
        SetFocusTo(nullptr);
        break;
      }
    }
  }
  if (window->alive) CallProcedure(window.get(), WM_ENABLE, enable ? TRUE : FALSE, 0);
  return wasDisabled ? TRUE : FALSE;
}

BOOL IsWindowEnabled(HWND hWnd) {
  Window* window = Find(hWnd);
  return window != nullptr && window->enabled ? TRUE : FALSE;
}

BOOL SetWindowPos(HWND hWnd, HWND /*hWndInsertAfter*/, int X, int Y, int cx, int cy, UINT uFlags) {
  const std::shared_ptr<Window> window = Hold(hWnd);
  if (!window) return FALSE;
  const RECT old = window->rect;
  const LONG left = (uFlags & SWP_NOMOVE) != 0 ? old.left : X;
  const LONG top = (uFlags & SWP_NOMOVE) != 0 ? old.top : Y;
  const LONG width = (uFlags & SWP_NOSIZE) != 0 ? old.right - old.left : std::max(cx, 0);
  const LONG height = (uFlags & SWP_NOSIZE) != 0 ? old.bottom - old.top : std::max(cy, 0);
  const auto right = std::clamp<std::int64_t>(static_cast<std::int64_t>(left) + width, INT32_MIN, INT32_MAX);
  const auto bottom = std::clamp<std::int64_t>(static_cast<std::int64_t>(top) + height, INT32_MIN, INT32_MAX);
  ApplyGeometry(window.get(), RECT{left, top, static_cast<LONG>(right), static_cast<LONG>(bottom)}, false);
  return TRUE;
}

BOOL MoveWindow(HWND hWnd, int X, int Y, int nWidth, int nHeight, BOOL /*bRepaint*/) {
  return SetWindowPos(hWnd, nullptr, X, Y, nWidth, nHeight, SWP_NOZORDER | SWP_NOACTIVATE);
}

BOOL GetWindowRect(HWND hWnd, RECT* lpRect) {
  Window* window = Find(hWnd);
  if (window == nullptr || lpRect == nullptr) return FALSE;
  *lpRect = window->rect;
  return TRUE;
}

BOOL GetClientRect(HWND hWnd, RECT* lpRect) {
  Window* window = Find(hWnd);
  if (window == nullptr || lpRect == nullptr) return FALSE;
  *lpRect = RECT{0, 0, window->Width(), window->Height()};
  return TRUE;
}

BOOL SetWindowTextA(HWND hWnd, LPCSTR lpString) {
  Window* window = Find(hWnd);
  if (window == nullptr) return FALSE;
  return CallProcedure(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(lpString)) != 0 ? TRUE : FALSE;
}

LONG_PTR SetWindowLongPtrA(HWND hWnd, int nIndex, LONG_PTR dwNewLong) {
  Window* window = Find(hWnd);
  if (window == nullptr) return 0;
  LONG_PTR previous = 0;
  switch (nIndex) {
    case GWLP_USERDATA:
      previous = window->userData;
      window->userData = dwNewLong;
      return previous;
    case GWLP_WNDPROC:
      // A window's procedure cannot be taken away, only replaced.
      if (dwNewLong == 0) return 0;
      previous = reinterpret_cast<LONG_PTR>(window->proc);
      window->proc = reinterpret_cast<WNDPROC>(dwNewLong);
      return previous;
    default:
      return 0;
  }
}

LONG_PTR GetWindowLongPtrA(HWND hWnd, int nIndex) {
  Window* window = Find(hWnd);
  if (window == nullptr) return 0;
  switch (nIndex) {
    case GWLP_USERDATA:
      return window->userData;
    case GWLP_WNDPROC:
      return reinterpret_cast<LONG_PTR>(window->proc);
    default:
      return 0;
  }
}
