// SIGTERM, SIGINT and SIGHUP end the program through its message loop: the handler only
// sets a flag and writes a byte to a pipe (both async-signal-safe); a small watcher thread
// reads the pipe and wakes the loop through an eventfd, which the loop waits on together
// with the X connection. Where the loop waits in SDL instead (a video driver other than
// X11), the watcher wakes it with an SDL event. On X11 no other thread calls SDL at all:
// SDL's cross-thread wake-up there could target a window the GUI thread is destroying.
// The loop itself turns the flag into WM_QUIT with exit code 0 before it looks for messages.
#include <fcntl.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <thread>

#include "platform/window/window_state.h"
#include "platform/window/window_system.h"

namespace platform::window {

namespace {

std::atomic<bool> endRequested{false};
std::atomic<Uint32> sdlWakeType{0};  // 0 unless the loop waits in SDL
int signalPipe[2] = {-1, -1};        // written by the handler, read by the watcher
int wakeDescriptor = -1;             // eventfd: written by the watcher, waited on by the loop
bool installed = false;

static_assert(std::atomic<bool>::is_always_lock_free, "the handler needs a lock-free flag");

void OnEndSignal(int /*signal*/) {
  const int savedErrno = errno;
  endRequested.store(true);
  const char byte = 1;
  // A full pipe only means a wake-up is on its way already.
  [[maybe_unused]] const ssize_t written = write(signalPipe[1], &byte, 1);
  errno = savedErrno;
}

void Watch() {
  char bytes[64];
  for (;;) {
    const ssize_t count = read(signalPipe[0], bytes, sizeof bytes);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) return;
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = write(wakeDescriptor, &one, sizeof one);
    // Read after the flag was set: if SDL runs now, the loop waits in it or has yet to
    // look at the flag, so the event is never lost.
    if (const Uint32 type = sdlWakeType.load(); type != 0) {
      SDL_Event event{};
      event.type = type;
      SDL_PushEvent(&event);
    }
  }
}

}  // namespace

void EnsureEndSignals() { platform::InstallEndSignals(); }

bool TakeEndRequest() { return endRequested.exchange(false); }

int WakeDescriptor() { return wakeDescriptor; }

void DrainWake() {
  std::uint64_t count = 0;
  while (read(wakeDescriptor, &count, sizeof count) > 0) {
  }
}

void EnableSdlWake(Uint32 eventType) { sdlWakeType.store(eventType); }

}  // namespace platform::window

namespace platform {

void InstallEndSignals() {
  using namespace platform::window;
  if (installed) return;
  if (pipe2(signalPipe, O_CLOEXEC) != 0) return;
  fcntl(signalPipe[1], F_SETFL, fcntl(signalPipe[1], F_GETFL) | O_NONBLOCK);
  wakeDescriptor = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (wakeDescriptor < 0) {
    close(signalPipe[0]);
    close(signalPipe[1]);
    signalPipe[0] = signalPipe[1] = -1;
    return;
  }
  // Lives as long as the process; it only ever blocks in read().
  std::thread(Watch).detach();
  struct sigaction action{};
  action.sa_handler = OnEndSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int signal : {SIGTERM, SIGINT, SIGHUP}) sigaction(signal, &action, nullptr);
  installed = true;
}

}  // namespace platform
