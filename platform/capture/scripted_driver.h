#pragma once
// A capture driver for tests: it does what its script says and records what it is asked.
// Register it with ScriptedDriverFactory; the script is shared, so a test reads the records
// after the capture window has let go of the driver.
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/capture/capture_driver.h"
#include "platform/capture/dib_format.h"
#include "platform/capture/driver_registry.h"

namespace platform::capture {

struct DriverScript {
  // What the driver does.
  std::optional<std::string> connectRefusal;  // Connect refuses with this text (id kErrorCannotOpen)
  std::optional<std::string> formatRefusal;   // SetFormat refuses with this text (id kErrorFormatRefused)
  std::vector<BYTE> format = FormatBlock({320, 240, 24});  // reported byte for byte, any size, even under 40
  // When set, an accepted request becomes the reported format (its true padded size), and a
  // request that real drivers refuse is refused with their text.
  bool adoptAcceptedFormat = false;
  std::optional<std::vector<BYTE>> frame;  // what every grab delivers; none: grabs deliver nothing
  std::vector<DriverError> grabErrors;     // reported by the next grab, then emptied

  // What it was asked.
  std::vector<unsigned> connects;                 // the driver index of every Connect
  int disconnects = 0;                            // Disconnect calls, the destructor's included
  std::vector<std::vector<BYTE>> formatRequests;  // every SetFormat request, byte for byte
  int grabs = 0;

  // The buffer the last grab handed out (a copy of `frame`, writable); stays after the driver goes.
  std::vector<BYTE> delivered;
};

class ScriptedDriver final : public CaptureDriver {
 public:
  ScriptedDriver(std::shared_ptr<DriverScript> script, unsigned index);
  ~ScriptedDriver() override;

  std::optional<DriverError> Connect() override;
  void Disconnect() override;
  std::span<const BYTE> Format() const override { return script_->format; }
  std::optional<DriverError> SetFormat(std::span<const BYTE> request) override;
  std::optional<Frame> Grab(std::vector<DriverError>& errors) override;

 private:
  std::shared_ptr<DriverScript> script_;
  unsigned index_;
  bool connected_ = false;
};

// A factory for SetDriverFactoryForTesting that serves `index` with a ScriptedDriver over
// `script`; other indexes have no driver.
DriverFactory ScriptedDriverFactory(std::shared_ptr<DriverScript> script, unsigned index = 0);

}  // namespace platform::capture
