// MessageBoxA: a small window of our own, drawn with our GDI, and a nested loop that keeps
// dispatching posted messages, timers and end signals while it is open. SDL's own message
// box would block the thread in a loop of its own, where none of those are served.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "platform/window/window_state.h"
#include "platform/wingdi.h"

namespace platform::window {

namespace {

constexpr int kMargin = 12;
constexpr int kIconSize = 32;
constexpr int kGap = 12;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 23;
constexpr int kMinimumWidth = 180;
constexpr COLORREF kFaceColor = RGB(240, 240, 240);
constexpr COLORREF kButtonColor = RGB(225, 225, 225);
constexpr COLORREF kButtonBorderColor = RGB(112, 112, 112);
constexpr COLORREF kStopColor = RGB(204, 32, 32);
constexpr COLORREF kTextColor = RGB(0, 0, 0);

// One open box: its text and layout, and whether it has been answered.
struct Box {
  std::vector<std::string> lines;
  bool stopIcon = false;
  int lineHeight = 0;
  int width = 0;
  int height = 0;
  POINT icon{0, 0};
  POINT text{0, 0};
  RECT button{};
  bool pressed = false;   // the left button went down on OK
  bool answered = false;  // OK, Enter, Space, Escape or a close
};

// A carriage return, a line feed or both break the line.
std::vector<std::string> SplitLines(const char* text) {
  std::vector<std::string> lines(1);
  for (const char* p = text; *p != '\0'; ++p) {
    if (*p == '\r' || *p == '\n') {
      if (*p == '\r' && p[1] == '\n') ++p;
      lines.emplace_back();
    } else {
      lines.back().push_back(*p);
    }
  }
  return lines;
}

void Layout(Box& box, int screenWidth) {
  int textWidth = 0;
  HDC dc = CreateCompatibleDC(nullptr);
  TEXTMETRICA metrics{};
  if (dc != nullptr && GetTextMetricsA(dc, &metrics)) box.lineHeight = metrics.tmHeight;
  if (box.lineHeight <= 0) box.lineHeight = 16;
  for (const std::string& line : box.lines) {
    SIZE extent{0, 0};
    if (dc != nullptr && GetTextExtentPoint32A(dc, line.c_str(), static_cast<int>(line.size()), &extent)) {
      textWidth = std::max<int>(textWidth, extent.cx);
    }
  }
  if (dc != nullptr) DeleteDC(dc);

  const int textLeft = kMargin + (box.stopIcon ? kIconSize + kGap : 0);
  const int textHeight = static_cast<int>(box.lines.size()) * box.lineHeight;
  const int contentHeight = std::max(box.stopIcon ? kIconSize : 0, textHeight);
  box.icon = POINT{kMargin, kMargin + (contentHeight - kIconSize) / 2};
  box.text = POINT{textLeft, kMargin + (contentHeight - textHeight) / 2};
  box.width = std::max({textLeft + textWidth + kMargin, kButtonWidth + 2 * kMargin, kMinimumWidth});
  // Text wider than the screen is cut off rather than making a window nobody can see whole.
  if (screenWidth > 0) box.width = std::min(box.width, screenWidth);
  const int buttonTop = kMargin + contentHeight + kGap;
  box.button = RECT{(box.width - kButtonWidth) / 2, buttonTop, (box.width + kButtonWidth) / 2, buttonTop + kButtonHeight};
  box.height = buttonTop + kButtonHeight + kMargin;
}

void Fill(HDC dc, HBRUSH brush, int left, int top, int right, int bottom) {
  const RECT rect{left, top, right, bottom};
  FillRect(dc, &rect, brush);
}

// A red disc with a white cross, row by row.
void DrawStopIcon(HDC dc, POINT at) {
  HBRUSH red = CreateSolidBrush(kStopColor);
  HBRUSH white = CreateSolidBrush(RGB(255, 255, 255));
  const double radius = kIconSize / 2.0;
  const int cx = at.x + kIconSize / 2;
  const int cy = at.y + kIconSize / 2;
  for (int row = 0; row < kIconSize; ++row) {
    const double dy = row + 0.5 - radius;
    const double half = std::sqrt(std::max(0.0, radius * radius - dy * dy));
    Fill(dc, red, static_cast<int>(std::lround(cx - half)), at.y + row, static_cast<int>(std::lround(cx + half)),
         at.y + row + 1);
  }
  for (int i = -8; i < 8; ++i) {
    Fill(dc, white, cx + i - 1, cy + i, cx + i + 2, cy + i + 1);
    Fill(dc, white, cx - i - 2, cy + i, cx - i + 1, cy + i + 1);
  }
  DeleteObject(red);
  DeleteObject(white);
}

void Paint(HWND hwnd, const Box& box) {
  PAINTSTRUCT paint{};
  HDC dc = BeginPaint(hwnd, &paint);
  if (dc == nullptr) return;
  HBRUSH face = CreateSolidBrush(kFaceColor);
  Fill(dc, face, 0, 0, box.width, box.height);
  DeleteObject(face);
  if (box.stopIcon) DrawStopIcon(dc, box.icon);

  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, kTextColor);
  for (std::size_t i = 0; i < box.lines.size(); ++i) {
    const std::string& line = box.lines[i];
    TextOutA(dc, box.text.x, box.text.y + static_cast<int>(i) * box.lineHeight, line.c_str(),
             static_cast<int>(line.size()));
  }

