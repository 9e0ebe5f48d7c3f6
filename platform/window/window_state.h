#pragma once
// Internal to platform/window: the window system's state and the helpers its files share.
// Everything here lives on the GUI thread; only end_signals.cpp has state that a signal
// handler and its watcher thread touch, and that is atomics and file descriptors.
#include <chrono>
#include <cstdint>
#include <deque>
#include <exception>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include <SDL.h>
#include <pixman.h>

#include "platform/window/region.h"
#include "platform/winuser.h"

namespace platform::window {

using Clock = std::chrono::steady_clock;

// Messages that only the window system posts to itself: SDL events whose handling sends
// messages to window procedures. They go through the caller's loop, so that whatever a
// window procedure throws comes out of DispatchMessageA like any other message's.
constexpr UINT kFocusChangedMessage = 0x00010001;     // hwnd: top-level; wParam: TRUE gained
constexpr UINT kGeometryChangedMessage = 0x00010002;  // hwnd: top-level moved or resized by the system

struct WindowClass {
  std::string name;
  ATOM atom = 0;
  WNDPROC proc = nullptr;
  HBRUSH background = nullptr;  // not owned: the registrant's brush
  UINT style = 0;
  bool internal = false;  // the window system's own class, never found by name
};

struct Window {
  Window() = default;
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;
  ~Window();

  HWND handle = nullptr;
  std::shared_ptr<const WindowClass> windowClass;
  WNDPROC proc = nullptr;  // the current procedure (subclassing replaces it)
  LONG_PTR userData = 0;   // GWLP_USERDATA, the caller's
  DWORD style = 0;
  DWORD exStyle = 0;
  HMENU menu = nullptr;
  Window* parent = nullptr;        // null for a top-level window; the parent outlives its children
  std::vector<Window*> children;  // bottom to top; owned by the handle table, unlinked on destruction
  RECT rect{};                    // top-level: screen coordinates; child: the parent's client coordinates
  std::string text;
  bool visible = false;
  bool enabled = true;
  bool alive = true;        // false once removed from the handle table
  bool destroying = false;  // DestroyWindow has begun
  Region update;            // what needs painting, client coordinates
  bool erase = false;       // the update area needs WM_ERASEBKGND first
  unsigned paintSerial = 0; // counts invalidations and BeginPaint calls

  // Top-level windows only.
  SDL_Window* sdl = nullptr;          // owned
  Uint32 sdlId = 0;
  int sdlWidth = 0;                   // the size SDL was last given (at least 1 x 1)
  int sdlHeight = 0;
  pixman_image_t* surface = nullptr;  // the client area, x8r8g8b8; one reference owned, DCs hold theirs
  Region damage;                      // surface area drawn but not yet presented
  SDL_Surface* presentedTo = nullptr; // the SDL framebuffer last presented to; a new one gets everything
  int presentedWidth = 0;
  int presentedHeight = 0;

  int Width() const { return rect.right - rect.left; }
  int Height() const { return rect.bottom - rect.top; }
  bool TopLevel() const { return parent == nullptr; }
};

struct Timer {
  HWND hwnd = nullptr;
  UINT_PTR id = 0;
  TIMERPROC proc = nullptr;
  std::uint32_t interval = 0;  // milliseconds
  Clock::time_point due;
};

struct State {
  // Handles are never reused: each window gets the next value.
  std::uintptr_t nextHandle = 0x10000;
  std::unordered_map<std::uintptr_t, std::shared_ptr<Window>> windows;
  std::vector<Window*> topLevels;  // in creation order
  std::unordered_map<Uint32, Window*> bySdlId;
  std::vector<std::shared_ptr<const WindowClass>> classes;
  ATOM nextAtom = 0xC000;

  std::deque<MSG> queue;  // posted messages and input, in order
  bool quitPending = false;
  int quitCode = 0;

  std::map<std::pair<std::uintptr_t, UINT_PTR>, Timer> timers;
  UINT_PTR nextThreadTimerId = 1;
  std::size_t timerLimit = 10000;

  std::unordered_map<HDC, HWND> dcs;  // device contexts handed out by GetDC and BeginPaint

  HWND active = nullptr;
  HWND focus = nullptr;
  std::vector<HWND> modalBoxes;  // open message boxes, innermost last

