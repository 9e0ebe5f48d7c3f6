#include "video_test_support.h"

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>

#include "platform/capture/driver_registry.h"
#include "platform/window/window_testing.h"
#include "tests/e2e/harness.h"

namespace video_test {

namespace {

// Its own Xvfb for the whole test process, and a watchdog that aborts a process still running
// after a minute, so a broken loop or a hung driver fails instead of stopping the suite.
class DisplayEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    server_ = std::make_unique<e2e::XServer>();
    server_->UseInThisProcess();
    watchdog_ = std::thread([this] {
      std::unique_lock<std::mutex> lock(mutex_);
      if (!done_.wait_for(lock, std::chrono::seconds(60), [this] { return stopped_; })) {
        std::fprintf(stderr, "watchdog: the video tests did not finish within 60 s\n");
        std::abort();
      }
    });
  }
  void TearDown() override {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stopped_ = true;
    }
    done_.notify_all();
    if (watchdog_.joinable()) watchdog_.join();
    server_.reset();
  }

 private:
  std::unique_ptr<e2e::XServer> server_;
  std::thread watchdog_;
  std::mutex mutex_;
  std::condition_variable done_;
  bool stopped_ = false;
};

[[maybe_unused]] ::testing::Environment* const kDisplay = ::testing::AddGlobalTestEnvironment(new DisplayEnvironment);

}  // namespace

void VideoFixture::SetUp() {
  auto& calls = TTimer::SystemTimerCalls();
  savedTimerCalls_ = calls;
  calls.Set = &TimerRecorder::Set;
  calls.Kill = &TimerRecorder::Kill;
  TimerRecorder::Instance() = TimerRecorder{};
  spy.Reset();

  // The spy goes onto the capture window when the driver is asked for, which Connect does
  // right after creating the window; the control's first three messages are not seen.
  auto scripted = platform::capture::ScriptedDriverFactory(script, 0);
  platform::capture::SetDriverFactoryForTesting([this, scripted](unsigned index) {
    if (video != nullptr) spy.Attach(TVideoTestAccess::CapWnd(*video));
    return scripted(index);
  });

  form = new TForm(nullptr);
  form->SetBounds(0, 0, 640, 480);
  video = new TVideo(form);
  video->SetParent(form);
}

void VideoFixture::TearDown() {
  delete form;  // the video with it, unless a test released it already
  form = nullptr;
  video = nullptr;
  platform::capture::SetDriverFactoryForTesting(nullptr);
  platform::window_testing::Reset();
  spy.Reset();
  TTimer::SystemTimerCalls() = savedTimerCalls_;
}

}  // namespace video_test
