#pragma once
// One capture window's state and its answers to the WM_CAP_* messages, apart from the
// window system: the window procedure (capture_window.cpp) finds the CaptureWindow of its
// HWND and hands it every message. The callbacks get `hwnd` as their window.
#include <memory>
#include <optional>

#include "platform/capture/capture_driver.h"
#include "platform/vfw.h"

namespace platform::capture {

class CaptureWindow {
 public:
  explicit CaptureWindow(HWND hwnd) : hwnd_(hwnd) {}
  ~CaptureWindow();
  CaptureWindow(const CaptureWindow&) = delete;
  CaptureWindow& operator=(const CaptureWindow&) = delete;

  // The answer to a WM_CAP_* message; none for any other message. Exceptions thrown by the
  // callbacks come out of here once the window's own state is settled again.
  std::optional<LRESULT> Handle(UINT message, WPARAM wParam, LPARAM lParam);

  // The window is going: the driver is let go.
  void Destroyed() { ReleaseDriver(); }

  bool Connected() const { return driver_ != nullptr; }

 private:
  LRESULT ConnectDriver(WPARAM index);
  LRESULT DisconnectDriver();
  LRESULT GetVideoFormat(WPARAM size, LPARAM block);
  LRESULT SetVideoFormat(WPARAM size, LPARAM block);
  LRESULT GrabFrame();
  void ReleaseDriver();
  void ReportError(const DriverError& error);

  HWND hwnd_;                                     // the window this state belongs to
  LPARAM userData_ = 0;                           // WM_CAP_SET_USER_DATA's value, not owned
  CAPERRORCALLBACKA onError_ = nullptr;           // host code
  CAPVIDEOCALLBACK onFrame_ = nullptr;            // host code
  // Shared with a grab in progress, so that a disconnect from inside the frame callback
  // cannot pull the frame from under it; the driver goes when the grab is done.
  std::shared_ptr<CaptureDriver> driver_;
  bool grabbing_ = false;  // a grab is in progress: nested grabs are refused
};

}  // namespace platform::capture
