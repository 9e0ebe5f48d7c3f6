// Forms and the application on a real window system: CreateForm and its global, the main
// window made hidden at once, placement and client size, close requests, the order of
// destruction, and Run from showing the main form to the end-of-program steps.
#include <string>
#include <vector>

#include <SDL.h>
#include <gtest/gtest.h>

#include "framework/application.h"
#include "framework/customcontrol.h"
#include "framework/form.h"
#include "framework/screen.h"
#include "framework/timer.h"
#include "framework/windowdefinition.h"
#include "platform/window/window_system.h"
#include "runtime/exception.h"
#include "tests/framework/components/components_test_support.h"

namespace {

using namespace components_test;

std::vector<std::string> Log;

class TLoggedControl : public TCustomControl {
 public:
  explicit TLoggedControl(TComponent* AOwner) : TCustomControl(AOwner) {}
  ~TLoggedControl() override {
    Log.push_back(std::string("control destroyed, form window ") + (IsWindow(FormWindow) ? "alive" : "gone") +
                  ", own window " + (IsWindow(OwnWindow) ? "alive" : "gone"));
  }
  HWND FormWindow = nullptr;
  HWND OwnWindow = nullptr;
};

class TCheckedForm;
TCheckedForm* CheckedForm = nullptr;

// Checks, while it is being built, that the global already refers to it.
class TCheckedForm : public TForm {
 public:
  explicit TCheckedForm(TComponent* AOwner) : TForm(AOwner) {
    Log.push_back(CheckedForm == this ? "global set before construction" : "global not set");
    if (FailConstruction) throw Exception("construction failed");
  }
  const char* ClassName() const override { return "TCheckedForm"; }

  void FormActivate(TObject* /*Sender*/) {
    Log.push_back(std::string("activate ") + (IsWindowVisible(Handle()) ? "visible" : "hidden") +
                  (Application->Running() ? " running" : ""));
    if (OnActivateAction) OnActivateAction();
  }
  void FormDestroy(TObject* /*Sender*/) {
    Log.push_back(std::string("OnDestroy, window ") + (IsWindow(Handle()) ? "alive" : "gone") + ", " +
                  std::to_string(ComponentCount()) + " components");
  }
  void Ticked(TObject* /*Sender*/) {
    Log.push_back("tick");
    Application->Terminate();
  }

  static inline bool FailConstruction = false;
  static inline std::function<void()> OnActivateAction;
};

const TRegisterClass<TCheckedForm, TForm> RegisterCheckedForm("TCheckedForm", [](auto& P) {
  P.template Method<&TCheckedForm::FormActivate>("FormActivate");
  P.template Method<&TCheckedForm::FormDestroy>("FormDestroy");
  P.template Method<&TCheckedForm::Ticked>("Ticked");
});

class TBadDefinitionForm : public TForm {
 public:
  explicit TBadDefinitionForm(TComponent* AOwner) : TForm(AOwner) {}
  const char* ClassName() const override { return "TBadDefinitionForm"; }
};
TBadDefinitionForm* BadForm = nullptr;

const bool BadDefinitionStored =
    RegisterWindowDefinition("object BadForm: TBadDefinitionForm\n  Left = 5\n  NoSuchEntry = 1\nend");

const char* const kCheckedDefinition = R"(
object CheckedForm: TCheckedForm
  Left = 191
  Top = 101
  BorderStyle = bsNone
  Caption = 'Checked'
  ClientHeight = 120
  ClientWidth = 160
  OnActivate = FormActivate
  OnDestroy = FormDestroy
end
)";
const bool CheckedDefinitionStored = RegisterWindowDefinition(kCheckedDefinition);

class FormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RequireDisplay();
    Log.clear();
    TCheckedForm::FailConstruction = false;
    TCheckedForm::OnActivateAction = nullptr;
  }
  void TearDown() override {
    Application->DestroyComponents();
    Application->SetOnException(TExceptionEvent{});
    ResetWindowSystem();
  }

  static RECT WindowRect(HWND Wnd) {
    RECT r{};
    GetWindowRect(Wnd, &r);
    return r;
  }
};

