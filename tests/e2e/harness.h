#pragma once
// A harness for tests that drive real programs on a real X server, as a person would: its own
// Xvfb on a free display (optionally with a window manager), programs started on it with their
// output captured, window geometry, screenshots, keys, clicks and signals. Every wait has a
// deadline, so a program that hangs fails its test instead of stopping the suite.
#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace e2e {

using namespace std::chrono_literals;
using Milliseconds = std::chrono::milliseconds;

// Runs `argv` with DISPLAY set to `display` (unset when empty) and returns what it wrote on
// standard output, or nothing when it failed, could not start or overran `timeout`.
std::optional<std::string> RunCommand(const std::vector<std::string>& argv, const std::string& display,
                                      Milliseconds timeout = 10s);

// Xvfb on a display it picks itself (-displayfd), and a window manager when asked. Both end
// with this object, and with the test process should it die first.
class XServer {
 public:
  explicit XServer(bool WithWindowManager = false, int Width = 1280, int Height = 1024);
  ~XServer();
  XServer(const XServer&) = delete;
  XServer& operator=(const XServer&) = delete;

  const std::string& Display() const { return FDisplay; }  // ":N"
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  // Points this process's DISPLAY at the server (for tests that open windows themselves).
  void UseInThisProcess() const;

 private:
  pid_t FServer = -1;
  pid_t FWindowManager = -1;
  std::string FDisplay;
  int FWidth;
  int FHeight;
};

struct ProgramOptions {
  std::vector<std::string> Argv;                              // Argv[0]: the executable's path
  std::vector<std::pair<std::string, std::string>> Env;       // added to or replacing ours
  std::vector<std::string> Unset;                             // variables taken away
  std::string Display;                                        // DISPLAY; empty: unset
};

// A started program; killed (SIGKILL) and reaped when still running at destruction.
class Program {
 public:
  explicit Program(const ProgramOptions& Options);
  ~Program();
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  pid_t Pid() const { return FPid; }
  bool Running();
  void Signal(int Number);
  // The exit code, -N for death by signal N; nothing when it is still running at the deadline.
  std::optional<int> Wait(Milliseconds Timeout);
  // Everything written so far.
  std::string Stdout() const;
  std::string Stderr() const;

 private:
  void Reap(int Status);

  pid_t FPid = -1;
  std::optional<int> FExit;
  std::string FStdoutPath;
  std::string FStderrPath;
};

std::unique_ptr<Program> RunProgram(const XServer* Server, std::vector<std::string> Argv,
                                    std::vector<std::pair<std::string, std::string>> Env = {});

struct Geometry {
  int X = 0;  // the window's client area on the screen
  int Y = 0;
  int Width = 0;
  int Height = 0;
  friend bool operator==(const Geometry&, const Geometry&) = default;
};

// Visible windows whose title is exactly `Name`.
std::vector<unsigned long> FindWindows(const XServer& Server, const std::string& Name);
std::optional<unsigned long> FindWindow(const XServer& Server, const std::string& Name);
std::optional<Geometry> WindowGeometry(const XServer& Server, unsigned long Window);
std::optional<Geometry> WindowGeometry(const XServer& Server, const std::string& Name);

struct Image {
  int Width = 0;
  int Height = 0;
  std::vector<std::uint8_t> Rgb;  // rows top-down, 3 bytes a pixel
  // 0xRRGGBB
  std::uint32_t Pixel(int X, int Y) const;
};
// The whole screen; empty (0 x 0) when it could not be taken.
Image Screenshot(const XServer& Server);

// Keys as xdotool names them ("alt+F4", "Return"), typed on the keyboard after giving
// `Window` the focus; true when xdotool accepted them.
bool SendKeys(const XServer& Server, unsigned long Window, const std::string& Keys);
// Gives `Window` the keyboard focus.
bool FocusWindow(const XServer& Server, unsigned long Window);
// A left click at a point of the screen.
bool ClickAt(const XServer& Server, int X, int Y);

// Asks `Predicate` every `Interval` until it holds or `Timeout` has passed; its last answer.
bool WaitFor(const std::function<bool()>& Predicate, Milliseconds Timeout, Milliseconds Interval = 50ms);

// How often `Needle` occurs in `Text`.
int CountOccurrences(const std::string& Text, const std::string& Needle);

}  // namespace e2e
