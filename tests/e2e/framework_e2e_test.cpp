// The framework on a real X server, driven as a person would: the demo form's place and size
// on screen, its background and child window, the exception display (standard error and the
// message box, once), and the ways the program ends.
#include <signal.h>

#include <gtest/gtest.h>

#include "framework/graphics.h"
#include "tests/e2e/harness.h"

namespace {

using namespace e2e;

constexpr const char* kTitle = "e2e_formdemo";  // the application title: the executable's name
constexpr const char* kFormCaption = "FormDemo";

std::uint32_t ScreenRgb(TColor Color) {
  const COLORREF c = ColorToRGB(Color);
  return (static_cast<std::uint32_t>(GetRValue(c)) << 16) | (static_cast<std::uint32_t>(GetGValue(c)) << 8) |
         GetBValue(c);
}

class FormDemoTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { Server = new XServer(WithWindowManager); }
  static void TearDownTestSuite() {
    delete Server;
    Server = nullptr;
  }

  std::unique_ptr<Program> Start(std::vector<std::string> Args) {
    Args.insert(Args.begin(), FORMDEMO_PATH);
    return RunProgram(Server, std::move(Args));
  }

  // The form's window once it is on screen.
  unsigned long WaitForForm() {
    std::optional<unsigned long> window;
    EXPECT_TRUE(WaitFor([&] { return (window = FindWindow(*Server, kFormCaption)).has_value(); }, 15s))
        << "the form never showed";
    return window.value_or(0);
  }

  std::optional<unsigned long> WaitForBox() {
    std::optional<unsigned long> box;
    WaitFor([&] { return (box = FindWindow(*Server, kTitle)).has_value(); }, 15s);
    return box;
  }

  static XServer* Server;
  static inline bool WithWindowManager = false;
};

XServer* FormDemoTest::Server = nullptr;

// The same program under a window manager (openbox), which handles Alt+F4 itself.
class ManagedFormDemoTest : public FormDemoTest {
 protected:
  static void SetUpTestSuite() {
    WithWindowManager = true;
    FormDemoTest::SetUpTestSuite();
    WithWindowManager = false;
  }
};

TEST_F(FormDemoTest, ShowsTheFormAtItsPositionAndClientSizeWithBackgroundAndChildWindow) {
  auto program = Start({"100", "80", "300", "200"});
  ASSERT_NE(WaitForForm(), 0u);
  std::optional<Geometry> geometry;
  EXPECT_TRUE(WaitFor([&] { return (geometry = WindowGeometry(*Server, kFormCaption)) == Geometry{100, 80, 300, 200}; },
                      10s));
  ASSERT_TRUE(geometry.has_value());
  EXPECT_EQ(*geometry, (Geometry{100, 80, 300, 200}));

  // The background is the button face; the child window at (10, 10, 50 x 30) is red.
  Image screen;
  const bool painted = WaitFor(
      [&] {
        screen = Screenshot(*Server);
        return screen.Pixel(100 + 200, 80 + 150) == ScreenRgb(clBtnFace) &&
               screen.Pixel(100 + 10 + 25, 80 + 10 + 15) == ScreenRgb(clRed);
      },
      10s, 200ms);
  EXPECT_TRUE(painted) << std::hex << "background " << screen.Pixel(300, 230) << ", child " << screen.Pixel(135, 105);
  EXPECT_EQ(screen.Pixel(100 + 5, 80 + 5), ScreenRgb(clBtnFace));
  EXPECT_EQ(screen.Pixel(100 + 10, 80 + 10), ScreenRgb(clRed));
  EXPECT_EQ(screen.Pixel(100 + 59, 80 + 39), ScreenRgb(clRed));
  EXPECT_EQ(screen.Pixel(100 + 60, 80 + 40), ScreenRgb(clBtnFace));

  program->Signal(SIGTERM);
  EXPECT_EQ(program->Wait(10s), 0);
  EXPECT_EQ(CountOccurrences(program->Stdout(), "OnActivate\n"), 1);
  EXPECT_EQ(CountOccurrences(program->Stdout(), "OnDestroy\n"), 1);
}

