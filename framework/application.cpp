#include "framework/application.h"

#include <cctype>
#include <climits>
#include <cstdlib>
#include <unistd.h>
#include <vector>

#include "framework/controlcanvas.h"
#include "framework/form.h"
#include "framework/screen.h"
#include "platform/window/window_system.h"
#include "runtime/exception.h"

TApplication* Application = nullptr;
TScreen* Screen = nullptr;
void (*InitProc)() = nullptr;

namespace {

std::vector<std::function<void()>>& ExitSteps() {
  static std::vector<std::function<void()>> steps;
  return steps;
}

// The running executable's path as the system reports it; empty when it cannot be told.
std::string ExecutablePath() {
  char path[PATH_MAX];
  const ssize_t length = readlink("/proc/self/exe", path, sizeof(path) - 1);
  if (length <= 0) return {};
  return std::string(path, static_cast<std::size_t>(length));
}

std::string BaseName(const std::string& Path) {
  const std::size_t slash = Path.find_last_of('/');
  return slash == std::string::npos ? Path : Path.substr(slash + 1);
}

// An exception that nobody caught (the main window could not be made, say) ends the program
// with a line on standard error and exit code 1.
[[noreturn]] void ReportUnhandledException() {
  std::string message = "unhandled failure";
  if (std::exception_ptr e = std::current_exception()) message = TApplication::ExceptionMessage(e);
  std::string program = BaseName(ExecutablePath());
  if (program.empty()) program = "program";
  std::fprintf(stderr, "%s: %s\n", program.c_str(), message.c_str());
  std::fflush(stderr);
  std::_Exit(1);
}

// The framework's start and end: the screen and application objects exist before the
// program's own code runs. They are released at the process's end, after the end-of-program
// steps have released what they own; while they still own anything (the loop never ran),
// they are left to the process's end, still reachable.
struct TFrameworkUnit {
  TFrameworkUnit() {
    std::set_terminate(&ReportUnhandledException);
    Screen = new TScreen(nullptr);
    Application = new TApplication(nullptr);
  }
  ~TFrameworkUnit() {
    if (Application != nullptr && Application->ComponentCount() == 0) {
      delete Application;
      Application = nullptr;
    }
    if (Screen != nullptr && Screen->FormCount() == 0 && Application == nullptr) {
      delete Screen;
      Screen = nullptr;
    }
  }
} FrameworkUnit;

}  // namespace

void AddExitStep(std::function<void()> Step) { ExitSteps().push_back(std::move(Step)); }

void RunExitSteps() {
  auto& steps = ExitSteps();
  while (!steps.empty()) {
    std::function<void()> step = std::move(steps.back());
    steps.pop_back();
    step();
  }
}

TApplication::TApplication(TComponent* AOwner) : TComponent(AOwner) {
  FTitle = TitleFromExeName(ExecutablePath());
}

TApplication::~TApplication() {
  if (Application == this) Application = nullptr;
}

std::string TApplication::TitleFromExeName(std::string_view ExeName) {
  std::string name = BaseName(std::string(ExeName));
  const std::size_t dot = name.find('.');
  if (dot != std::string::npos) name.resize(dot);
  for (std::size_t i = 1; i < name.size(); ++i) {
    name[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(name[i])));
  }
  return name;
}

void TApplication::Initialize() {
  // From here on SIGTERM, SIGINT and SIGHUP end the program through the end-of-program steps.
  platform::InstallEndSignals();
  if (InitProc != nullptr) InitProc();
}

void TApplication::FormCreated(TComponent* Component) {
  auto* form = dynamic_cast<TForm*>(Component);
  if (form == nullptr || FMainForm != nullptr) return;
  FMainForm = form;
  // The main window exists, hidden, from here on; without a display this is where it fails.
  form->HandleNeeded();
}

void TApplication::FormDestroyed(TForm* Form) {
  if (FMainForm == Form) FMainForm = nullptr;
}

void TApplication::DoneApplication() {
  // Releasing the forms runs their OnDestroy, then takes their windows, then their components.
  DestroyComponents();
}

void TApplication::Run() {
  if (FRunning) return;
  FRunning = true;
  AddExitStep([this] { DoneApplication(); });
  try {
    if (FMainForm != nullptr) FMainForm->Show();
  } catch (...) {
    HandleException(FMainForm, std::current_exception());
  }
  while (HandleMessage()) {
  }
  FRunning = false;
  RunExitSteps();
}

void TApplication::Terminate() {
  FTerminated = true;
  PostQuitMessage(0);
}

void TApplication::Dispatch(const MSG& Msg) {
  TControlCanvas::BeginDispatch();
  try {
    TranslateMessage(&Msg);
    DispatchMessageA(&Msg);
  } catch (...) {
    HandleException(nullptr, std::current_exception());
  }
  TControlCanvas::EndDispatch();
}

bool TApplication::HandleMessage() {
  MSG msg{};
  const BOOL result = GetMessageA(&msg, nullptr, 0, 0);
  if (result == 0) {
    FTerminated = true;
    FExitCode = static_cast<int>(msg.wParam);
    return false;
  }
  if (result == -1) {
    // The window system went away; waiting on would never end.
    const char* reason = GetWindowSystemError();
    std::fprintf(FErrorStream, "%s: the message loop failed: %s\n", FTitle.c_str(),
                 reason != nullptr && *reason != '\0' ? reason : "unknown reason");
    std::fflush(FErrorStream);
    FTerminated = true;
    FExitCode = 1;
    return false;
  }
  Dispatch(msg);
  return true;
}

bool TApplication::ProcessMessages() {
  MSG msg{};
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      FTerminated = true;
      FExitCode = static_cast<int>(msg.wParam);
      return false;
    }
    Dispatch(msg);
  }
  return true;
}

std::string TApplication::ExceptionMessage(std::exception_ptr E) {
  if (!E) return {};
  try {
    std::rethrow_exception(E);
  } catch (const Exception& e) {
    return e.Message();
  } catch (const std::exception& e) {
    return e.what();
  } catch (...) {
    return "Unknown exception";
  }
}

void TApplication::HandleException(TObject* Sender, std::exception_ptr E) {
  if (!E) return;
  try {
    if (FOnException.Assigned()) {
      FOnException(Sender, E);
    } else {
      ShowException(ExceptionMessage(E));
    }
  } catch (...) {
    // The display itself failed: the line on standard error is what is left.
    std::fprintf(FErrorStream, "%s.\n", ExceptionMessage(std::current_exception()).c_str());
    std::fflush(FErrorStream);
  }
}

void TApplication::ShowException(const std::string& Message) {
  const std::string text = Message + ".";
  // One line on standard error: a line break in the message becomes a blank.
  std::string line;
  line.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    line += (c == '\r' || c == '\n') ? ' ' : c;
  }
  std::fprintf(FErrorStream, "%s\n", line.c_str());
  std::fflush(FErrorStream);
  MessageBoxA(nullptr, text.c_str(), FTitle.c_str(), MB_OK | MB_ICONSTOP);
}
