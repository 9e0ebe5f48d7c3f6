// The test program's main with its Xvfb, and the shared test pieces.
#include "window_test_support.h"

#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <thread>
#include <unordered_map>

#include "platform/window/window_testing.h"
#include "platform/wingdi.h"

namespace window_test {

bool operator==(const Logged& a, const Logged& b) {
  return a.hwnd == b.hwnd && a.message == b.message && a.wParam == b.wParam && a.lParam == b.lParam;
}

void PrintTo(const Logged& logged, std::ostream* os) {
  *os << "{hwnd " << logged.hwnd << ", message 0x" << std::hex << logged.message << std::dec << ", wParam "
      << logged.wParam << ", lParam " << logged.lParam << "}";
}

std::vector<Logged>& Log() {
  static std::vector<Logged> log;
  return log;
}

std::vector<Logged> LogOf(UINT message, HWND hwnd) {
  std::vector<Logged> found;
  for (const Logged& logged : Log()) {
    if (logged.message == message && (hwnd == nullptr || logged.hwnd == hwnd)) found.push_back(logged);
  }
  return found;
}

namespace {

std::unordered_map<HWND, Handler>& Handlers() {
  static std::unordered_map<HWND, Handler> handlers;
  return handlers;
}

std::optional<int> lastQuit;

LRESULT LoggingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  Log().push_back(Logged{hwnd, message, wParam, lParam});
  const auto found = Handlers().find(hwnd);
  if (found != Handlers().end() && found->second) {
    // A copy: the handler may replace itself.
    const Handler handler = found->second;
    if (auto answer = handler(hwnd, message, wParam, lParam)) return *answer;
  }
  if (message == WM_NCDESTROY) Handlers().erase(hwnd);
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

}  // namespace

void SetHandler(HWND hwnd, Handler handler) { Handlers()[hwnd] = std::move(handler); }

const char* LoggingClass() {
  static const char* name = [] {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = LoggingProc;
    windowClass.lpszClassName = "LoggingWindow";
    windowClass.hbrBackground = CreateSolidBrush(kBackground);
    RegisterClassA(&windowClass);
    return "LoggingWindow";
  }();
  return name;
}

HWND MakeTopLevel(const char* title, int x, int y, int width, int height, DWORD style) {
  return CreateWindowExA(0, LoggingClass(), title, style, x, y, width, height, nullptr, nullptr, nullptr, nullptr);
}

HWND MakeChild(HWND parent, int x, int y, int width, int height, bool visible) {
  return CreateWindowExA(0, LoggingClass(), "", WS_CHILD | (visible ? WS_VISIBLE : 0), x, y, width, height, parent,
                         nullptr, nullptr, nullptr);
}

bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
  // A thread timer wakes the loop now and then, so that the limit is noticed.
  const UINT_PTR beat = SetTimer(nullptr, 0, 20, nullptr);
  const auto deadline = std::chrono::steady_clock::now() + limit;
  bool held = done();
  MSG msg{};
  while (!held && std::chrono::steady_clock::now() < deadline) {
    const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
    if (got == 0) {
      lastQuit = static_cast<int>(msg.wParam);
      held = done();
      break;
    }
    if (got < 0) break;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
    held = done();
  }
  KillTimer(nullptr, beat);
  return held;
}

std::optional<int> QuitCode() { return lastQuit; }

