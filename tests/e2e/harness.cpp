#include "tests/e2e/harness.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace e2e {
namespace {

using Clock = std::chrono::steady_clock;

int RemainingMs(Clock::time_point Deadline) {
  const auto left = std::chrono::duration_cast<Milliseconds>(Deadline - Clock::now()).count();
  return left < 0 ? 0 : static_cast<int>(left);
}

// Child side of a fork: dies with the test, closes what it should not inherit, then execs.
[[noreturn]] void ExecChild(const std::vector<std::string>& Argv, const std::vector<std::string>& Environment,
                            int Stdin, int Stdout, int Stderr, int KeepFd) {
  prctl(PR_SET_PDEATHSIG, SIGKILL);
  if (getppid() == 1) _exit(127);
  dup2(Stdin, 0);
  dup2(Stdout, 1);
  dup2(Stderr, 2);
  const int maxFd = static_cast<int>(sysconf(_SC_OPEN_MAX));
  for (int fd = 3; fd < maxFd && fd < 4096; ++fd) {
    if (fd != KeepFd) close(fd);
  }
  std::vector<char*> args;
  for (const std::string& a : Argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  std::vector<char*> env;
  for (const std::string& e : Environment) env.push_back(const_cast<char*>(e.c_str()));
  env.push_back(nullptr);
  // execvpe looks the program up in the PATH of the environment it is given.
  execvpe(args[0], args.data(), env.data());
  _exit(127);
}

std::vector<std::string> Environment(const std::vector<std::pair<std::string, std::string>>& Set,
                                     const std::vector<std::string>& Unset) {
  std::vector<std::string> result;
  for (char** e = environ; *e != nullptr; ++e) {
    std::string entry(*e);
    const std::string name = entry.substr(0, entry.find('='));
    bool drop = false;
    for (const std::string& u : Unset) drop = drop || u == name;
    for (const auto& s : Set) drop = drop || s.first == name;
    if (!drop) result.push_back(entry);
  }
  for (const auto& s : Set) result.push_back(s.first + "=" + s.second);
  return result;
}

std::vector<std::pair<std::string, std::string>> DisplayEnv(const std::string& Display) {
  if (Display.empty()) return {};
  return {{"DISPLAY", Display}};
}

std::string ReadFile(const std::string& Path) {
  std::ifstream in(Path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Waits for a child's end until the deadline; its wait status, or nothing.
std::optional<int> WaitChild(pid_t Pid, Clock::time_point Deadline) {
  const int pidfd = static_cast<int>(syscall(SYS_pidfd_open, Pid, 0));
  for (;;) {
    int status = 0;
    const pid_t done = waitpid(Pid, &status, WNOHANG);
    if (done == Pid) {
      if (pidfd >= 0) close(pidfd);
      return status;
    }
    if (done < 0 && errno != EINTR) {
      if (pidfd >= 0) close(pidfd);
      return std::nullopt;
    }
    const int left = RemainingMs(Deadline);
    if (left == 0) break;
    if (pidfd >= 0) {
      pollfd p{pidfd, POLLIN, 0};
      poll(&p, 1, left);
    } else {
      std::this_thread::sleep_for(std::min(Milliseconds(10), Milliseconds(left)));
    }
  }
  if (pidfd >= 0) close(pidfd);
  return std::nullopt;
}

void KillAndReap(pid_t Pid) {
  if (Pid <= 0) return;
  kill(Pid, SIGKILL);
  int status = 0;
  while (waitpid(Pid, &status, 0) < 0 && errno == EINTR) {
  }
}

std::string TempPath(const char* Stem) {
  std::string path = std::string("/tmp/") + Stem + "-XXXXXX";
  const int fd = mkstemp(path.data());
  if (fd < 0) throw std::runtime_error("cannot make a temporary file");
  close(fd);
  return path;
}

}  // namespace

std::optional<std::string> RunCommand(const std::vector<std::string>& argv, const std::string& display,
                                      Milliseconds timeout) {
  int out[2];
  if (pipe2(out, O_CLOEXEC) != 0) return std::nullopt;
  const int devNull = open("/dev/null", O_RDWR | O_CLOEXEC);
  const auto env = Environment(DisplayEnv(display), display.empty() ? std::vector<std::string>{"DISPLAY"}
                                                                    : std::vector<std::string>{});
  const pid_t pid = fork();
  if (pid == 0) ExecChild(argv, env, devNull, out[1], devNull, -1);
  close(out[1]);
  close(devNull);
  if (pid < 0) {
    close(out[0]);
    return std::nullopt;
  }
  const auto deadline = Clock::now() + timeout;
  std::string text;
  char buffer[65536];
  bool timedOut = false;
  for (;;) {
    pollfd p{out[0], POLLIN, 0};
    const int left = RemainingMs(deadline);
    if (left == 0 || poll(&p, 1, left) == 0) {
      timedOut = true;
      break;
    }
    const ssize_t n = read(out[0], buffer, sizeof(buffer));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    text.append(buffer, static_cast<std::size_t>(n));
  }
  close(out[0]);
  if (timedOut) {
    KillAndReap(pid);
    return std::nullopt;
  }
  const auto status = WaitChild(pid, deadline);
  if (!status) {
    KillAndReap(pid);
    return std::nullopt;
  }
  if (!WIFEXITED(*status) || WEXITSTATUS(*status) != 0) return std::nullopt;
  return text;
}

XServer::XServer(bool WithWindowManager, int Width, int Height) : FWidth(Width), FHeight(Height) {
  int ready[2];
  if (pipe2(ready, O_CLOEXEC) != 0) throw std::runtime_error("cannot make a pipe for Xvfb");
  const int devNull = open("/dev/null", O_RDWR | O_CLOEXEC);
  // No key auto-repeat: on a loaded machine a late key release would otherwise type the key
  // twice (a second Alt+F4 closing the next window).
  const std::vector<std::string> argv = {"Xvfb",      "-displayfd", std::to_string(ready[1]),
                                         "-screen",   "0",          std::to_string(Width) + "x" +
                                                                        std::to_string(Height) + "x24",
                                         "-nolisten", "tcp",        "-noreset",
                                         "-r",        "-ardelay",   "30000"};
  const auto env = Environment({}, {});
  FServer = fork();
  if (FServer == 0) {
    // The write end must survive the exec: Xvfb writes the display number into it.
    fcntl(ready[1], F_SETFD, 0);
    ExecChild(argv, env, devNull, devNull, devNull, ready[1]);
  }
  close(ready[1]);
  close(devNull);
  if (FServer < 0) {
    close(ready[0]);
    throw std::runtime_error("cannot start Xvfb");
  }
  // Xvfb writes the number it chose once it accepts connections.
  const auto deadline = Clock::now() + 15s;
  std::string number;
  char buffer[32];
  while (number.find('\n') == std::string::npos) {
    pollfd p{ready[0], POLLIN, 0};
    const int left = RemainingMs(deadline);
    if (left == 0 || poll(&p, 1, left) == 0) break;
    const ssize_t n = read(ready[0], buffer, sizeof(buffer));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    number.append(buffer, static_cast<std::size_t>(n));
  }
  close(ready[0]);
  if (number.find('\n') == std::string::npos) {
    KillAndReap(FServer);
    throw std::runtime_error("Xvfb did not start");
  }
  FDisplay = ":" + number.substr(0, number.find('\n'));
  if (WithWindowManager) {
    const int null = open("/dev/null", O_RDWR | O_CLOEXEC);
    const auto wmEnv = Environment(DisplayEnv(FDisplay), {});
    FWindowManager = fork();
    if (FWindowManager == 0) ExecChild({"openbox", "--sm-disable"}, wmEnv, null, null, null, -1);
    close(null);
    const bool managed = WaitFor(
        [this] {
          auto out = RunCommand({"xprop", "-root", "_NET_SUPPORTING_WM_CHECK"}, FDisplay, 2s);
          return out && out->find("window id") != std::string::npos;
        },
        10s, 100ms);
    if (!managed) {
      KillAndReap(FWindowManager);
      KillAndReap(FServer);
      throw std::runtime_error("the window manager did not start");
    }
  }
}

XServer::~XServer() {
  if (FWindowManager > 0) {
    kill(FWindowManager, SIGTERM);
    if (!WaitChild(FWindowManager, Clock::now() + 3s)) KillAndReap(FWindowManager);
  }
  if (FServer > 0) {
    kill(FServer, SIGTERM);
    if (!WaitChild(FServer, Clock::now() + 5s)) KillAndReap(FServer);
  }
}

void XServer::UseInThisProcess() const { setenv("DISPLAY", FDisplay.c_str(), 1); }

Program::Program(const ProgramOptions& Options) {
  FStdoutPath = TempPath("e2e-stdout");
  FStderrPath = TempPath("e2e-stderr");
  auto set = Options.Env;
  std::vector<std::string> unset = Options.Unset;
  if (Options.Display.empty()) {
    unset.push_back("DISPLAY");
  } else {
    set.emplace_back("DISPLAY", Options.Display);
  }
  const auto env = Environment(set, unset);
  const int in = open("/dev/null", O_RDONLY | O_CLOEXEC);
  const int out = open(FStdoutPath.c_str(), O_WRONLY | O_CLOEXEC);
  const int err = open(FStderrPath.c_str(), O_WRONLY | O_CLOEXEC);
  FPid = fork();
  if (FPid == 0) ExecChild(Options.Argv, env, in, out, err, -1);
  close(in);
  close(out);
  close(err);
  if (FPid < 0) throw std::runtime_error("cannot start " + Options.Argv.at(0));
}

Program::~Program() {
  if (!FExit && FPid > 0) KillAndReap(FPid);
  unlink(FStdoutPath.c_str());
  unlink(FStderrPath.c_str());
}

void Program::Reap(int Status) {
  if (WIFEXITED(Status)) {
    FExit = WEXITSTATUS(Status);
  } else if (WIFSIGNALED(Status)) {
    FExit = -WTERMSIG(Status);
  } else {
    FExit = -1;
  }
}

bool Program::Running() {
  if (FExit) return false;
  int status = 0;
  if (waitpid(FPid, &status, WNOHANG) == FPid) {
    Reap(status);
    return false;
  }
  return true;
}

void Program::Signal(int Number) {
  if (!FExit) kill(FPid, Number);
}

std::optional<int> Program::Wait(Milliseconds Timeout) {
  if (FExit) return FExit;
  if (auto status = WaitChild(FPid, Clock::now() + Timeout)) Reap(*status);
  return FExit;
}

std::string Program::Stdout() const { return ReadFile(FStdoutPath); }
std::string Program::Stderr() const { return ReadFile(FStderrPath); }

std::unique_ptr<Program> RunProgram(const XServer* Server, std::vector<std::string> Argv,
                                    std::vector<std::pair<std::string, std::string>> Env) {
  ProgramOptions options;
  options.Argv = std::move(Argv);
  options.Env = std::move(Env);
  if (Server != nullptr) options.Display = Server->Display();
  return std::make_unique<Program>(options);
}

std::vector<unsigned long> FindWindows(const XServer& Server, const std::string& Name) {
  std::vector<unsigned long> windows;
  auto out = RunCommand({"xdotool", "search", "--onlyvisible", "--name", "^" + Name + "$"}, Server.Display());
  if (!out) return windows;
  std::istringstream lines(*out);
  unsigned long id = 0;
  while (lines >> id) windows.push_back(id);
  return windows;
}

std::optional<unsigned long> FindWindow(const XServer& Server, const std::string& Name) {
  auto windows = FindWindows(Server, Name);
  if (windows.empty()) return std::nullopt;
  return windows.front();
}

std::optional<Geometry> WindowGeometry(const XServer& Server, unsigned long Window) {
  auto out = RunCommand({"xwininfo", "-id", std::to_string(Window)}, Server.Display());
  if (!out) return std::nullopt;
  Geometry g;
  int found = 0;
  std::istringstream lines(*out);
  std::string line;
  const std::pair<const char*, int*> fields[] = {{"Absolute upper-left X:", &g.X},
                                                 {"Absolute upper-left Y:", &g.Y},
                                                 {"Width:", &g.Width},
                                                 {"Height:", &g.Height}};
  while (std::getline(lines, line)) {
    for (const auto& f : fields) {
      const std::size_t at = line.find(f.first);
      if (at != std::string::npos) {
        *f.second = std::atoi(line.c_str() + at + std::strlen(f.first));
        ++found;
      }
    }
  }
  if (found != 4) return std::nullopt;
  return g;
}

std::optional<Geometry> WindowGeometry(const XServer& Server, const std::string& Name) {
  auto window = FindWindow(Server, Name);
  if (!window) return std::nullopt;
  return WindowGeometry(Server, *window);
}

std::uint32_t Image::Pixel(int X, int Y) const {
  if (X < 0 || Y < 0 || X >= Width || Y >= Height) return 0;
  const std::size_t at = (static_cast<std::size_t>(Y) * static_cast<std::size_t>(Width) + static_cast<std::size_t>(X)) * 3;
  return (static_cast<std::uint32_t>(Rgb[at]) << 16) | (static_cast<std::uint32_t>(Rgb[at + 1]) << 8) | Rgb[at + 2];
}

Image Screenshot(const XServer& Server) {
  Image image;
  auto out = RunCommand({"import", "-window", "root", "-depth", "8", "ppm:-"}, Server.Display(), 20s);
  if (!out) return image;
  // Binary PPM: "P6", width, height, maximum value, one blank, then the pixels.
  std::istringstream in(*out);
  std::string magic;
  int width = 0;
  int height = 0;
  int maxValue = 0;
  in >> magic >> width >> height >> maxValue;
  in.get();
  if (magic != "P6" || width <= 0 || height <= 0 || maxValue != 255) return image;
  const std::size_t size = static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3;
  const std::size_t offset = static_cast<std::size_t>(in.tellg());
  if (out->size() < offset + size) return image;
  image.Width = width;
  image.Height = height;
  image.Rgb.assign(out->begin() + static_cast<std::ptrdiff_t>(offset),
                   out->begin() + static_cast<std::ptrdiff_t>(offset + size));
  return image;
}

bool FocusWindow(const XServer& Server, unsigned long Window) {
  return RunCommand({"xdotool", "windowfocus", std::to_string(Window)}, Server.Display()).has_value();
}

bool SendKeys(const XServer& Server, unsigned long Window, const std::string& Keys) {
  // Through the keyboard (XTEST) to the focused window, as typed: a window that closes on the
  // key press would make a key release sent to it by name fail.
  if (!FocusWindow(Server, Window)) return false;
  return RunCommand({"xdotool", "key", "--clearmodifiers", Keys}, Server.Display()).has_value();
}

bool ClickAt(const XServer& Server, int X, int Y) {
  return RunCommand({"xdotool", "mousemove", std::to_string(X), std::to_string(Y), "click", "1"}, Server.Display())
      .has_value();
}

bool WaitFor(const std::function<bool()>& Predicate, Milliseconds Timeout, Milliseconds Interval) {
  const auto deadline = Clock::now() + Timeout;
  for (;;) {
    if (Predicate()) return true;
    if (Clock::now() >= deadline) return Predicate();
    std::this_thread::sleep_for(Interval);
  }
}

int CountOccurrences(const std::string& Text, const std::string& Needle) {
  if (Needle.empty()) return 0;
  int count = 0;
  for (std::size_t at = Text.find(Needle); at != std::string::npos; at = Text.find(Needle, at + Needle.size())) {
    ++count;
  }
  return count;
}

}  // namespace e2e
