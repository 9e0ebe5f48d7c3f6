// The window tree: classes, handles, creation and destruction, and the state they share.
#include <algorithm>
#include <cstring>
#include <strings.h>

#include "platform/window/window_state.h"
#include "platform/window/window_system.h"
#include "platform/window/window_testing.h"

namespace platform::window {

State& S() {
  // Never destroyed: windows may still be torn down from static destructors at exit.
  static State* state = new State();
  return *state;
}

Window::~Window() {
  if (sdl != nullptr) SDL_DestroyWindow(sdl);
  if (surface != nullptr) pixman_image_unref(surface);
}

Window* Find(HWND hwnd) {
  if (hwnd == nullptr) return nullptr;
  auto& windows = S().windows;
  const auto found = windows.find(HandleValue(hwnd));
  return found == windows.end() ? nullptr : found->second.get();
}

std::shared_ptr<Window> Hold(HWND hwnd) {
  if (hwnd == nullptr) return nullptr;
  auto& windows = S().windows;
  const auto found = windows.find(HandleValue(hwnd));
  return found == windows.end() ? nullptr : found->second;
}

Window* FindBySdlId(Uint32 id) {
  const auto found = S().bySdlId.find(id);
  return found == S().bySdlId.end() ? nullptr : found->second;
}

Window* TopLevelOf(Window* window) {
  while (window != nullptr && window->parent != nullptr) window = window->parent;
  return window;
}

bool IsVisibleChain(const Window* window) {
  for (; window != nullptr; window = window->parent) {
    if (!window->visible) return false;
  }
  return true;
}

bool IsEnabledChain(const Window* window) {
  for (; window != nullptr; window = window->parent) {
    if (!window->enabled) return false;
  }
  return true;
}

LRESULT CallProcedure(Window* window, UINT message, WPARAM wParam, LPARAM lParam) {
  // Held for the call: the procedure may destroy its own window.
  const std::shared_ptr<Window> held = Hold(window->handle);
  const WNDPROC proc = window->proc;
  if (proc == nullptr) return DefWindowProcA(window->handle, message, wParam, lParam);
  return proc(window->handle, message, wParam, lParam);
}

DWORD TickCount() {
  static const Clock::time_point start = Clock::now();
  const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
  return static_cast<DWORD>(elapsed);
}

namespace {

std::shared_ptr<const WindowClass> FindClass(LPCSTR name) {
  if (name == nullptr) return nullptr;
  const auto value = HandleValue(name);
  for (const auto& windowClass : S().classes) {
    if (windowClass->internal) continue;
    if (value <= 0xFFFF) {
      if (windowClass->atom == value) return windowClass;
    } else if (strcasecmp(windowClass->name.c_str(), name) == 0) {
      return windowClass;
    }
  }
  return nullptr;
}

// Removes a destroyed window from every table; its object lives on while a call holds it.
void Unlink(Window* window) {
  State& s = S();
  if (window->parent != nullptr) {
    auto& siblings = window->parent->children;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), window), siblings.end());
    window->parent = nullptr;
  } else {
    s.topLevels.erase(std::remove(s.topLevels.begin(), s.topLevels.end(), window), s.topLevels.end());
    DestroySdlWindow(window);
    if (window->surface != nullptr) {
      pixman_image_unref(window->surface);
      window->surface = nullptr;
    }
  }
  window->children.clear();
  window->alive = false;
  window->update.Clear();
  window->damage.Clear();
  PurgeMessagesFor(window->handle);
  s.windows.erase(HandleValue(window->handle));
}

// WM_DESTROY goes to the window first and then to its children (so while it runs they all
// still exist); WM_NCDESTROY comes back up, children first, and each handle dies right
// after its own. Every step runs even when a procedure throws.
void DestroyTree(HWND hwnd, ExceptionCollector& errors) {
  const std::shared_ptr<Window> window = Hold(hwnd);
  if (!window || window->destroying) return;
  window->destroying = true;
  KillTimersOf(hwnd);
  ForgetDestroyed(window.get());
  errors.Run([&] { CallProcedure(window.get(), WM_DESTROY, 0, 0); });
  std::vector<HWND> children;
  for (Window* child : window->children) children.push_back(child->handle);
  for (auto it = children.rbegin(); it != children.rend(); ++it) DestroyTree(*it, errors);
  errors.Run([&] { CallProcedure(window.get(), WM_NCDESTROY, 0, 0); });
  // A procedure may have made timers or taken the focus again meanwhile.
  KillTimersOf(hwnd);
  ForgetDestroyed(window.get());
  Unlink(window.get());
}

}  // namespace

