// The application object: its title from the executable's name, the initialisation hook,
// the end-of-program steps, and the exception display's texts.
#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <SDL.h>

#include "framework/application.h"
#include "framework/screen.h"
#include "platform/window/window_system.h"
#include "runtime/exception.h"
#include "tests/framework/components/components_test_support.h"

namespace {

struct TitleRow {
  const char* ExeName;
  const char* Title;
};

class TitleTest : public ::testing::TestWithParam<TitleRow> {};

TEST_P(TitleTest, BaseNameCutAtTheFirstDotLowerCaseAfterTheFirstCharacter) {
  EXPECT_EQ(TApplication::TitleFromExeName(GetParam().ExeName), GetParam().Title);
}

INSTANTIATE_TEST_SUITE_P(Rows, TitleTest,
                         ::testing::Values(TitleRow{"/usr/bin/viewer", "viewer"}, TitleRow{"/opt/My.Viewer", "My"},
                                           TitleRow{"VIEWER.EXE", "Viewer"}, TitleRow{"/apps/MY.VIEWER.EXE", "My"},
                                           TitleRow{"/home/u/build/CamViewer", "Camviewer"},
                                           TitleRow{"viewer", "viewer"}, TitleRow{"./x", "x"},
                                           TitleRow{"/opt/.hidden", ""}, TitleRow{"", ""},
                                           TitleRow{"/dir.with.dots/Prog", "Prog"}));

TEST(ApplicationTest, TitleOfThisProcessIsItsExecutablesName) {
  ASSERT_NE(Application, nullptr);
  EXPECT_EQ(Application->Title(), "framework_tests");
}

int InitRuns = 0;

TEST(ApplicationTest, InitializeRunsTheInitHookWhenOneIsInstalled) {
  InitProc = nullptr;
  Application->Initialize();
  EXPECT_EQ(InitRuns, 0);
  InitProc = [] { ++InitRuns; };
  Application->Initialize();
  EXPECT_EQ(InitRuns, 1);
  InitProc = nullptr;
}

TEST(ApplicationTest, ExitStepsRunLastRegisteredFirstAndOnlyOnce) {
  std::vector<int> order;
  AddExitStep([&] { order.push_back(1); });
  AddExitStep([&] { order.push_back(2); });
  AddExitStep([&] { order.push_back(3); });
  RunExitSteps();
  EXPECT_EQ(order, (std::vector<int>{3, 2, 1}));
  RunExitSteps();
  EXPECT_EQ(order.size(), 3u);
}

TEST(ApplicationTest, ExceptionMessageOfEveryKind) {
  EXPECT_EQ(TApplication::ExceptionMessage(std::make_exception_ptr(EConvertError("'x' is not a valid integer value"))),
            "'x' is not a valid integer value");
  EXPECT_EQ(TApplication::ExceptionMessage(std::make_exception_ptr(std::runtime_error("plain"))), "plain");
  EXPECT_EQ(TApplication::ExceptionMessage(std::make_exception_ptr(42)), "Unknown exception");
  EXPECT_EQ(TApplication::ExceptionMessage(nullptr), "");
}

class TCatcher : public TObject {
 public:
  void Caught(TObject* Sender, std::exception_ptr E) {
    Senders.push_back(Sender);
    Messages.push_back(TApplication::ExceptionMessage(E));
  }
  std::vector<TObject*> Senders;
  std::vector<std::string> Messages;
};

TEST(ApplicationTest, HandleExceptionGoesToOnExceptionWhenAssigned) {
  TCatcher catcher;
  TObject sender;
  Application->SetOnException(TExceptionEvent::Of<&TCatcher::Caught>(&catcher));
  try {
    throw EDivByZero("Division by zero");
  } catch (...) {
    Application->HandleException(&sender);
  }
  Application->HandleException(&sender, nullptr);  // nothing to show
  Application->SetOnException(TExceptionEvent{});
  EXPECT_EQ(catcher.Messages, (std::vector<std::string>{"Division by zero"}));
  EXPECT_EQ(catcher.Senders, (std::vector<TObject*>{&sender}));
}
// The exception display for real: the box is answered from the loop it runs, by a timer that
// notes the box's title and text line count on the way.
struct DisplayRow {
  const char* Message;
  const char* Line;  // on standard error, without its line end
};

class ExceptionDisplayTest : public ::testing::TestWithParam<DisplayRow> {
 protected:
  void SetUp() override { components_test::RequireDisplay(); }
  void TearDown() override {
    Application->SetErrorStream(stderr);
    components_test::ResetWindowSystem();
  }
  static inline std::string BoxTitle;
};

TEST_P(ExceptionDisplayTest, ShowsTheMessageAndAPeriodInABoxAndAsOneLineOnStandardError) {
  std::FILE* err = std::tmpfile();
  ASSERT_NE(err, nullptr);
  Application->SetErrorStream(err);
  BoxTitle.clear();
  const UINT_PTR closer = SetTimer(nullptr, 0, 30, [](HWND, UINT, UINT_PTR, DWORD) {
    HWND box = GetActiveWindow();
    if (SDL_Window* window = platform::SdlWindowOf(box)) BoxTitle = SDL_GetWindowTitle(window);
    PostMessageA(box, WM_CLOSE, 0, 0);
  });
  {
    components_test::Watchdog watchdog(std::chrono::seconds(20));
    try {
      throw Exception(GetParam().Message);
    } catch (...) {
      Application->HandleException(nullptr);
    }
  }
  KillTimer(nullptr, closer);
  EXPECT_EQ(BoxTitle, "framework_tests");
  std::rewind(err);
  std::string written;
  for (int c = std::fgetc(err); c != EOF; c = std::fgetc(err)) written += static_cast<char>(c);
  std::fclose(err);
  EXPECT_EQ(written, std::string(GetParam().Line) + "\n");
}

INSTANTIATE_TEST_SUITE_P(Rows, ExceptionDisplayTest,
                         ::testing::Values(DisplayRow{"Division by zero", "Division by zero."},
                                           DisplayRow{"Ends with a period.", "Ends with a period.."},
                                           DisplayRow{"Can't connect to DeviceId: 0\rno driver",
                                                      "Can't connect to DeviceId: 0 no driver."},
                                           DisplayRow{"two\r\nlines\nthree", "two lines three."},
                                           DisplayRow{"", "."}));

TEST(ScreenTest, PixelsPerInchComesFromTheDisplayUnlessSet) {
  components_test::RequireDisplay();
  Screen->SetPixelsPerInch(0);
  const int fromDisplay = Screen->PixelsPerInch();
  EXPECT_GE(fromDisplay, 24);
  EXPECT_LE(fromDisplay, 2400);
  Screen->SetPixelsPerInch(120);
  EXPECT_EQ(Screen->PixelsPerInch(), 120);
  Screen->SetPixelsPerInch(0);
  EXPECT_EQ(Screen->PixelsPerInch(), fromDisplay);
  EXPECT_EQ(Screen->Width(), 1280);
  EXPECT_EQ(Screen->Height(), 1024);
}

}  // namespace