void PumpPending() {
  MSG msg{};
  // Painting is there as long as windows need it; a bound keeps this from running on.
  for (int i = 0; i < 1000 && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE); ++i) {
    if (msg.message == WM_QUIT) {
      lastQuit = static_cast<int>(msg.wParam);
      break;
    }
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

std::uint32_t Pixel(HWND topLevel, int x, int y) {
  pixman_image_t* surface = platform::window_testing::ClientSurface(topLevel);
  if (surface == nullptr || x < 0 || y < 0 || x >= pixman_image_get_width(surface) ||
      y >= pixman_image_get_height(surface)) {
    ADD_FAILURE() << "no pixel (" << x << ", " << y << ")";
    return 0xFFFFFFFF;
  }
  const auto* row = reinterpret_cast<const std::uint8_t*>(pixman_image_get_data(surface)) +
                    static_cast<std::ptrdiff_t>(y) * pixman_image_get_stride(surface);
  return reinterpret_cast<const std::uint32_t*>(row)[x] & 0x00FFFFFF;
}

std::string Shell(const std::string& command) {
  std::string output;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return output;
  char buffer[512];
  std::size_t count = 0;
  while ((count = fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, count);
  pclose(pipe);
  return output;
}

namespace {

std::string SearchWindow(const std::string& options, const std::string& title) {
  std::string id = Shell("xdotool search " + options + " --name '^" + title + "$' 2>/dev/null | head -n 1");
  while (!id.empty() && (id.back() == '\n' || id.back() == ' ')) id.pop_back();
  return id;
}

}  // namespace

std::string XWindowId(const std::string& title) { return SearchWindow("", title); }

std::string WaitForXWindow(const std::string& title) { return SearchWindow("--sync --onlyvisible", title); }

struct Watchdog::Impl {
  std::mutex mutex;
  std::condition_variable stop;
  bool stopped = false;
  std::thread thread;
};

Watchdog::Watchdog(std::chrono::seconds limit) : impl_(new Impl) {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  const std::string name = info != nullptr ? std::string(info->test_suite_name()) + "." + info->name() : "a test";
  impl_->thread = std::thread([impl = impl_, limit, name] {
    std::unique_lock lock(impl->mutex);
    if (!impl->stop.wait_for(lock, limit, [impl] { return impl->stopped; })) {
      std::fprintf(stderr, "watchdog: %s did not finish within %lld s\n", name.c_str(),
                   static_cast<long long>(limit.count()));
      std::fflush(stderr);
      std::_Exit(3);
    }
  });
}

Watchdog::~Watchdog() {
  {
    std::lock_guard lock(impl_->mutex);
    impl_->stopped = true;
  }
  impl_->stop.notify_all();
  impl_->thread.join();
  delete impl_;
}

void WindowTest::SetUp() {
  watchdog_.emplace(std::chrono::seconds(30));
  Log().clear();
  lastQuit.reset();
}

void WindowTest::TearDown() {
  platform::window_testing::Reset();
  Handlers().clear();
  Log().clear();
  watchdog_.reset();
}

namespace {

// One Xvfb for the test program, on a display number it picks itself (-displayfd), so
// that test programs running side by side never clash. It dies with the program.
class XvfbEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    pid_ = fork();
    ASSERT_GE(pid_, 0);
    if (pid_ == 0) {
      prctl(PR_SET_PDEATHSIG, SIGKILL);
      close(ready[0]);
      const std::string fd = std::to_string(ready[1]);
      std::freopen("/dev/null", "w", stderr);
      execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x1024x24", "-nolisten", "tcp",
             static_cast<char*>(nullptr));
      std::_Exit(127);
    }
    close(ready[1]);
    std::string number;
    pollfd wait{ready[0], POLLIN, 0};
    char c = 0;
    while (poll(&wait, 1, 15000) > 0 && read(ready[0], &c, 1) == 1 && c != '\n') number.push_back(c);
    close(ready[0]);
    ASSERT_FALSE(number.empty()) << "Xvfb did not start";
    setenv("DISPLAY", (":" + number).c_str(), 1);
    unsetenv("WAYLAND_DISPLAY");
  }

  void TearDown() override {
    platform::window_testing::Reset();
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
    }
  }

 private:
  pid_t pid_ = -1;
};

}  // namespace

}  // namespace window_test

int main(int argc, char** argv) {
  // A death test's child runs one statement without a display of its own.
  bool deathTestChild = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strstr(argv[i], "internal_run_death_test") != nullptr) deathTestChild = true;
  }
  ::testing::InitGoogleTest(&argc, argv);
  if (!deathTestChild) ::testing::AddGlobalTestEnvironment(new window_test::XvfbEnvironment);
  return RUN_ALL_TESTS();
}
