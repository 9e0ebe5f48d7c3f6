#pragma once
// TApplication: the program's start, message loop, exception display and end.
//
//   Application->Initialize();
//   Application->CreateForm(Form1);
//   Application->Run();       // returns after the end-of-program steps
//   return Application->ExitCode();
//
// Run marks the application running, registers the destruction of its components as an
// end-of-program step, shows the main form (which activates it, so its OnActivate runs inside
// the showing), then fetches and dispatches messages until the quit message. Exceptions that
// escape a dispatched handler (a window message, an activation, a timer tick) go to the
// exception display and the loop carries on. When the loop ends, the end-of-program steps run,
// the last registered first.
#include <cstdio>
#include <exception>
#include <functional>
#include <new>
#include <string>
#include <string_view>

#include "framework/component.h"
#include "framework/method.h"
#include "platform/winuser.h"

class TForm;

// Sender, and the exception that escaped a handler.
using TExceptionEvent = TMethod<TObject*, std::exception_ptr>;

class TApplication : public TComponent {
 public:
  explicit TApplication(TComponent* AOwner);
  ~TApplication() override;
  const char* ClassName() const override { return "TApplication"; }

  // The executable's file name without its directory, cut at its first ".", every character
  // after the first in lower case: "/usr/bin/viewer" gives "viewer", "VIEWER.EXE" "Viewer".
  static std::string TitleFromExeName(std::string_view ExeName);
  const std::string& Title() const { return FTitle; }
  void SetTitle(const std::string& Value) { FTitle = Value; }

  // Runs InitProc when one is installed.
  void Initialize();

  // Obtains the memory for a T, stores it in Reference, then constructs the T with this
  // application as owner and applies its window definition. On failure Reference is null
  // again and the exception goes on. The first form created becomes the main form, and its
  // window is created, hidden, at once.
  template <class T>
  void CreateForm(T*& Reference);

  TForm* MainForm() const { return FMainForm; }
  void Run();
  // Ends the message loop: posts the quit message.
  void Terminate();
  bool Terminated() const { return FTerminated; }
  bool Running() const { return FRunning; }
  // The quit message's exit code once the loop has ended.
  int ExitCode() const { return FExitCode; }

  // Fetches and dispatches one message, waiting for it; false on the quit message.
  bool HandleMessage();
  // Dispatches what is there, without waiting; false once the quit message came.
  bool ProcessMessages();

  // The exception display: OnException when assigned, ShowException otherwise. With no
  // exception given, the one being handled. Never raises.
  void HandleException(TObject* Sender, std::exception_ptr E = std::current_exception());
  // A message box (title: Title; text: the message and a period, every time; a carriage
  // return breaks the line) and the same text as one line on standard error.
  void ShowException(const std::string& Message);
  // The message an exception carries (Exception::Message, what() of others).
  static std::string ExceptionMessage(std::exception_ptr E);
  TExceptionEvent OnException() const { return FOnException; }
  void SetOnException(TExceptionEvent Value) { FOnException = Value; }

  // Where ShowException writes its line (standard error unless a test says otherwise).
  void SetErrorStream(std::FILE* Stream) { FErrorStream = Stream; }

 private:
  friend class TForm;
  void FormCreated(TComponent* Component);
  void FormDestroyed(TForm* Form);
  void DoneApplication();
  void Dispatch(const MSG& Msg);

  std::string FTitle;
  TForm* FMainForm = nullptr;  // not owned here: owned as a component like every form
  bool FRunning = false;
  bool FTerminated = false;
  int FExitCode = 0;
  TExceptionEvent FOnException;
  std::FILE* FErrorStream = stderr;
};

// Created while the framework initialises, before the program's own code runs.
extern TApplication* Application;
// Run by Initialize when set.
extern void (*InitProc)();

// End-of-program steps: run by Run when its loop ends, the last registered first.
void AddExitStep(std::function<void()> Step);
void RunExitSteps();

// Applies the window definition registered for the new component's class; see windowdefinition.h.
void ApplyWindowDefinition(TComponent* Root);

template <class T>
void TApplication::CreateForm(T*& Reference) {
  // The reference is set before construction so that code run while the form is built
  // (its definition's setters) can reach it, and cleared when the building fails.
  void* memory = ::operator new(sizeof(T));
  T* form = static_cast<T*>(memory);
  Reference = form;
  try {
    ::new (memory) T(this);
  } catch (...) {
    Reference = nullptr;
    ::operator delete(memory);
    throw;
  }
  try {
    ApplyWindowDefinition(form);
    FormCreated(form);
  } catch (...) {
    Reference = nullptr;
    delete form;
    throw;
  }
}
