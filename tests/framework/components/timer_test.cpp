// The message timer's rules. The first group records the system calls a timer makes (so each
// rule is checked exactly: which call, which interval, when nothing at all happens); the
// second runs real system timers through the message loop: ticks, the sender, a tick of a
// destroyed timer, an exception from the handler, and the refusal at the live-timer limit.
#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "framework/application.h"
#include "framework/timer.h"
#include "runtime/exception.h"
#include "tests/framework/components/components_test_support.h"

namespace {

using namespace components_test;

// What a timer asked of the system, in order: "set 1000", "kill".
std::vector<std::string> Calls;
bool RefuseNext = false;
UINT_PTR NextId = 1;

UINT_PTR RecordSet(HWND, UINT_PTR, UINT Elapse, TIMERPROC Proc) {
  if (Proc == nullptr) return 0;
  if (RefuseNext) {
    Calls.push_back("refused " + std::to_string(Elapse));
    return 0;
  }
  Calls.push_back("set " + std::to_string(Elapse));
  return NextId++;
}

BOOL RecordKill(HWND, UINT_PTR) {
  Calls.push_back("kill");
  return TRUE;
}

class TTarget : public TObject {
 public:
  void Tick(TObject* Sender) {
    ++Ticks;
    LastSender = Sender;
  }
  int Ticks = 0;
  TObject* LastSender = nullptr;
};

class TTickCounter : public TObject {
 public:
  void Tick(TObject* Sender) {
    ++Ticks;
    LastSender = Sender;
    if (Action) Action();
  }
  void Failed(TObject* Sender, std::exception_ptr E) {
    FailedSender = Sender;
    Failure = TApplication::ExceptionMessage(E);
  }
  int Ticks = 0;
  TObject* LastSender = nullptr;
  std::function<void()> Action;
  TObject* FailedSender = nullptr;
  std::string Failure;
};

class RecordedTimerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Saved = TTimer::SystemTimerCalls();
    TTimer::SystemTimerCalls().Set = &RecordSet;
    TTimer::SystemTimerCalls().Kill = &RecordKill;
    Calls.clear();
    RefuseNext = false;
  }
  void TearDown() override { TTimer::SystemTimerCalls() = Saved; }

  TNotifyEvent Handler() { return TNotifyEvent::Of<&TTarget::Tick>(&Target); }

  TTimer::TSystemTimerCalls Saved;
  TTarget Target;
};

TEST_F(RecordedTimerTest, NewTimerIsEnabledWithInterval1000NoHandlerAndItsOwner) {
  TComponent owner(nullptr);
  auto* timer = new TTimer(&owner);
  EXPECT_TRUE(timer->Enabled());
  EXPECT_EQ(timer->Interval(), 1000u);
  EXPECT_FALSE(timer->OnTimer().Assigned());
  EXPECT_EQ(timer->Owner(), &owner);
  EXPECT_EQ(owner.ComponentCount(), 1);
  // No handler, no system timer.
  EXPECT_TRUE(Calls.empty());
}

// One assignment after a starting state, and the system calls it must make.
struct RuleRow {
  const char* Name;
  bool Enabled;
  std::uint32_t Interval;
  bool WithHandler;
  std::function<void(TTimer&, TNotifyEvent)> Assign;
  std::vector<std::string> Expected;
};

class TimerRuleTest : public RecordedTimerTest, public ::testing::WithParamInterface<RuleRow> {};

TEST_P(TimerRuleTest, MakesExactlyTheseSystemCalls) {
  const RuleRow& row = GetParam();
  TTimer timer(nullptr);
  timer.SetEnabled(row.Enabled);
  timer.SetInterval(row.Interval);
  if (row.WithHandler) timer.SetOnTimer(Handler());
  Calls.clear();
  row.Assign(timer, Handler());
  EXPECT_EQ(Calls, row.Expected);
}

const TNotifyEvent NoHandler{};

