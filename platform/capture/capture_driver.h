#pragma once
// The one interface every capture driver implements. A capture window owns at most one
// connected driver and calls it only from the GUI thread; a driver never calls host code,
// it hands its reports back to the capture window, which passes them to the callbacks.
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/windef.h"

namespace platform::capture {

// Error ids the capture window passes to the error callback. 0 clears the last error.
enum ErrorId : int {
  kErrorNone = 0,
  kErrorNoDriver = 1,        // no driver at the requested index
  kErrorCannotOpen = 2,      // the driver's source could not be opened or did not start
  kErrorFormatRefused = 3,   // a video format request was refused
  kErrorSourceFailed = 4,    // a running source reported an error
  kErrorSourceEnded = 5,     // a running source reached its end
  kErrorNotConnected = 6,    // a request that needs a connected driver came without one
};

struct DriverError {
  int id = kErrorNone;
  std::string text;
};

// A frame handed out by Grab. The bytes belong to the driver: writable, laid out as the
// driver's current format says, valid until the next Grab or Disconnect.
struct Frame {
  BYTE* data = nullptr;
  DWORD size = 0;          // bytes, the biSizeImage of the current format
  DWORD timeCaptured = 0;  // milliseconds since the connection
};

class CaptureDriver {
 public:
  virtual ~CaptureDriver() = default;

  // Opens the source and waits (bounded) until it really delivers. The refusal otherwise.
  virtual std::optional<DriverError> Connect() = 0;
  virtual void Disconnect() = 0;

  // The current video format: a BITMAPINFOHEADER and its colour table, exactly as the
  // frames that Grab delivers are laid out. Valid until the next call to the driver.
  virtual std::span<const BYTE> Format() const = 0;

  // `request` is the caller's whole block (never read past its end). Accepting it makes it
  // the current format; the refusal leaves the format as it was.
  virtual std::optional<DriverError> SetFormat(std::span<const BYTE> request) = 0;

  // The newest frame, when one has come since the last grab; never blocks. Failures of the
  // source met on the way are appended to `errors` (id 0: the source works again).
  virtual std::optional<Frame> Grab(std::vector<DriverError>& errors) = 0;
};

}  // namespace platform::capture
