// The message queue and the loop's primitives. A message comes, in this order, from: the
// posted messages and input (one queue, in order), a pending quit, a window that needs
// painting, a due timer. With none there, the loop waits for the next timer deadline, for
// an SDL event or for an end signal, and does nothing in between.
#include <poll.h>

#include <algorithm>
#include <climits>

#include "platform/window/window_state.h"

namespace platform::window {

namespace {

// Like the system's own queue: posting fails beyond this many waiting messages.
constexpr std::size_t kPostedLimit = 10000;

bool InRange(UINT message, UINT low, UINT high) {
  if (low == 0 && high == 0) return true;
  return message >= low && message <= high;
}

MSG Make(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return MSG{hwnd, message, wParam, lParam, TickCount(), S().cursor};
}

void PumpSdlEvents() {
  if (!S().videoReady) return;
  SDL_Event event;
  while (SDL_PollEvent(&event) != 0) TranslateSdlEvent(event);
}

std::optional<MSG> NextMessage(HWND filter, UINT low, UINT high, bool remove) {
  State& s = S();
  if (TakeEndRequest()) PostQuitMessage(0);
  PumpSdlEvents();
  for (auto it = s.queue.begin(); it != s.queue.end();) {
    if (it->hwnd != nullptr && Find(it->hwnd) == nullptr) {
      it = s.queue.erase(it);  // its window went meanwhile
      continue;
    }
    if ((filter == nullptr || it->hwnd == filter) && InRange(it->message, low, high)) {
      const MSG msg = *it;
      if (remove) s.queue.erase(it);
      return msg;
    }
    ++it;
  }
  // A quit is never held back by a filter.
  if (s.quitPending) {
    if (remove) s.quitPending = false;
    return Make(nullptr, WM_QUIT, static_cast<WPARAM>(s.quitCode), 0);
  }
  if (InRange(WM_PAINT, low, high)) {
    if (Window* window = NextWindowToPaint(filter)) return Make(window->handle, WM_PAINT, 0, 0);
  }
  if (InRange(WM_TIMER, low, high)) {
    const Clock::time_point now = Clock::now();
    if (Timer* timer = DueTimer(now, filter)) {
      const MSG msg = Make(timer->hwnd, WM_TIMER, timer->id, reinterpret_cast<LPARAM>(timer->proc));
      if (remove) {
        // Missed ticks are not made up for: the next one is an interval after this one,
        // or after now when the loop came that late.
        const auto interval = std::chrono::milliseconds(timer->interval);
        timer->due += interval;
        if (timer->due <= now) timer->due = now + interval;
      }
      return msg;
    }
  }
  return std::nullopt;
}

std::optional<Clock::time_point> Deadline(HWND filter, UINT low, UINT high) {
  if (!InRange(WM_TIMER, low, high)) return std::nullopt;
  std::optional<Clock::time_point> next;
  for (const auto& [key, timer] : S().timers) {
    if (filter != nullptr && timer.hwnd != filter) continue;
    if (!next || timer.due < *next) next = timer.due;
  }
  return next;
}

void Wait(std::optional<Clock::time_point> deadline) {
  // What was drawn reaches the screen before the loop sleeps.
  PresentAll();
  int timeout = -1;
  if (deadline) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(*deadline - Clock::now()).count();
    if (left <= 0) return;
    timeout = static_cast<int>(std::min<std::int64_t>(left, INT_MAX));
  }
  State& s = S();
  pollfd waitOn[2] = {{WakeDescriptor(), POLLIN, 0}, {s.xConnection, POLLIN, 0}};
  nfds_t count = waitOn[0].fd >= 0 ? 1 : 0;
  if (s.videoReady && s.xConnection >= 0) {
    // Presenting may have read events off the connection: they are handled before sleeping.
    // Pumping also flushes what we asked of the server, so its answers can wake us.
    SDL_PumpEvents();
    if (SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0) return;
    if (count == 0) waitOn[0] = waitOn[1];
    ++count;
  } else if (s.videoReady && HaveSdlWindows()) {
    // Not on X11: SDL waits, and an end signal wakes it with an SDL event.
    SDL_Event event;
    if (SDL_WaitEventTimeout(&event, timeout) != 0) TranslateSdlEvent(event);
    return;
  }
  // Without SDL windows SDL could only wait by polling; this waits on the descriptors.
  if (poll(waitOn, count, timeout) > 0 && waitOn[0].fd == WakeDescriptor() && (waitOn[0].revents & POLLIN)) {
    DrainWake();
  }
}

}  // namespace