  bool videoReady = false;
  int xConnection = -1;  // the X server connection's descriptor, once known; -1 elsewhere
  std::string error;  // why the window system could not start
  POINT cursor{0, 0};
};

State& S();

// Handles.
Window* Find(HWND hwnd);  // a live window, or null
std::shared_ptr<Window> Hold(HWND hwnd);
Window* FindBySdlId(Uint32 id);
Window* TopLevelOf(Window* window);
bool IsVisibleChain(const Window* window);  // the window and all its ancestors are visible
bool IsEnabledChain(const Window* window);  // the window and all its ancestors are enabled
template <typename T>
T ToHandle(std::uintptr_t value) {
  return reinterpret_cast<T>(value);
}
inline std::uintptr_t HandleValue(const void* handle) { return reinterpret_cast<std::uintptr_t>(handle); }
inline LPARAM MakeLParam(int low, int high) {
  return static_cast<LPARAM>(static_cast<DWORD>(static_cast<WORD>(low)) |
                             (static_cast<DWORD>(static_cast<WORD>(high)) << 16));
}

// Classes and windows of the window system's own (window_tree.cpp).
std::shared_ptr<const WindowClass> RegisterInternalClass(const char* name, WNDPROC proc, HBRUSH background);
HWND CreateWindowOfClass(const std::shared_ptr<const WindowClass>& windowClass, DWORD exStyle, LPCSTR name,
                         DWORD style, int x, int y, int width, int height, HWND parent, HMENU menu,
                         HINSTANCE instance, LPVOID param);
// Moves and sizes a window; `fromSystem` when SDL reports what already happened (window_geometry.cpp).
void ApplyGeometry(Window* window, const RECT& rect, bool fromSystem);

// Calls the window's procedure (DefWindowProcA when it has none). Exceptions pass through.
LRESULT CallProcedure(Window* window, UINT message, WPARAM wParam, LPARAM lParam);

// Runs steps that must all happen even when one throws; the first exception is kept.
class ExceptionCollector {
 public:
  template <typename F>
  void Run(F&& step) {
    try {
      step();
    } catch (...) {
      if (!first_) first_ = std::current_exception();
    }
  }
  void Rethrow() {
    if (first_) std::rethrow_exception(first_);
  }

 private:
  std::exception_ptr first_;
};

// Time.
DWORD TickCount();

// Video (video.cpp).
bool EnsureVideo();
bool CreateSdlWindow(Window* window, const char* title);
void DestroySdlWindow(Window* window);
bool HaveSdlWindows();
int XConnectionOf(SDL_Window* window);  // x11_connection.cpp; -1 when not on X11

// Painting (painting.cpp).
POINT SurfaceOffset(const Window* window);  // the client origin in the top-level surface
Region VisibleRegion(const Window* window);  // surface coordinates
void Invalidate(Window* window, const Region& clientArea, bool erase);
void InvalidateAll(Window* window, bool erase);                 // the window and its descendants
void InvalidateSurfaceArea(Window* top, const Region& area, bool erase);  // every window over the area
bool ResizeSurface(Window* top, int width, int height);        // keeps what fits; false when out of memory
Window* NextWindowToPaint(HWND filter);
void Present(Window* top);
void PresentAll();
// After WM_PAINT: a procedure that neither painted nor invalidated again is taken as done,
// so that the loop does not generate WM_PAINT for it endlessly.
void FinishPaint(Window* window, unsigned serialBefore);

// Activation and focus (activation.cpp).
// `raise` also asks the window manager (or X) to give the window the keyboard.
void ActivateTopLevel(Window* window, bool raise, bool takeFocus = true);
void Deactivate();  // the program loses activation
void SetFocusTo(Window* window);
void ForgetDestroyed(Window* window);  // silently drops activation and focus held by a window that goes
void OnSystemFocus(HWND hwnd, bool gained);

// Timers (timers.cpp).
void KillTimersOf(HWND hwnd);
Timer* DueTimer(Clock::time_point now, HWND filter);
bool TimerAlive(HWND hwnd, UINT_PTR id, TIMERPROC proc);

// The message queue (message_queue.cpp).
void Enqueue(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
void PurgeMessagesFor(HWND hwnd);

// SDL events (sdl_events.cpp).
void TranslateSdlEvent(const SDL_Event& event);
void HandleSystemMessage(const MSG& msg);

// End signals (end_signals.cpp).
void EnsureEndSignals();
bool TakeEndRequest();
int WakeDescriptor();  // readable when an end signal came; -1 when none are installed
void DrainWake();
void EnableSdlWake(Uint32 eventType);

}  // namespace platform::window
