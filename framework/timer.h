#pragma once
// TTimer: a message timer. A system timer runs for it exactly while Enabled is true,
// Interval is not 0 and OnTimer has its code set. Assigning Enabled or Interval a different
// value, or OnTimer any value, stops the system timer and starts it anew with the full
// interval when it should run; assigning Enabled or Interval its current value does nothing.
// Ticks come from the message loop on the GUI thread; an exception from OnTimer goes to the
// application's exception display. Destroying the timer stops it; a tick still queued for a
// stopped or destroyed timer is dropped.
#include <cstdint>

#include "framework/component.h"
#include "framework/method.h"
#include "platform/winuser.h"

class TTimer : public TComponent {
 public:
  explicit TTimer(TComponent* AOwner);
  ~TTimer() override;
  const char* ClassName() const override { return "TTimer"; }

  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool Value);
  // Milliseconds, handed to the system as an unsigned 32-bit number.
  std::uint32_t Interval() const { return FInterval; }
  void SetInterval(std::uint32_t Value);
  TNotifyEvent OnTimer() const { return FOnTimer; }
  void SetOnTimer(TNotifyEvent Value);

  // The system calls a timer goes through; a test can put recorders in their place.
  struct TSystemTimerCalls {
    UINT_PTR (*Set)(HWND, UINT_PTR, UINT, TIMERPROC) = &::SetTimer;
    BOOL (*Kill)(HWND, UINT_PTR) = &::KillTimer;
  };
  static TSystemTimerCalls& SystemTimerCalls();

 protected:
  // Runs OnTimer with this timer as Sender.
  virtual void Timer();

 private:
  friend class TTimerTestAccess;

  // Raises EOutOfResources "Not enough timers available" when the system refuses.
  void UpdateTimer();
  void StopSystemTimer();
  static void TimerProc(HWND Wnd, UINT Msg, UINT_PTR IdEvent, DWORD Time);

  bool FEnabled = true;
  std::uint32_t FInterval = 1000;
  TNotifyEvent FOnTimer;
  UINT_PTR FTimerId = 0;  // the running system timer, 0 when none runs
};