void Enqueue(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  S().queue.push_back(Make(hwnd, message, wParam, lParam));
}

void PurgeMessagesFor(HWND hwnd) {
  auto& queue = S().queue;
  queue.erase(std::remove_if(queue.begin(), queue.end(), [hwnd](const MSG& msg) { return msg.hwnd == hwnd; }),
              queue.end());
}

}  // namespace platform::window

using namespace platform::window;

BOOL PostMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  if (hWnd != nullptr && Find(hWnd) == nullptr) return FALSE;
  if (S().queue.size() >= kPostedLimit) return FALSE;
  Enqueue(hWnd, Msg, wParam, lParam);
  return TRUE;
}

void PostQuitMessage(int nExitCode) {
  S().quitPending = true;
  S().quitCode = nExitCode;
}

BOOL GetMessageA(MSG* lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax) {
  if (lpMsg == nullptr || (hWnd != nullptr && Find(hWnd) == nullptr)) return -1;
  EnsureEndSignals();
  for (;;) {
    if (const auto msg = NextMessage(hWnd, wMsgFilterMin, wMsgFilterMax, true)) {
      *lpMsg = *msg;
      return msg->message == WM_QUIT ? FALSE : TRUE;
    }
    // The window waited for went while translating events.
    if (hWnd != nullptr && Find(hWnd) == nullptr) return -1;
    Wait(Deadline(hWnd, wMsgFilterMin, wMsgFilterMax));
  }
}

BOOL PeekMessageA(MSG* lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax, UINT wRemoveMsg) {
  if (lpMsg == nullptr) return FALSE;
  EnsureEndSignals();
  const auto msg = NextMessage(hWnd, wMsgFilterMin, wMsgFilterMax, (wRemoveMsg & PM_REMOVE) != 0);
  if (!msg) return FALSE;
  *lpMsg = *msg;
  return TRUE;
}

BOOL TranslateMessage(const MSG* lpMsg) {
  // No character messages are made; the result says whether it was a key message.
  if (lpMsg == nullptr) return FALSE;
  switch (lpMsg->message) {
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
      return TRUE;
    default:
      return FALSE;
  }
}

LRESULT DispatchMessageA(const MSG* lpMsg) {
  if (lpMsg == nullptr) return 0;
  // What the message drew is presented, also when its procedure throws.
  struct PresentAfter {
    ~PresentAfter() {
      try {
        PresentAll();
      } catch (...) {
        // Out of memory while presenting: the areas stay damaged and go out next time.
      }
    }
  } present;
  if (lpMsg->message == kFocusChangedMessage || lpMsg->message == kGeometryChangedMessage) {
    HandleSystemMessage(*lpMsg);
    return 0;
  }
  if (lpMsg->message == WM_TIMER && lpMsg->lParam != 0) {
    // Only a procedure of a live timer is called, never an address that came in a message.
    const auto proc = reinterpret_cast<TIMERPROC>(lpMsg->lParam);
    if (!TimerAlive(lpMsg->hwnd, lpMsg->wParam, proc)) return 0;
    proc(lpMsg->hwnd, WM_TIMER, lpMsg->wParam, TickCount());
    return 0;
  }
  const std::shared_ptr<Window> window = Hold(lpMsg->hwnd);
  if (!window) return 0;
  if (lpMsg->message == WM_PAINT) {
    // Also when the procedure throws: a failing paint must not come back at once, forever.
    struct Finish {
      Window* window;
      unsigned serial;
      ~Finish() { FinishPaint(window, serial); }
    } finish{window.get(), window->paintSerial};
    return CallProcedure(window.get(), WM_PAINT, lpMsg->wParam, lpMsg->lParam);
  }
  return CallProcedure(window.get(), lpMsg->message, lpMsg->wParam, lpMsg->lParam);
}