  HPEN border = CreatePen(PS_SOLID, 1, kButtonBorderColor);
  HBRUSH buttonFace = CreateSolidBrush(kButtonColor);
  HGDIOBJ oldPen = SelectObject(dc, border);
  HGDIOBJ oldBrush = SelectObject(dc, buttonFace);
  Rectangle(dc, box.button.left, box.button.top, box.button.right, box.button.bottom);
  SelectObject(dc, oldPen);
  SelectObject(dc, oldBrush);
  DeleteObject(border);
  DeleteObject(buttonFace);
  SIZE ok{0, 0};
  GetTextExtentPoint32A(dc, "OK", 2, &ok);
  TextOutA(dc, (box.button.left + box.button.right - ok.cx) / 2, (box.button.top + box.button.bottom - ok.cy) / 2,
           "OK", 2);
  EndPaint(hwnd, &paint);
}

bool InButton(const Box& box, LPARAM lParam) {
  const int x = static_cast<std::int16_t>(lParam & 0xFFFF);
  const int y = static_cast<std::int16_t>((lParam >> 16) & 0xFFFF);
  return x >= box.button.left && x < box.button.right && y >= box.button.top && y < box.button.bottom;
}

LRESULT BoxProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    return 0;
  }
  Box* box = reinterpret_cast<Box*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (box == nullptr) return DefWindowProcA(hwnd, message, wParam, lParam);
  switch (message) {
    case WM_ERASEBKGND:
      return 1;  // WM_PAINT fills everything
    case WM_PAINT:
      Paint(hwnd, *box);
      return 0;
    case WM_KEYDOWN:
      if (wParam == VK_RETURN || wParam == VK_SPACE || wParam == VK_ESCAPE) box->answered = true;
      return 0;
    case WM_LBUTTONDOWN:
      box->pressed = InButton(*box, lParam);
      return 0;
    case WM_LBUTTONUP:
      if (box->pressed && InButton(*box, lParam)) box->answered = true;
      box->pressed = false;
      return 0;
    case WM_CLOSE:
      box->answered = true;  // the box goes when its loop ends
      return 0;
    case WM_DESTROY:
      box->answered = true;
      SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
      return 0;
    default:
      return DefWindowProcA(hwnd, message, wParam, lParam);
  }
}

