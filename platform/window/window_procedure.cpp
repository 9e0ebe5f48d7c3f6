// Sending messages and the default window procedure.
#include "platform/window/window_state.h"
#include "platform/wingdi.h"

using namespace platform::window;

LRESULT SendMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  Window* window = Find(hWnd);
  if (window == nullptr) return 0;
  return CallProcedure(window, Msg, wParam, lParam);
}

LRESULT DefWindowProcA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  Window* window = Find(hWnd);
  if (window == nullptr) return 0;
  switch (Msg) {
    case WM_CLOSE:
      DestroyWindow(hWnd);
      return 0;
    case WM_ERASEBKGND: {
      const HBRUSH brush = window->windowClass->background;
      if (brush == nullptr || wParam == 0) return 0;
      const RECT client{0, 0, window->Width(), window->Height()};
      return FillRect(reinterpret_cast<HDC>(wParam), &client, brush) != 0 ? 1 : 0;
    }
    case WM_PAINT: {
      PAINTSTRUCT paint{};
      if (BeginPaint(hWnd, &paint) != nullptr) EndPaint(hWnd, &paint);
      return 0;
    }
    case WM_SETTEXT: {
      window->text = lParam != 0 ? reinterpret_cast<LPCSTR>(lParam) : "";
      if (window->TopLevel() && window->sdl != nullptr) SDL_SetWindowTitle(window->sdl, window->text.c_str());
      return TRUE;
    }
    case WM_SYSKEYDOWN: {
      // Alt+F4 closes the top-level window, as the system's keyboard command does.
      const bool altHeld = (static_cast<std::uint64_t>(lParam) & (1u << 29)) != 0;
      if (wParam == VK_F4 && altHeld) SendMessageA(TopLevelOf(window)->handle, WM_SYSCOMMAND, SC_CLOSE, 0);
      return 0;
    }
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == SC_CLOSE) SendMessageA(hWnd, WM_CLOSE, 0, 0);
      return 0;
    case WM_QUERYENDSESSION:
      return TRUE;
    default:
      return 0;
  }
}
