// The capture window's class: its window procedure hands every message to the window's
// CaptureWindow, and capCreateCaptureWindowA makes windows of it.
#include <cstdint>
#include <memory>
#include <unordered_map>

#include "platform/capture/capture_window.h"

namespace platform::capture {

namespace {

constexpr const char* kClassName = "CaptureWindow";

// Every live capture window by handle, touched on the GUI thread only. Never destroyed, so
// windows that the window system tears down at exit still find it.
std::unordered_map<HWND, std::shared_ptr<CaptureWindow>>& Windows() {
  static auto* windows = new std::unordered_map<HWND, std::shared_ptr<CaptureWindow>>();
  return *windows;
}

LRESULT CaptureWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto& windows = Windows();
  const auto found = windows.find(hwnd);
  if (found == windows.end()) return DefWindowProcA(hwnd, message, wParam, lParam);
  // Held for the whole message: a callback may destroy the window from inside it.
  const std::shared_ptr<CaptureWindow> window = found->second;
  if (message == WM_DESTROY) {
    windows.erase(found);
    window->Destroyed();
  } else if (auto answer = window->Handle(message, wParam, lParam)) {
    return *answer;
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

bool RegisterCaptureClass() {
  static bool registered = false;
  if (!registered) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = CaptureWindowProc;
    windowClass.lpszClassName = kClassName;
    registered = RegisterClassA(&windowClass) != 0;
  }
  return registered;
}

}  // namespace

}  // namespace platform::capture

HWND capCreateCaptureWindowA(LPCSTR lpszWindowName, DWORD dwStyle, int x, int y, int nWidth, int nHeight,
                             HWND hwndParent, int nID) {
  using namespace platform::capture;
  if (!RegisterCaptureClass()) return nullptr;
  HWND hwnd = CreateWindowExA(0, kClassName, lpszWindowName != nullptr ? lpszWindowName : "", dwStyle, x, y,
                              nWidth, nHeight, hwndParent, reinterpret_cast<HMENU>(static_cast<std::intptr_t>(nID)),
                              nullptr, nullptr);
  if (hwnd == nullptr) return nullptr;
  Windows()[hwnd] = std::make_shared<CaptureWindow>(hwnd);
  return hwnd;
}