TEST_F(FormTest, CreateFormSetsTheGlobalFirstAndMakesTheMainWindowHiddenAtOnce) {
  ASSERT_TRUE(CheckedDefinitionStored);
  Application->CreateForm(CheckedForm);
  ASSERT_NE(CheckedForm, nullptr);
  EXPECT_EQ(Log, (std::vector<std::string>{"global set before construction"}));
  EXPECT_EQ(Application->MainForm(), CheckedForm);
  EXPECT_EQ(CheckedForm->Owner(), Application);
  ASSERT_TRUE(CheckedForm->HandleAllocated());
  EXPECT_FALSE(IsWindowVisible(CheckedForm->Handle()));
  EXPECT_FALSE(CheckedForm->Visible());
  EXPECT_EQ(CheckedForm->Color(), clBtnFace);

  // The window lies where the definition says; without a frame it is all client area.
  const RECT r = WindowRect(CheckedForm->Handle());
  EXPECT_EQ(r.left, 191);
  EXPECT_EQ(r.top, 101);
  EXPECT_EQ(r.right - r.left, 160);
  EXPECT_EQ(r.bottom - r.top, 120);
  EXPECT_EQ(CheckedForm->ClientWidth(), 160);
  EXPECT_EQ(CheckedForm->ClientHeight(), 120);
  EXPECT_STREQ(SDL_GetWindowTitle(platform::SdlWindowOf(CheckedForm->Handle())), "Checked");

  // A second form is no main form, and gets its window only on demand.
  TCheckedForm* second = nullptr;
  Application->CreateForm(second);
  EXPECT_EQ(Application->MainForm(), CheckedForm);
  EXPECT_FALSE(second->HandleAllocated());
  EXPECT_EQ(second->Name(), "CheckedForm_1");
}

TEST_F(FormTest, CreateFormClearsTheGlobalWhenConstructionFails) {
  TCheckedForm::FailConstruction = true;
  CheckedForm = nullptr;
  EXPECT_THROW(Application->CreateForm(CheckedForm), Exception);
  EXPECT_EQ(CheckedForm, nullptr);
  EXPECT_EQ(Log, (std::vector<std::string>{"global set before construction"}));
  EXPECT_EQ(Application->MainForm(), nullptr);
  EXPECT_EQ(Application->ComponentCount(), 0);
}

TEST_F(FormTest, CreateFormClearsTheGlobalWhenTheDefinitionFails) {
  ASSERT_TRUE(BadDefinitionStored);
  try {
    Application->CreateForm(BadForm);
    FAIL() << "no exception";
  } catch (const EReadError& e) {
    EXPECT_EQ(e.Message(), "Error reading BadForm.NoSuchEntry (line 3): Property NoSuchEntry does not exist");
  }
  EXPECT_EQ(BadForm, nullptr);
  EXPECT_EQ(Application->MainForm(), nullptr);
  EXPECT_EQ(Application->ComponentCount(), 0);
}

TEST_F(FormTest, LeftTopAndClientSizeMoveAndResizeTheWindowKeepingTheRest) {
  TForm* form = new TForm(Application);
  form->SetBorderStyle(bsNone);
  form->SetBounds(10, 20, 400, 300);
  HWND wnd = form->Handle();
  form->SetLeft(-20);
  RECT r = WindowRect(wnd);
  EXPECT_EQ(r.left, -20);
  EXPECT_EQ(r.top, 20);
  EXPECT_EQ(r.right - r.left, 400);
  form->SetTop(30);
  form->SetClientWidth(320);
  form->SetClientHeight(240);
  r = WindowRect(wnd);
  EXPECT_EQ(r.left, -20);
  EXPECT_EQ(r.top, 30);
  EXPECT_EQ(r.right - r.left, 320);
  EXPECT_EQ(r.bottom - r.top, 240);
  EXPECT_EQ(form->ClientWidth(), 320);
  EXPECT_EQ(form->ClientHeight(), 240);
  EXPECT_EQ(form->Width(), 320);
}

