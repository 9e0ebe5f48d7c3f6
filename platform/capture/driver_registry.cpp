#include "platform/capture/driver_registry.h"

#include "platform/capture/gst_driver.h"

namespace platform::capture {

namespace {

DriverFactory& TestingFactory() {
  static DriverFactory factory;
  return factory;
}

}  // namespace

std::unique_ptr<CaptureDriver> MakeDriverForEntry(const DriverEntry& entry) {
  return std::make_unique<GstCaptureDriver>(entry);
}

std::variant<std::unique_ptr<CaptureDriver>, DriverError> MakeDriver(unsigned index) {
  if (const DriverFactory& factory = TestingFactory()) {
    if (auto driver = factory(index)) return driver;
    return DriverError{kErrorNoDriver, "No capture driver at driver index " + std::to_string(index)};
  }
  const DriverList list = CurrentDriverList();
  if (index >= list.entries.size()) return DriverError{kErrorNoDriver, MissingDriverText(list, index)};
  return MakeDriverForEntry(list.entries[index]);
}

void SetDriverFactoryForTesting(DriverFactory factory) { TestingFactory() = std::move(factory); }

}  // namespace platform::capture