std::shared_ptr<const WindowClass> RegisterInternalClass(const char* name, WNDPROC proc, HBRUSH background) {
  auto windowClass = std::make_shared<WindowClass>();
  windowClass->name = name;
  windowClass->atom = S().nextAtom++;
  windowClass->proc = proc;
  windowClass->background = background;
  windowClass->internal = true;
  S().classes.push_back(windowClass);
  return windowClass;
}

HWND CreateWindowOfClass(const std::shared_ptr<const WindowClass>& windowClass, DWORD exStyle, LPCSTR name,
                         DWORD style, int x, int y, int width, int height, HWND parentHandle, HMENU menu,
                         HINSTANCE instance, LPVOID param) {
  State& s = S();
  const bool child = (style & WS_CHILD) != 0;
  Window* parent = nullptr;
  if (child) {
    parent = Find(parentHandle);
    if (parent == nullptr || parent->destroying) return nullptr;
  }
  width = std::max(width, 0);
  height = std::max(height, 0);

  auto window = std::make_shared<Window>();
  window->handle = ToHandle<HWND>(s.nextHandle);
  window->windowClass = windowClass;
  window->proc = windowClass->proc;
  window->style = style & ~WS_VISIBLE;
  window->exStyle = exStyle;
  window->menu = menu;
  window->enabled = (style & WS_DISABLED) == 0;
  window->text = name != nullptr ? name : "";
  // 64-bit arithmetic: a far-off position with a large size must not wrap.
  const auto right = std::clamp<std::int64_t>(static_cast<std::int64_t>(x) + width, INT32_MIN, INT32_MAX);
  const auto bottom = std::clamp<std::int64_t>(static_cast<std::int64_t>(y) + height, INT32_MIN, INT32_MAX);
  window->rect = RECT{x, y, static_cast<LONG>(right), static_cast<LONG>(bottom)};

  if (!child) {
    EnsureEndSignals();
    if (!EnsureVideo()) return nullptr;
    if (!ResizeSurface(window.get(), window->Width(), window->Height())) {
      s.error = "Out of memory for a window surface";
      return nullptr;
    }
    if (!CreateSdlWindow(window.get(), window->text.c_str())) return nullptr;
  }
  s.nextHandle += 4;
  s.windows.emplace(HandleValue(window->handle), window);
  if (child) {
    window->parent = parent;
    parent->children.push_back(window.get());
  } else {
    s.topLevels.push_back(window.get());
    s.bySdlId.emplace(window->sdlId, window.get());
  }

  const HWND hwnd = window->handle;
  CREATESTRUCTA create{};
  create.lpCreateParams = param;
  create.hInstance = instance;
  create.hMenu = menu;
  create.hwndParent = parentHandle;
  create.cy = height;
  create.cx = width;
  create.y = y;
  create.x = x;
  create.style = static_cast<LONG>(style);
  create.lpszName = name;
  create.lpszClass = windowClass->name.c_str();
  create.dwExStyle = exStyle;

  // A window whose WM_CREATE fails or throws goes again at once.
  struct Undo {
    HWND hwnd;
    bool armed = true;
    ~Undo() {
      if (!armed) return;
      try {
        DestroyWindow(hwnd);
      } catch (...) {
        // The creation's own exception is the one that leaves.
      }
    }
  } undo{hwnd};
  if (CallProcedure(window.get(), WM_CREATE, 0, reinterpret_cast<LPARAM>(&create)) == -1) return nullptr;
  undo.armed = false;
  if (Find(hwnd) == nullptr) return nullptr;
  CallProcedure(window.get(), WM_SIZE, 0, MakeLParam(window->Width(), window->Height()));
  if (Find(hwnd) == nullptr) return nullptr;
  CallProcedure(window.get(), WM_MOVE, 0, MakeLParam(window->rect.left, window->rect.top));
  if (Find(hwnd) == nullptr) return nullptr;
  if ((style & WS_VISIBLE) != 0) ShowWindow(hwnd, SW_SHOW);
  return Find(hwnd) != nullptr ? hwnd : nullptr;
}

}  // namespace platform::window