TEST_F(FormDemoTest, ShowsAnExceptionFromOnActivateOnceInABoxAndOnStandardError) {
  auto program = Start({"50", "60", "200", "100", "Cannot connect: no such device"});
  const unsigned long form = WaitForForm();
  ASSERT_NE(form, 0u);
  auto box = WaitForBox();
  ASSERT_TRUE(box.has_value()) << "no message box titled " << kTitle;
  EXPECT_TRUE(WaitFor([&] { return program->Stderr() == "Cannot connect: no such device.\n"; }, 10s))
      << program->Stderr();

  // OK closes the box; neither clicking the form nor giving it the focus again raises anything.
  EXPECT_TRUE(SendKeys(*Server, *box, "Return"));
  EXPECT_TRUE(WaitFor([&] { return FindWindows(*Server, kTitle).empty(); }, 10s)) << "the box stayed open";
  EXPECT_TRUE(ClickAt(*Server, 50 + 100, 60 + 50));
  EXPECT_TRUE(FocusWindow(*Server, form));
  EXPECT_TRUE(ClickAt(*Server, 50 + 150, 60 + 80));
  // Nothing is expected to come; give it the time it would take to come.
  EXPECT_FALSE(WaitFor([&] { return !FindWindows(*Server, kTitle).empty(); }, 1500ms));
  EXPECT_EQ(CountOccurrences(program->Stdout(), "OnActivate\n"), 1);
  EXPECT_EQ(program->Stderr(), "Cannot connect: no such device.\n");
  EXPECT_TRUE(program->Running());

  program->Signal(SIGTERM);
  EXPECT_EQ(program->Wait(10s), 0);
}

struct MessageRow {
  const char* Message;
  const char* Line;  // what standard error shows
};

class ExceptionTextTest : public FormDemoTest, public ::testing::WithParamInterface<MessageRow> {};

TEST_P(ExceptionTextTest, AppendsAPeriodAndKeepsOneLine) {
  auto program = Start({"0", "0", "120", "90", GetParam().Message});
  ASSERT_NE(WaitForForm(), 0u);
  EXPECT_TRUE(WaitForBox().has_value());
  EXPECT_TRUE(WaitFor([&] { return program->Stderr() == GetParam().Line; }, 10s)) << program->Stderr();
  program->Signal(SIGTERM);
  EXPECT_EQ(program->Wait(10s), 0);
}

INSTANTIATE_TEST_SUITE_P(Rows, ExceptionTextTest,
                         ::testing::Values(MessageRow{"Division by zero", "Division by zero.\n"},
                                           MessageRow{"Ends with a period.", "Ends with a period..\n"},
                                           MessageRow{"Can't connect to DeviceId: 0\rno driver",
                                                      "Can't connect to DeviceId: 0 no driver.\n"}));

TEST_F(FormDemoTest, AltF4EndsTheProgramWithExitCode0) {
  auto program = Start({"20", "20", "160", "120"});
  const unsigned long form = WaitForForm();
  ASSERT_NE(form, 0u);
  EXPECT_TRUE(SendKeys(*Server, form, "alt+F4"));
  EXPECT_EQ(program->Wait(10s), 0);
  EXPECT_EQ(CountOccurrences(program->Stdout(), "OnDestroy\n"), 1);
}

TEST_F(FormDemoTest, AltF4WhileTheBoxIsOpenClosesTheBoxThenTheNextOneEndsTheProgram) {
  auto program = Start({"40", "40", "160", "120", "Failed"});
  const unsigned long form = WaitForForm();
  ASSERT_NE(form, 0u);
  auto box = WaitForBox();
  ASSERT_TRUE(box.has_value());
  EXPECT_TRUE(SendKeys(*Server, *box, "alt+F4"));
  EXPECT_TRUE(WaitFor([&] { return FindWindows(*Server, kTitle).empty(); }, 10s)) << "the box stayed open";
  ASSERT_TRUE(program->Running()) << "ended with " << program->Wait(0ms).value_or(999) << ": " << program->Stdout()
                                  << program->Stderr();
  EXPECT_TRUE(SendKeys(*Server, form, "alt+F4"));
  EXPECT_EQ(program->Wait(10s), 0);
  EXPECT_EQ(CountOccurrences(program->Stdout(), "OnActivate\n"), 1);
}

