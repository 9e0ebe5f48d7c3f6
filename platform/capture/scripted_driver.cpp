#include "platform/capture/scripted_driver.h"

#include <variant>

namespace platform::capture {

ScriptedDriver::ScriptedDriver(std::shared_ptr<DriverScript> script, unsigned index)
    : script_(std::move(script)), index_(index) {}

ScriptedDriver::~ScriptedDriver() {
  if (connected_) Disconnect();
}

std::optional<DriverError> ScriptedDriver::Connect() {
  script_->connects.push_back(index_);
  if (script_->connectRefusal) return DriverError{kErrorCannotOpen, *script_->connectRefusal};
  connected_ = true;
  return std::nullopt;
}

void ScriptedDriver::Disconnect() {
  ++script_->disconnects;
  connected_ = false;
}

std::optional<DriverError> ScriptedDriver::SetFormat(std::span<const BYTE> request) {
  script_->formatRequests.emplace_back(request.begin(), request.end());
  if (script_->formatRefusal) return DriverError{kErrorFormatRefused, *script_->formatRefusal};
  if (script_->adoptAcceptedFormat) {
    auto checked = CheckFormatRequest(request);
    if (auto* refusal = std::get_if<std::string>(&checked)) return DriverError{kErrorFormatRefused, *refusal};
    script_->format = FormatBlock(std::get<FrameLayout>(checked));
  }
  return std::nullopt;
}

std::optional<Frame> ScriptedDriver::Grab(std::vector<DriverError>& errors) {
  ++script_->grabs;
  errors.insert(errors.end(), script_->grabErrors.begin(), script_->grabErrors.end());
  script_->grabErrors.clear();
  if (!connected_ || !script_->frame) return std::nullopt;
  script_->delivered = *script_->frame;
  return Frame{script_->delivered.data(), static_cast<DWORD>(script_->delivered.size()),
               static_cast<DWORD>(script_->grabs)};
}

DriverFactory ScriptedDriverFactory(std::shared_ptr<DriverScript> script, unsigned index) {
  return [script = std::move(script), index](unsigned asked) -> std::unique_ptr<CaptureDriver> {
    if (asked != index) return nullptr;
    return std::make_unique<ScriptedDriver>(script, asked);
  };
}

}  // namespace platform::capture