using namespace platform::window;

ATOM RegisterClassA(const WNDCLASSA* lpWndClass) {
  if (lpWndClass == nullptr || lpWndClass->lpfnWndProc == nullptr || lpWndClass->lpszClassName == nullptr ||
      HandleValue(lpWndClass->lpszClassName) <= 0xFFFF || lpWndClass->lpszClassName[0] == '\0') {
    return 0;
  }
  if (FindClass(lpWndClass->lpszClassName) != nullptr) return 0;
  State& s = S();
  if (s.nextAtom == 0xFFFF) return 0;
  auto windowClass = std::make_shared<WindowClass>();
  windowClass->name = lpWndClass->lpszClassName;
  windowClass->atom = s.nextAtom++;
  windowClass->proc = lpWndClass->lpfnWndProc;
  windowClass->background = lpWndClass->hbrBackground;
  windowClass->style = lpWndClass->style;
  s.classes.push_back(windowClass);
  return windowClass->atom;
}

HWND CreateWindowExA(DWORD dwExStyle, LPCSTR lpClassName, LPCSTR lpWindowName, DWORD dwStyle, int X, int Y,
                     int nWidth, int nHeight, HWND hWndParent, HMENU hMenu, HINSTANCE hInstance, LPVOID lpParam) {
  const auto windowClass = FindClass(lpClassName);
  if (!windowClass) return nullptr;
  return CreateWindowOfClass(windowClass, dwExStyle, lpWindowName, dwStyle, X, Y, nWidth, nHeight, hWndParent,
                             hMenu, hInstance, lpParam);
}

BOOL DestroyWindow(HWND hWnd) {
  const std::shared_ptr<Window> window = Hold(hWnd);
  if (!window || window->destroying) return FALSE;
  Window* parent = window->parent;
  const HWND parentHandle = parent != nullptr ? parent->handle : nullptr;
  const RECT area = window->rect;
  const bool wasShowing = IsVisibleChain(window.get());
  if (window->TopLevel() && window->sdl != nullptr && window->visible) SDL_HideWindow(window->sdl);
  ExceptionCollector errors;
  DestroyTree(hWnd, errors);
  if (Window* stillParent = Find(parentHandle); stillParent != nullptr && wasShowing) {
    Invalidate(stillParent, Region(area), true);
  }
  errors.Rethrow();
  return TRUE;
}

BOOL IsWindow(HWND hWnd) { return Find(hWnd) != nullptr ? TRUE : FALSE; }

HWND GetParent(HWND hWnd) {
  Window* window = Find(hWnd);
  return window != nullptr && window->parent != nullptr ? window->parent->handle : nullptr;
}

namespace platform {

SDL_Window* SdlWindowOf(HWND hwnd) {
  Window* window = Find(hwnd);
  return window != nullptr && window->TopLevel() ? window->sdl : nullptr;
}

}  // namespace platform

namespace platform::window_testing {

std::size_t SetTimerLimit(std::size_t limit) {
  const std::size_t previous = S().timerLimit;
  S().timerLimit = limit;
  return previous;
}

std::size_t LiveTimerCount() { return S().timers.size(); }

pixman_image_t* ClientSurface(HWND topLevel) {
  Window* window = Find(topLevel);
  return window != nullptr && window->TopLevel() ? window->surface : nullptr;
}

void Reset() {
  State& s = S();
  while (!s.topLevels.empty()) {
    const HWND hwnd = s.topLevels.back()->handle;
    try {
      DestroyWindow(hwnd);
    } catch (...) {
      // A test's procedure threw while going; the window is gone all the same.
    }
    if (!s.topLevels.empty() && s.topLevels.back()->handle == hwnd) s.topLevels.pop_back();
  }
  s.timers.clear();
  s.queue.clear();
  s.quitPending = false;
  s.quitCode = 0;
  s.timerLimit = 10000;
  s.active = nullptr;
  s.focus = nullptr;
  s.modalBoxes.clear();
  (void)TakeEndRequest();
}

}  // namespace platform::window_testing