TEST_F(ManagedFormDemoTest, PlacedAndClosedUnderAWindowManager) {
  auto program = Start({"120", "90", "240", "160"});
  const unsigned long form = WaitForForm();
  ASSERT_NE(form, 0u);
  std::optional<Geometry> geometry;
  EXPECT_TRUE(WaitFor([&] { return (geometry = WindowGeometry(*Server, form)) == Geometry{120, 90, 240, 160}; }, 10s))
      << (geometry ? std::to_string(geometry->X) + "," + std::to_string(geometry->Y) + " " +
                         std::to_string(geometry->Width) + "x" + std::to_string(geometry->Height)
                   : std::string("no geometry"));
  EXPECT_TRUE(SendKeys(*Server, form, "alt+F4"));
  EXPECT_EQ(program->Wait(10s), 0);
  EXPECT_EQ(CountOccurrences(program->Stdout(), "OnActivate\n"), 1);
  EXPECT_EQ(CountOccurrences(program->Stdout(), "OnDestroy\n"), 1);
}

struct SignalRow {
  int Number;
  bool WithBox;
};

class EndingSignalTest : public FormDemoTest, public ::testing::WithParamInterface<SignalRow> {};

TEST_P(EndingSignalTest, EndsTheProgramWithExitCode0) {
  std::vector<std::string> args = {"30", "30", "160", "120"};
  if (GetParam().WithBox) args.push_back("Failed");
  auto program = Start(args);
  ASSERT_NE(WaitForForm(), 0u);
  if (GetParam().WithBox) {
    ASSERT_TRUE(WaitForBox().has_value());
  }
  program->Signal(GetParam().Number);
  EXPECT_EQ(program->Wait(10s), 0);
  EXPECT_EQ(CountOccurrences(program->Stdout(), "OnDestroy\n"), 1);
}

INSTANTIATE_TEST_SUITE_P(Rows, EndingSignalTest,
                         ::testing::Values(SignalRow{SIGTERM, false}, SignalRow{SIGINT, false},
                                           SignalRow{SIGHUP, false}, SignalRow{SIGTERM, true},
                                           SignalRow{SIGHUP, true}));

class NoDisplayTest : public ::testing::TestWithParam<const char*> {};

TEST_P(NoDisplayTest, EndsWithExitCode1AndSaysWhy) {
  ProgramOptions options;
  options.Argv = {FORMDEMO_PATH, "0", "0", "100", "100", "never shown"};
  options.Display = GetParam();
  options.Unset = {"WAYLAND_DISPLAY", "SDL_VIDEODRIVER"};
  Program program(options);
  EXPECT_EQ(program.Wait(20s), 1);
  // System libraries may say something of their own first; ours is one whole line.
  const std::string err = program.Stderr();
  const std::size_t at = err.find("e2e_formdemo: cannot open the window: ");
  ASSERT_NE(at, std::string::npos) << err;
  EXPECT_TRUE(at == 0 || err[at - 1] == '\n') << err;
  const std::size_t end = err.find('\n', at);
  ASSERT_NE(end, std::string::npos) << err;
  EXPECT_GT(end, at + std::string("e2e_formdemo: cannot open the window: ").size()) << "no reason given";
  EXPECT_EQ(CountOccurrences(program.Stdout(), "OnActivate"), 0);
}

// No DISPLAY at all, and one naming a server that does not exist.
INSTANTIATE_TEST_SUITE_P(Rows, NoDisplayTest, ::testing::Values("", ":4093"));

}  // namespace