TEST_F(FormTest, CloseRequestOnTheMainFormEndsTheLoopAndOnAnotherFormHidesIt) {
  Application->CreateForm(CheckedForm);
  TForm* other = new TForm(Application);
  other->Show();
  ASSERT_TRUE(IsWindowVisible(other->Handle()));
  SendMessageA(other->Handle(), WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindowVisible(other->Handle()));
  EXPECT_TRUE(IsWindow(other->Handle()));
  EXPECT_TRUE(Application->ProcessMessages());

  SendMessageA(CheckedForm->Handle(), WM_CLOSE, 0, 0);
  EXPECT_TRUE(IsWindow(CheckedForm->Handle()));  // the window stays until the end-of-program steps
  EXPECT_FALSE(Application->ProcessMessages());  // the quit message
  EXPECT_EQ(Application->ExitCode(), 0);
}

TEST_F(FormTest, DestructionRunsOnDestroyThenTakesTheWindowsThenTheComponents) {
  Application->CreateForm(CheckedForm);
  auto* control = new TLoggedControl(CheckedForm);
  control->SetParent(CheckedForm);
  control->FormWindow = CheckedForm->Handle();
  control->OwnWindow = control->Handle();
  ASSERT_EQ(GetParent(control->OwnWindow), CheckedForm->Handle());
  Log.clear();
  delete CheckedForm;
  EXPECT_EQ(Log, (std::vector<std::string>{"OnDestroy, window alive, 1 components",
                                           "control destroyed, form window gone, own window gone"}));
  EXPECT_EQ(Application->MainForm(), nullptr);
  EXPECT_EQ(Application->ComponentCount(), 0);
}

TEST_F(FormTest, RunShowsTheMainFormWhoseActivationRunsInsideTheShowingThenEnds) {
  Application->CreateForm(CheckedForm);
  TCheckedForm::OnActivateAction = [] { Application->Terminate(); };
  Watchdog watchdog(30s);
  Application->Run();
  EXPECT_EQ(Log, (std::vector<std::string>{"global set before construction", "activate visible running",
                                           "OnDestroy, window alive, 0 components"}));
  // The end-of-program steps released the application's components, the form among them.
  EXPECT_EQ(Application->ComponentCount(), 0);
  EXPECT_EQ(Application->MainForm(), nullptr);
  EXPECT_EQ(Application->ExitCode(), 0);
  EXPECT_FALSE(Application->Running());
}

class TFailureLog : public TObject {
 public:
  void Failed(TObject* Sender, std::exception_ptr E) {
    Log.push_back("shown: " + TApplication::ExceptionMessage(E) + (Sender == CheckedForm ? " from the form" : ""));
  }
};

TEST_F(FormTest, AnExceptionFromTheActivationIsShownAndTheLoopCarriesOn) {
  TFailureLog failures;
  Application->SetOnException(TExceptionEvent::Of<&TFailureLog::Failed>(&failures));
  Application->CreateForm(CheckedForm);
  auto* timer = new TTimer(CheckedForm);
  timer->SetInterval(20);
  timer->SetOnTimer(TNotifyEvent::Of<&TCheckedForm::Ticked>(CheckedForm));
  TCheckedForm::OnActivateAction = [] { throw EConvertError("'abc' is not a valid integer value"); };
  Watchdog watchdog(30s);
  Application->Run();
  EXPECT_EQ(Log, (std::vector<std::string>{"global set before construction", "activate visible running",
                                           "shown: 'abc' is not a valid integer value from the form", "tick",
                                           "OnDestroy, window alive, 1 components"}));
}

}  // namespace
