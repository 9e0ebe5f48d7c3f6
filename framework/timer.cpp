#include "framework/timer.h"

#include <unordered_map>

#include "framework/application.h"
#include "framework/controlcanvas.h"
#include "runtime/exception.h"

namespace {

// Running system timers and their timers. A tick whose id is not here belongs to a timer
// that was stopped or destroyed since, and is dropped.
std::unordered_map<UINT_PTR, TTimer*>& RunningTimers() {
  static std::unordered_map<UINT_PTR, TTimer*> timers;
  return timers;
}

}  // namespace

TTimer::TSystemTimerCalls& TTimer::SystemTimerCalls() {
  static TSystemTimerCalls calls;
  return calls;
}

TTimer::TTimer(TComponent* AOwner) : TComponent(AOwner) {}

TTimer::~TTimer() {
  FEnabled = false;
  StopSystemTimer();
}

void TTimer::SetEnabled(bool Value) {
  if (Value == FEnabled) return;
  FEnabled = Value;
  UpdateTimer();
}

void TTimer::SetInterval(std::uint32_t Value) {
  if (Value == FInterval) return;
  FInterval = Value;
  UpdateTimer();
}

void TTimer::SetOnTimer(TNotifyEvent Value) {
  FOnTimer = Value;
  UpdateTimer();
}

void TTimer::StopSystemTimer() {
  if (FTimerId == 0) return;
  RunningTimers().erase(FTimerId);
  SystemTimerCalls().Kill(nullptr, FTimerId);
  FTimerId = 0;
}

void TTimer::UpdateTimer() {
  StopSystemTimer();
  if (!FEnabled || FInterval == 0 || !FOnTimer.Assigned()) return;
  // A fresh system timer, so the next tick comes one whole interval from now.
  const UINT_PTR id = SystemTimerCalls().Set(nullptr, 0, static_cast<UINT>(FInterval), &TTimer::TimerProc);
  if (id == 0) throw EOutOfResources("Not enough timers available");
  FTimerId = id;
  RunningTimers()[id] = this;
}

void TTimer::Timer() { FOnTimer(this); }

void TTimer::TimerProc(HWND /*Wnd*/, UINT /*Msg*/, UINT_PTR IdEvent, DWORD /*Time*/) {
  auto& timers = RunningTimers();
  auto it = timers.find(IdEvent);
  if (it == timers.end()) return;
  TTimer* timer = it->second;
  TControlCanvas::BeginDispatch();
  try {
    // The handler may stop, restart or destroy the timer; nothing of it is touched afterwards.
    timer->Timer();
  } catch (...) {
    if (Application != nullptr) Application->HandleException(timer, std::current_exception());
  }
  TControlCanvas::EndDispatch();
}
