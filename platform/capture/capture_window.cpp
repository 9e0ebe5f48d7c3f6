#include "platform/capture/capture_window.h"

#include <cstring>
#include <exception>
#include <variant>

#include "platform/capture/driver_registry.h"

namespace platform::capture {

CaptureWindow::~CaptureWindow() { ReleaseDriver(); }

std::optional<LRESULT> CaptureWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CAP_SET_CALLBACK_ERROR:
      onError_ = reinterpret_cast<CAPERRORCALLBACKA>(lParam);
      return TRUE;
    case WM_CAP_SET_CALLBACK_FRAME:
      onFrame_ = reinterpret_cast<CAPVIDEOCALLBACK>(lParam);
      return TRUE;
    case WM_CAP_GET_USER_DATA:
      return userData_;
    case WM_CAP_SET_USER_DATA:
      userData_ = lParam;
      return TRUE;
    case WM_CAP_DRIVER_CONNECT:
      return ConnectDriver(wParam);
    case WM_CAP_DRIVER_DISCONNECT:
      return DisconnectDriver();
    case WM_CAP_GET_VIDEOFORMAT:
      return GetVideoFormat(wParam, lParam);
    case WM_CAP_SET_VIDEOFORMAT:
      return SetVideoFormat(wParam, lParam);
    case WM_CAP_GRAB_FRAME:
      return GrabFrame();
    default:
      return std::nullopt;
  }
}

void CaptureWindow::ReportError(const DriverError& error) {
  if (onError_ != nullptr) onError_(hwnd_, error.id, error.text.c_str());
}

void CaptureWindow::ReleaseDriver() {
  if (driver_) {
    driver_->Disconnect();
    driver_.reset();
  }
}

LRESULT CaptureWindow::ConnectDriver(WPARAM wParam) {
  ReleaseDriver();
  ReportError({kErrorNone, ""});
  // The index travels as an unsigned 16-bit value.
  const unsigned index = static_cast<WORD>(wParam);
  auto made = MakeDriver(index);
  if (auto* missing = std::get_if<DriverError>(&made)) {
    ReportError(*missing);
    return FALSE;
  }
  std::shared_ptr<CaptureDriver> driver = std::move(std::get<std::unique_ptr<CaptureDriver>>(made));
  if (auto refusal = driver->Connect()) {
    ReportError(*refusal);
    return FALSE;
  }
  driver_ = std::move(driver);
  return TRUE;
}

LRESULT CaptureWindow::DisconnectDriver() {
  const bool wasConnected = Connected();
  ReleaseDriver();
  return wasConnected ? TRUE : FALSE;
}

// Size query (no block): the format's size. Read: the whole format into a block of `size`
// bytes; nothing is written unless all of it fits.
LRESULT CaptureWindow::GetVideoFormat(WPARAM size, LPARAM block) {
  if (!driver_) return 0;
  const std::span<const BYTE> format = driver_->Format();
  if (block == 0) return static_cast<LRESULT>(format.size());
  if (format.empty() || size < format.size()) return 0;
  std::memcpy(reinterpret_cast<void*>(block), format.data(), format.size());
  return static_cast<LRESULT>(format.size());
}

LRESULT CaptureWindow::SetVideoFormat(WPARAM size, LPARAM block) {
  if (!driver_) {
    ReportError({kErrorNotConnected, "Video format refused: no capture driver is connected"});
    return FALSE;
  }
  if (size == 0 || block == 0) {
    ReportError({kErrorFormatRefused, "Video format refused: the request is empty"});
    return FALSE;
  }
  if (auto refusal = driver_->SetFormat({reinterpret_cast<const BYTE*>(block), static_cast<std::size_t>(size)})) {
    ReportError(*refusal);
    return FALSE;
  }
  return TRUE;
}

LRESULT CaptureWindow::GrabFrame() {
  if (!driver_ || grabbing_) return FALSE;
  struct GrabScope {
    bool& grabbing;
    explicit GrabScope(bool& flag) : grabbing(flag) { grabbing = true; }
    ~GrabScope() { grabbing = false; }
  } scope(grabbing_);
  const std::shared_ptr<CaptureDriver> driver = driver_;

  std::vector<DriverError> errors;
  const std::optional<Frame> frame = driver->Grab(errors);

  // Host code runs from here on. What it throws is held until the grab is wound up, then
  // rethrown to the sender of the grab request.
  std::exception_ptr failure;
  try {
    for (const DriverError& error : errors) ReportError(error);
    if (frame && onFrame_ != nullptr) {
      VIDEOHDR header{};
      header.lpData = frame->data;
      header.dwBufferLength = frame->size;
      header.dwBytesUsed = frame->size;
      header.dwTimeCaptured = frame->timeCaptured;
      onFrame_(hwnd_, &header);
    }
  } catch (...) {
    failure = std::current_exception();
  }
  if (failure) std::rethrow_exception(failure);
  return frame ? TRUE : FALSE;
}

}  // namespace platform::capture
