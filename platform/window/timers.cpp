// Message timers. A timer is due at a point in time; the loop makes its WM_TIMER when it
// finds it due, so a timer never has more than one tick waiting, however late the loop is.
#include <algorithm>

#include "platform/window/window_state.h"

namespace platform::window {

namespace {

// Intervals below this are raised to it, so that no timer can keep the loop busy.
constexpr std::uint32_t kMinimumInterval = 10;

using Key = std::pair<std::uintptr_t, UINT_PTR>;

Key KeyOf(HWND hwnd, UINT_PTR id) { return Key{HandleValue(hwnd), id}; }

}  // namespace

void KillTimersOf(HWND hwnd) {
  auto& timers = S().timers;
  const std::uintptr_t value = HandleValue(hwnd);
  for (auto it = timers.lower_bound(Key{value, 0}); it != timers.end() && it->first.first == value;) {
    it = timers.erase(it);
  }
}

Timer* DueTimer(Clock::time_point now, HWND filter) {
  Timer* earliest = nullptr;
  for (auto& [key, timer] : S().timers) {
    if (timer.due > now) continue;
    if (filter != nullptr && timer.hwnd != filter) continue;
    if (earliest == nullptr || timer.due < earliest->due) earliest = &timer;
  }
  return earliest;
}

bool TimerAlive(HWND hwnd, UINT_PTR id, TIMERPROC proc) {
  const auto found = S().timers.find(KeyOf(hwnd, id));
  return found != S().timers.end() && found->second.proc == proc;
}

}  // namespace platform::window

using namespace platform::window;

UINT_PTR SetTimer(HWND hWnd, UINT_PTR nIDEvent, UINT uElapse, TIMERPROC lpTimerFunc) {
  State& s = S();
  if (hWnd != nullptr) {
    Window* window = Find(hWnd);
    if (window == nullptr || window->destroying) return 0;
  }
  UINT_PTR id = nIDEvent;
  auto existing = s.timers.find(KeyOf(hWnd, id));
  if (hWnd == nullptr && existing == s.timers.end()) {
    // A new timer without a window gets an id of its own; ids are not reused.
    do {
      id = s.nextThreadTimerId++;
    } while (id == 0 || s.timers.count(KeyOf(nullptr, id)) != 0);
    existing = s.timers.end();
  }
  if (existing == s.timers.end() && s.timers.size() >= s.timerLimit) return 0;

  // The interval is an unsigned 32-bit count of milliseconds: 0xFFFFFEB3 is 49.7 days.
  const std::uint32_t interval = std::max<std::uint32_t>(uElapse, kMinimumInterval);
  Timer& timer = s.timers[KeyOf(hWnd, id)];
  timer.hwnd = hWnd;
  timer.id = id;
  timer.proc = lpTimerFunc;
  timer.interval = interval;
  // Setting a timer again replaces it: the next tick is a whole interval away.
  timer.due = Clock::now() + std::chrono::milliseconds(interval);
  if (hWnd == nullptr) return id;
  return id != 0 ? id : 1;
}

BOOL KillTimer(HWND hWnd, UINT_PTR uIDEvent) {
  return S().timers.erase(KeyOf(hWnd, uIDEvent)) != 0 ? TRUE : FALSE;
}