INSTANTIATE_TEST_SUITE_P(
    Rows, TimerRuleTest,
    ::testing::Values(
        // Running: enabled, interval set, handler set.
        RuleRow{"SameEnabledDoesNothing", true, 500, true, [](TTimer& t, TNotifyEvent) { t.SetEnabled(true); }, {}},
        RuleRow{"SameIntervalDoesNothing", true, 500, true, [](TTimer& t, TNotifyEvent) { t.SetInterval(500); }, {}},
        RuleRow{"NewIntervalRestartsWithIt", true, 500, true, [](TTimer& t, TNotifyEvent) { t.SetInterval(333); },
                {"kill", "set 333"}},
        RuleRow{"SameHandlerStillRestarts", true, 500, true, [](TTimer& t, TNotifyEvent h) { t.SetOnTimer(h); },
                {"kill", "set 500"}},
        RuleRow{"DisablingStops", true, 500, true, [](TTimer& t, TNotifyEvent) { t.SetEnabled(false); }, {"kill"}},
        RuleRow{"IntervalZeroHalts", true, 500, true, [](TTimer& t, TNotifyEvent) { t.SetInterval(0); }, {"kill"}},
        RuleRow{"NoHandlerStops", true, 500, true, [](TTimer& t, TNotifyEvent) { t.SetOnTimer(NoHandler); },
                {"kill"}},
        // The interval is handed over as the unsigned 32 bits stored: 1000 div -3 is 2^32 - 333.
        RuleRow{"UnsignedInterval", true, 500, true,
                [](TTimer& t, TNotifyEvent) { t.SetInterval(static_cast<std::uint32_t>(-333)); },
                {"kill", "set 4294966963"}},
        RuleRow{"LargestInterval", true, 500, true, [](TTimer& t, TNotifyEvent) { t.SetInterval(0xFFFFFFFFu); },
                {"kill", "set 4294967295"}},
        // Not running: starts only when all three hold.
        RuleRow{"EnablingStarts", false, 66, true, [](TTimer& t, TNotifyEvent) { t.SetEnabled(true); },
                {"set 66"}},
        RuleRow{"HandlerStarts", true, 500, false, [](TTimer& t, TNotifyEvent h) { t.SetOnTimer(h); }, {"set 500"}},
        RuleRow{"IntervalStartsFromZero", true, 0, true, [](TTimer& t, TNotifyEvent) { t.SetInterval(1); },
                {"set 1"}},
        RuleRow{"DisabledIntervalChangeStartsNothing", false, 66, true,
                [](TTimer& t, TNotifyEvent) { t.SetInterval(500); }, {}},
        RuleRow{"DisabledHandlerStartsNothing", false, 66, false, [](TTimer& t, TNotifyEvent h) { t.SetOnTimer(h); },
                {}},
        RuleRow{"ZeroIntervalEnablingStartsNothing", false, 0, true,
                [](TTimer& t, TNotifyEvent) { t.SetEnabled(true); }, {}},
        RuleRow{"WithoutHandlerEnablingStartsNothing", false, 500, false,
                [](TTimer& t, TNotifyEvent) { t.SetEnabled(true); }, {}}),
    [](const ::testing::TestParamInfo<RuleRow>& info) { return std::string(info.param.Name); });

TEST_F(RecordedTimerTest, TheSequenceOfAControlsConstructorStartsNoSystemTimer) {
  TTimer timer(nullptr);
  timer.SetEnabled(false);
  timer.SetInterval(66);
  timer.SetOnTimer(Handler());
  EXPECT_TRUE(Calls.empty());
}

TEST_F(RecordedTimerTest, RefusalRaisesWithTheValueStoredAndNoTimerRunning) {
  TTimer timer(nullptr);
  timer.SetEnabled(false);
  timer.SetOnTimer(Handler());
  RefuseNext = true;
  try {
    timer.SetEnabled(true);
    FAIL() << "no exception";
  } catch (const EOutOfResources& e) {
    EXPECT_EQ(e.Message(), "Not enough timers available");
  }
  EXPECT_TRUE(timer.Enabled());
  EXPECT_EQ(Calls, (std::vector<std::string>{"refused 1000"}));

  // The stored value stands: the same value again does nothing, another one tries anew.
  Calls.clear();
  timer.SetEnabled(true);
  EXPECT_TRUE(Calls.empty());
  EXPECT_THROW(timer.SetInterval(250), EOutOfResources);
  EXPECT_EQ(timer.Interval(), 250u);
  RefuseNext = false;
  timer.SetInterval(300);
  // Nothing ran, so nothing is killed before the new start.
  EXPECT_EQ(Calls, (std::vector<std::string>{"refused 250", "set 300"}));
}

TEST_F(RecordedTimerTest, DestroyingStopsTheTimerAndTakesItOutOfItsOwner) {
  TComponent owner(nullptr);
  auto* timer = new TTimer(&owner);
  timer->SetOnTimer(Handler());
  Calls.clear();
  delete timer;
  EXPECT_EQ(Calls, (std::vector<std::string>{"kill"}));
  EXPECT_EQ(owner.ComponentCount(), 0);
}

// Real system timers, dispatched by the application's loop.
class LiveTimerTest : public ::testing::Test {
 protected:
  void SetUp() override { RequireDisplay(); }
  void TearDown() override {
    Application->SetOnException(TExceptionEvent{});
    ResetWindowSystem();
  }
};


TEST_F(LiveTimerTest, TicksCallTheHandlerWithTheTimerAsSender) {
  TTickCounter counter;
  TTimer timer(nullptr);
  timer.SetInterval(10);
  timer.SetOnTimer(TNotifyEvent::Of<&TTickCounter::Tick>(&counter));
  EXPECT_TRUE(RunLoopUntil([&] { return counter.Ticks >= 3; }, 5s));
  EXPECT_EQ(counter.LastSender, &timer);
}

TEST_F(LiveTimerTest, IntervalZeroAndDisabledTimersDoNotTick) {
  TTickCounter counter;
  TTimer halted(nullptr);
  halted.SetInterval(0);
  halted.SetOnTimer(TNotifyEvent::Of<&TTickCounter::Tick>(&counter));
  TTimer disabled(nullptr);
  disabled.SetEnabled(false);
  disabled.SetInterval(5);
  disabled.SetOnTimer(TNotifyEvent::Of<&TTickCounter::Tick>(&counter));
  EXPECT_EQ(platform::window_testing::LiveTimerCount(), 0u);
  RunLoopFor(200ms);
  EXPECT_EQ(counter.Ticks, 0);
}

