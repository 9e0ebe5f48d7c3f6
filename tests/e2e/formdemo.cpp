// A small program for the end-to-end tests: a borderless form built from a window definition
// at the position and client size given on the command line, with a red child window, whose
// OnActivate writes "OnActivate" on standard output and then raises an exception with the
// text given as the fifth argument or in FORMDEMO_MESSAGE (nothing is raised without one).
//
//   e2e_formdemo LEFT TOP WIDTH HEIGHT [MESSAGE]
#include <cstdio>
#include <cstdlib>
#include <string>

#include "framework/application.h"
#include "framework/customcontrol.h"
#include "framework/form.h"
#include "framework/windowdefinition.h"
#include "runtime/exception.h"

class TDemoForm : public TForm {
 public:
  explicit TDemoForm(TComponent* AOwner) : TForm(AOwner) {}
  const char* ClassName() const override { return "TDemoForm"; }

  TCustomControl* Box = nullptr;
  std::string Message;

  void FormActivate(TObject* /*Sender*/) {
    std::printf("OnActivate\n");
    std::fflush(stdout);
    if (!Message.empty()) throw Exception(Message);
  }
  void FormDestroy(TObject* /*Sender*/) {
    std::printf("OnDestroy\n");
    std::fflush(stdout);
  }
};

TDemoForm* DemoForm = nullptr;

namespace {

const TRegisterClass<TDemoForm, TForm> RegisterDemoForm("TDemoForm", [](auto& P) {
  P.Field("Box", &TDemoForm::Box);
  P.template Method<&TDemoForm::FormActivate>("FormActivate");
  P.template Method<&TDemoForm::FormDestroy>("FormDestroy");
});

std::string Definition(int Left, int Top, int Width, int Height) {
  return "object DemoForm: TDemoForm\n"
         "  Left = " + std::to_string(Left) + "\n"
         "  Top = " + std::to_string(Top) + "\n"
         "  BorderStyle = bsNone\n"
         "  Caption = 'FormDemo'\n"
         "  ClientHeight = " + std::to_string(Height) + "\n"
         "  ClientWidth = " + std::to_string(Width) + "\n"
         "  Font.Color = clWindowText\n"
         "  Font.Height = -11\n"
         "  Font.Name = 'MS Sans Serif'\n"
         "  Font.Style = []\n"
         "  OnActivate = FormActivate\n"
         "  OnDestroy = FormDestroy\n"
         "  object Box: TCustomControl\n"
         "    Left = 10\n"
         "    Top = 10\n"
         "    Width = 50\n"
         "    Height = 30\n"
         "    Color = clRed\n"
         "  end\n"
         "end\n";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 5) {
    std::fprintf(stderr, "usage: %s LEFT TOP WIDTH HEIGHT [MESSAGE]\n", argv[0]);
    return 2;
  }
  std::string message;
  if (argc > 5) {
    message = argv[5];
  } else if (const char* fromEnv = std::getenv("FORMDEMO_MESSAGE")) {
    message = fromEnv;
  }
  RegisterWindowDefinition(Definition(std::atoi(argv[1]), std::atoi(argv[2]), std::atoi(argv[3]), std::atoi(argv[4])));
  Application->Initialize();
  Application->CreateForm(DemoForm);
  DemoForm->Message = message;
  Application->Run();
  return Application->ExitCode();
}
