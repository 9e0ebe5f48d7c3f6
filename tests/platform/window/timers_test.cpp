// Message timers: ids, replacement, unsigned intervals, the live-timer limit, one pending
// tick at most, and a loop that sleeps while it waits.
#include <sys/resource.h>

#include <thread>

#include "platform/window/window_testing.h"
#include "window_test_support.h"

using namespace window_test;

namespace {

class TimersTest : public WindowTest {};

struct Tick {
  HWND hwnd;
  UINT message;
  UINT_PTR id;
};
std::vector<Tick> ticks;

void RecordTick(HWND hwnd, UINT message, UINT_PTR id, DWORD) { ticks.push_back(Tick{hwnd, message, id}); }

int TicksOf(UINT_PTR id) {
  int count = 0;
  for (const Tick& tick : ticks) count += tick.id == id ? 1 : 0;
  return count;
}

TEST_F(TimersTest, WindowTimersTickThroughTheProcedureOrTheirTimerProc) {
  ticks.clear();
  HWND window = MakeTopLevel("TimerWindow", 0, 0, 50, 50);
  ASSERT_EQ(SetTimer(window, 7, 20, nullptr), 7u);
  ASSERT_EQ(SetTimer(window, 8, 20, RecordTick), 8u);
  ASSERT_TRUE(PumpUntil([&] { return !LogOf(WM_TIMER, window).empty() && TicksOf(8) > 0; }));
  const Logged first = LogOf(WM_TIMER, window).front();
  EXPECT_EQ(first.wParam, 7u);
  EXPECT_EQ(first.lParam, 0);
  EXPECT_EQ(ticks.front().hwnd, window);
  EXPECT_EQ(ticks.front().message, static_cast<UINT>(WM_TIMER));
  // A timer with a procedure does not reach the window's procedure.
  for (const Logged& logged : LogOf(WM_TIMER, window)) EXPECT_EQ(logged.wParam, 7u);
  EXPECT_TRUE(KillTimer(window, 7));
  EXPECT_FALSE(KillTimer(window, 7));
}

TEST_F(TimersTest, ThreadTimersGetIdsOfTheirOwn) {
  ticks.clear();
  const UINT_PTR a = SetTimer(nullptr, 0, 20, RecordTick);
  const UINT_PTR b = SetTimer(nullptr, 12345, 20, RecordTick);  // no such timer: a new id
  ASSERT_NE(a, 0u);
  ASSERT_NE(b, 0u);
  EXPECT_NE(a, b);
  // Setting an existing thread timer again replaces it.
  EXPECT_EQ(SetTimer(nullptr, a, 25, RecordTick), a);
  EXPECT_EQ(platform::window_testing::LiveTimerCount(), 2u);
  ASSERT_TRUE(PumpUntil([&] { return TicksOf(a) > 0 && TicksOf(b) > 0; }));
  EXPECT_EQ(ticks.front().hwnd, nullptr);
  EXPECT_TRUE(KillTimer(nullptr, a));
  EXPECT_TRUE(KillTimer(nullptr, b));
  EXPECT_EQ(platform::window_testing::LiveTimerCount(), 0u);
}

TEST_F(TimersTest, SettingATimerAgainRestartsAWholeInterval) {
  ticks.clear();
  // The restarted timer's interval is four beats; restarted at every beat it never comes
  // due. Once left alone it ticks.
  const UINT_PTR restarted = SetTimer(nullptr, 0, 400, RecordTick);
  bool keepRestarting = true;
  static UINT_PTR restartedId = 0;
  static bool* restarting = nullptr;
  restartedId = restarted;
  restarting = &keepRestarting;
  const UINT_PTR beat = SetTimer(nullptr, 0, 100, [](HWND hwnd, UINT message, UINT_PTR id, DWORD time) {
    RecordTick(hwnd, message, id, time);
    if (*restarting) SetTimer(nullptr, restartedId, 400, RecordTick);
  });
  ASSERT_TRUE(PumpUntil([&] { return TicksOf(beat) >= 6; }));
  EXPECT_EQ(TicksOf(restarted), 0);
  keepRestarting = false;
  ASSERT_TRUE(PumpUntil([&] { return TicksOf(restarted) >= 1; }));
}

struct IntervalCase {
  UINT elapse;
  bool dueSoon;
};

void PrintTo(const IntervalCase& c, std::ostream* os) {
  *os << c.elapse << " ms" << (c.dueSoon ? " (due soon)" : " (far off)");
}

class TimerIntervalTest : public TimersTest, public ::testing::WithParamInterface<IntervalCase> {};

TEST_P(TimerIntervalTest, IntervalsAreUnsignedMilliseconds) {
  ticks.clear();
  const UINT_PTR timer = SetTimer(nullptr, 0, GetParam().elapse, RecordTick);
  ASSERT_NE(timer, 0u);
  const UINT_PTR beat = SetTimer(nullptr, 0, 30, RecordTick);
  ASSERT_TRUE(PumpUntil([&] { return TicksOf(beat) >= 8; }));
  EXPECT_EQ(TicksOf(timer) > 0, GetParam().dueSoon) << "interval " << GetParam().elapse;
}

INSTANTIATE_TEST_SUITE_P(Intervals, TimerIntervalTest,
                         ::testing::Values(IntervalCase{0, true},  // raised to the 10 ms minimum
                                           IntervalCase{1, true}, IntervalCase{20, true},
                                           IntervalCase{0x7FFFFFFFu, false},
                                           IntervalCase{0x80000000u, false},  // negative if signed
                                           IntervalCase{0xFFFFFFFFu - 332u, false},  // 2^32 - 333
                                           IntervalCase{0xFFFFFFFFu, false}));

TEST_F(TimersTest, TheLiveTimerLimitRefusesNewTimers) {
  HWND window = MakeTopLevel("Limit", 0, 0, 50, 50);
  platform::window_testing::SetTimerLimit(3);
  ASSERT_NE(SetTimer(window, 1, 1000, nullptr), 0u);
  ASSERT_NE(SetTimer(window, 2, 1000, nullptr), 0u);
  const UINT_PTR thread = SetTimer(nullptr, 0, 1000, RecordTick);
  ASSERT_NE(thread, 0u);
  EXPECT_EQ(SetTimer(window, 3, 1000, nullptr), 0u);
  EXPECT_EQ(SetTimer(nullptr, 0, 1000, RecordTick), 0u);
  // Replacing a live timer is not a new one.
  EXPECT_EQ(SetTimer(window, 2, 500, nullptr), 2u);
  EXPECT_EQ(SetTimer(nullptr, thread, 500, RecordTick), thread);
  EXPECT_EQ(platform::window_testing::LiveTimerCount(), 3u);
  ASSERT_TRUE(KillTimer(window, 1));
  EXPECT_EQ(SetTimer(window, 3, 1000, nullptr), 3u);
}

TEST_F(TimersTest, ALateLoopFindsOneTickPerTimer) {
  HWND window = MakeTopLevel("OneTick", 0, 0, 50, 50);
  ASSERT_NE(SetTimer(window, 1, 10, nullptr), 0u);
  std::this_thread::sleep_for(std::chrono::milliseconds(120));
  MSG msg{};
  int found = 0;
  while (PeekMessageA(&msg, window, WM_TIMER, WM_TIMER, PM_REMOVE)) ++found;
  EXPECT_EQ(found, 1);
}

TEST_F(TimersTest, DestroyingTheWindowKillsItsTimers) {
  HWND window = MakeTopLevel("TimerGoes", 0, 0, 50, 50);
  ASSERT_NE(SetTimer(window, 1, 10, nullptr), 0u);
  ASSERT_NE(SetTimer(window, 2, 10, RecordTick), 0u);
  DestroyWindow(window);
  EXPECT_EQ(platform::window_testing::LiveTimerCount(), 0u);
  EXPECT_FALSE(KillTimer(window, 1));
}

TEST_F(TimersTest, OnlyLiveTimersProceduresAreCalled) {
  ticks.clear();
  const UINT_PTR timer = SetTimer(nullptr, 0, 1000, RecordTick);
  // A WM_TIMER that names a procedure of no live timer calls nothing.
  MSG forged{nullptr, WM_TIMER, timer + 1, reinterpret_cast<LPARAM>(&RecordTick), 0, {0, 0}};
  DispatchMessageA(&forged);
  KillTimer(nullptr, timer);
  forged.wParam = timer;
  DispatchMessageA(&forged);
  EXPECT_TRUE(ticks.empty());
}

double CpuSeconds(const rusage& usage) {
  return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Waiting for a timer 300 ms away, the loop thread sleeps: a busy or polling loop would
// use the processor throughout or wake hundreds of times. Both bounds are generous.
class IdleWaitTest : public TimersTest, public ::testing::WithParamInterface<bool> {};

TEST_P(IdleWaitTest, TheLoopSleepsUntilTheNextDeadline) {
  if (GetParam()) {
    HWND window = MakeTopLevel("Idle", 0, 0, 50, 50);
    ShowWindow(window, SW_SHOW);
    PumpUntil([] { return false; }, std::chrono::milliseconds(200));  // let X settle
  }
  PumpPending();
  ticks.clear();
  const UINT_PTR timer = SetTimer(nullptr, 0, 300, RecordTick);
  rusage before{};
  rusage after{};
  getrusage(RUSAGE_THREAD, &before);
  MSG msg{};
  while (TicksOf(timer) == 0 && GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
  getrusage(RUSAGE_THREAD, &after);
  EXPECT_LT(CpuSeconds(after) - CpuSeconds(before), 0.1);
  EXPECT_LT(after.ru_nvcsw - before.ru_nvcsw, 30);
}

INSTANTIATE_TEST_SUITE_P(WithAndWithoutWindows, IdleWaitTest, ::testing::Bool());

}  // namespace