TEST_F(LiveTimerTest, ATimerDestroyedByItsOwnHandlerTicksNoMore) {
  TTickCounter counter;
  TTickCounter other;
  auto* timer = new TTimer(nullptr);
  auto* keeper = new TTimer(nullptr);
  timer->SetInterval(5);
  keeper->SetInterval(5);
  counter.Action = [&] {
    delete timer;
    timer = nullptr;
  };
  timer->SetOnTimer(TNotifyEvent::Of<&TTickCounter::Tick>(&counter));
  keeper->SetOnTimer(TNotifyEvent::Of<&TTickCounter::Tick>(&other));
  // The other timer goes on ticking long after the first one's single tick.
  EXPECT_TRUE(RunLoopUntil([&] { return other.Ticks >= 10; }, 5s));
  EXPECT_EQ(counter.Ticks, 1);
  EXPECT_EQ(timer, nullptr);
  delete keeper;
  EXPECT_EQ(platform::window_testing::LiveTimerCount(), 0u);
}

}  // namespace

// Reaches the timer's system timer id and its tick procedure, as a queued tick would.
class TTimerTestAccess {
 public:
  static UINT_PTR Id(const TTimer& Timer) { return Timer.FTimerId; }
  static void Tick(UINT_PTR Id) { TTimer::TimerProc(nullptr, WM_TIMER, Id, 0); }
};

namespace {

TEST_F(RecordedTimerTest, ATickOfAStoppedRestartedOrDestroyedTimerIsDropped) {
  TTickCounter counter;
  auto* timer = new TTimer(nullptr);
  timer->SetOnTimer(TNotifyEvent::Of<&TTickCounter::Tick>(&counter));
  const UINT_PTR first = TTimerTestAccess::Id(*timer);
  ASSERT_NE(first, 0u);
  TTimerTestAccess::Tick(first);
  EXPECT_EQ(counter.Ticks, 1);
  timer->SetInterval(20);  // a restart: the old id's ticks are stale
  const UINT_PTR second = TTimerTestAccess::Id(*timer);
  TTimerTestAccess::Tick(first);
  EXPECT_EQ(counter.Ticks, 1);
  TTimerTestAccess::Tick(second);
  EXPECT_EQ(counter.Ticks, 2);
  timer->SetEnabled(false);
  TTimerTestAccess::Tick(second);
  EXPECT_EQ(counter.Ticks, 2);
  timer->SetEnabled(true);
  const UINT_PTR third = TTimerTestAccess::Id(*timer);
  delete timer;
  TTimerTestAccess::Tick(third);
  EXPECT_EQ(counter.Ticks, 2);
}

TEST_F(LiveTimerTest, AnExceptionFromTheHandlerGoesToTheExceptionDisplayAndTheLoopGoesOn) {
  TTickCounter counter;
  TTickCounter display;
  Application->SetOnException(TExceptionEvent::Of<&TTickCounter::Failed>(&display));
  TTimer timer(nullptr);
  timer.SetInterval(5);
  counter.Action = [&] {
    if (counter.Ticks == 1) throw EDivByZero("Division by zero");
  };
  timer.SetOnTimer(TNotifyEvent::Of<&TTickCounter::Tick>(&counter));
  EXPECT_TRUE(RunLoopUntil([&] { return counter.Ticks >= 3; }, 5s));
  EXPECT_EQ(display.Failure, "Division by zero");
  EXPECT_EQ(display.FailedSender, &timer);
}

TEST_F(LiveTimerTest, RefusalAtTheLiveTimerLimitRaisesAndStoresTheValue) {
  TTickCounter counter;
  TTimer first(nullptr);
  first.SetOnTimer(TNotifyEvent::Of<&TTickCounter::Tick>(&counter));
  const std::size_t previous = platform::window_testing::SetTimerLimit(platform::window_testing::LiveTimerCount());
  TTimer second(nullptr);
  second.SetEnabled(false);
  second.SetOnTimer(TNotifyEvent::Of<&TTickCounter::Tick>(&counter));
  const std::size_t live = platform::window_testing::LiveTimerCount();
  try {
    second.SetEnabled(true);
    ADD_FAILURE() << "no exception";
  } catch (const EOutOfResources& e) {
    EXPECT_EQ(e.Message(), "Not enough timers available");
  }
  EXPECT_TRUE(second.Enabled());
  EXPECT_EQ(platform::window_testing::LiveTimerCount(), live);
  // A restart of the running one frees its slot first, so it is not refused.
  EXPECT_NO_THROW(first.SetInterval(40));
  platform::window_testing::SetTimerLimit(previous);
  EXPECT_NO_THROW(second.SetInterval(50));
  EXPECT_EQ(platform::window_testing::LiveTimerCount(), live + 1);
}

}  // namespace