// While a box is open every other top-level window of ours is disabled. Afterwards they are
// enabled again, the window that was active before is activated again, and the box goes.
class ModalScope {
 public:
  explicit ModalScope(HWND box) : box_(box), previous_(GetActiveWindow()) {
    S().modalBoxes.push_back(box);
    std::vector<HWND> tops;
    for (Window* top : S().topLevels) tops.push_back(top->handle);
    try {
      for (HWND hwnd : tops) {
        Window* top = Find(hwnd);
        if (top == nullptr || hwnd == box_ || !top->enabled) continue;
        disabled_.push_back(hwnd);
        EnableWindow(hwnd, FALSE);
      }
    } catch (...) {
      // A WM_ENABLE handler threw: what was disabled is enabled again and the box goes.
      try {
        Finish();
      } catch (...) {
        // The first exception is the one that leaves.
      }
      throw;
    }
  }
  ModalScope(const ModalScope&) = delete;
  ModalScope& operator=(const ModalScope&) = delete;
  ~ModalScope() {
    if (finished_) return;
    try {
      Finish();
    } catch (...) {
      // Unwinding already: the exception that brought us here is the one that leaves.
    }
  }

  void Finish() {
    finished_ = true;
    auto& boxes = S().modalBoxes;
    boxes.erase(std::remove(boxes.begin(), boxes.end(), box_), boxes.end());
    ExceptionCollector errors;
    for (HWND hwnd : disabled_) {
      if (Find(hwnd) != nullptr) errors.Run([&] { EnableWindow(hwnd, TRUE); });
    }
    errors.Run([&] {
      Window* previous = Find(previous_);
      if (previous != nullptr && previous != Find(box_) && previous->TopLevel() && previous->enabled &&
          previous->visible) {
        ActivateTopLevel(previous, true);
      } else if (S().active == box_) {
        Deactivate();
      }
    });
    errors.Run([&] { DestroyWindow(box_); });
    errors.Rethrow();
  }

 private:
  HWND box_;
  HWND previous_;
  std::vector<HWND> disabled_;
  bool finished_ = false;
};

}  // namespace

}  // namespace platform::window

using namespace platform::window;

int MessageBoxA(HWND hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT uType) {
  if (!EnsureVideo()) return 0;
  static const std::shared_ptr<const WindowClass> boxClass = RegisterInternalClass("MessageBox", BoxProc, nullptr);

  SDL_Rect screen{0, 0, 0, 0};
  SDL_GetDisplayBounds(0, &screen);
  Box box;
  box.lines = SplitLines(lpText != nullptr ? lpText : "");
  box.stopIcon = (uType & 0xF0) == MB_ICONSTOP;
  Layout(box, screen.w);

  // Centred on the owner's window when it shows, otherwise on the screen.
  RECT over{screen.x, screen.y, screen.x + screen.w, screen.y + screen.h};
  if (Window* owner = TopLevelOf(Find(hWnd)); owner != nullptr && owner->visible) over = owner->rect;
  const int x = (over.left + over.right - box.width) / 2;
  const int y = (over.top + over.bottom - box.height) / 2;
  const HWND hbox = CreateWindowOfClass(boxClass, 0, lpCaption != nullptr ? lpCaption : "Error",
                                        WS_POPUP | WS_CAPTION | WS_SYSMENU, x, y, box.width, box.height, nullptr,
                                        nullptr, nullptr, &box);
  if (hbox == nullptr) return 0;

  ModalScope modal(hbox);
  ShowWindow(hbox, SW_SHOW);
  bool quit = false;
  int quitCode = 0;
  MSG msg{};
  while (!box.answered) {
    const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
    if (got == 0) {
      // The program is ending: the box ends too, and the outer loop gets the quit after it.
      quit = true;
      quitCode = static_cast<int>(msg.wParam);
      break;
    }
    if (got < 0) break;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  if (quit) PostQuitMessage(quitCode);
  const bool answered = box.answered && !quit;
  modal.Finish();
  return answered ? IDOK : 0;
}
