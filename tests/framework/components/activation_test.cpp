// The activation rule as a table of focus sequences: OnActivate runs when the focus comes to a
// form while the form that last had it was none or another one; not when the whole program is
// reactivated, not after a message box.
#include <cctype>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "framework/application.h"
#include "framework/customcontrol.h"
#include "framework/form.h"
#include "framework/screen.h"
#include "tests/framework/components/components_test_support.h"

namespace {

using namespace components_test;

std::vector<std::string> Activations;

class TNamedForm : public TForm {
 public:
  explicit TNamedForm(TComponent* AOwner) : TForm(AOwner) {}
  void Activated(TObject* Sender) { Activations.push_back(static_cast<TForm*>(Sender)->Name()); }
};

struct FocusRow {
  const char* Name;
  // Steps, blank-separated: "A" the focus comes to form A (WM_ACTIVATE, then WM_SETFOCUS);
  // "a" it comes to a child control of A; "!A" only WM_ACTIVATE reaches A; "-A" A loses
  // the focus to another program; "fgA" A is brought to the foreground through the window
  // system; "box" a message box opens over the active window and is answered; "xA" A is
  // destroyed.
  const char* Steps;
  std::vector<std::string> Expected;
};

class ActivationTest : public ::testing::TestWithParam<FocusRow> {
 protected:
  void SetUp() override {
    RequireDisplay();
    Activations.clear();
    for (const char* name : {"A", "B"}) {
      auto* form = new TNamedForm(Application);
      form->SetName(name);
      form->SetBounds(name[0] == 'A' ? 0 : 300, 0, 200, 150);
      form->SetOnActivate(TNotifyEvent::Of<&TNamedForm::Activated>(form));
      auto* child = new TCustomControl(form);
      child->SetParent(form);
      child->SetBounds(10, 10, 50, 50);
      form->HandleNeeded();
      Forms.push_back(form);
      Children.push_back(child);
    }
  }
  void TearDown() override {
    Application->DestroyComponents();
    ResetWindowSystem();
  }

  int Index(char Name) const { return Name == 'A' ? 0 : 1; }
  HWND FormWindow(char Name) const { return Forms[Index(Name)] != nullptr ? Forms[Index(Name)]->Handle() : nullptr; }

  void Step(const std::string& step) {
    if (step == "box") {
      // Answer the box from the loop it runs: close whatever window is active then.
      const UINT_PTR closer = SetTimer(nullptr, 0, 30, [](HWND, UINT, UINT_PTR, DWORD) {
        PostMessageA(GetActiveWindow(), WM_CLOSE, 0, 0);
      });
      Watchdog watchdog(20s);
      MessageBoxA(GetActiveWindow(), "Failed.", "framework_tests", MB_OK | MB_ICONSTOP);
      KillTimer(nullptr, closer);
    } else if (step.rfind("fg", 0) == 0) {
      SetForegroundWindow(FormWindow(step[2]));
    } else if (step[0] == 'x') {
      delete Forms[Index(step[1])];
      Forms[Index(step[1])] = nullptr;
    } else if (step[0] == '-') {
      HWND wnd = FormWindow(step[1]);
      SendMessageA(wnd, WM_ACTIVATE, WA_INACTIVE, 0);
      SendMessageA(wnd, WM_KILLFOCUS, 0, 0);
    } else if (step[0] == '!') {
      SendMessageA(FormWindow(step[1]), WM_ACTIVATE, WA_ACTIVE, 0);
    } else if (std::islower(static_cast<unsigned char>(step[0]))) {
      const char form = static_cast<char>(std::toupper(static_cast<unsigned char>(step[0])));
      SendMessageA(Children[Index(form)]->Handle(), WM_SETFOCUS, 0, 0);
    } else {
      HWND wnd = FormWindow(step[0]);
      SendMessageA(wnd, WM_ACTIVATE, WA_CLICKACTIVE, 0);
      SendMessageA(wnd, WM_SETFOCUS, 0, 0);
    }
  }

  std::vector<TNamedForm*> Forms;
  std::vector<TCustomControl*> Children;
};

TEST_P(ActivationTest, RaisesOnActivateExactlyWhenTheFocusedFormChanges) {
  std::istringstream steps(GetParam().Steps);
  std::string step;
  while (steps >> step) Step(step);
  EXPECT_EQ(Activations, GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ActivationTest,
    ::testing::Values(FocusRow{"FirstFocus", "A", {"A"}}, FocusRow{"SameFormAgain", "A A a", {"A"}},
                      FocusRow{"BackFromAnotherProgram", "A -A A", {"A"}},
                      FocusRow{"BetweenTheProgramsForms", "A B A", {"A", "B", "A"}},
                      FocusRow{"ThroughAnotherProgram", "A -A B -B A", {"A", "B", "A"}},
                      FocusRow{"ChildControlCountsForItsForm", "a A", {"A"}},
                      FocusRow{"ChildControlOfAnotherForm", "A b", {"A", "B"}},
                      FocusRow{"ActivationAlone", "!A", {"A"}}, FocusRow{"LosingTheFocusAlone", "-A", {}},
                      FocusRow{"AfterAMessageBox", "fgA box A", {"A"}},
                      FocusRow{"ThroughTheWindowSystem", "fgA fgB fgA fgA", {"A", "B", "A"}},
                      FocusRow{"FocusedFormDestroyed", "A xA B", {"A", "B"}}),
    [](const ::testing::TestParamInfo<FocusRow>& info) { return std::string(info.param.Name); });

TEST(ActivationRuleTest, TheScreenKnowsTheFocusedFormUntilItGoes) {
  RequireDisplay();
  auto* form = new TForm(nullptr);
  EXPECT_EQ(Screen->FocusedForm(), nullptr);
  SendMessageA(form->Handle(), WM_SETFOCUS, 0, 0);
  EXPECT_EQ(Screen->FocusedForm(), form);
  EXPECT_TRUE(form->Active());
  delete form;
  EXPECT_EQ(Screen->FocusedForm(), nullptr);
  ResetWindowSystem();
}

}  // namespace
