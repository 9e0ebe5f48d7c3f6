#pragma once
// The one place that decides which driver implementation serves a driver index.
#include <functional>
#include <memory>
#include <variant>

#include "platform/capture/capture_driver.h"
#include "platform/capture/driver_list.h"

namespace platform::capture {

// The driver for an entry of the driver list: the GStreamer driver for devices, device paths
// and descriptions, the same driver over the built-in test pattern for "test".
std::unique_ptr<CaptureDriver> MakeDriverForEntry(const DriverEntry& entry);

// The driver (not yet connected) for a driver index, or the refusal naming what is missing.
std::variant<std::unique_ptr<CaptureDriver>, DriverError> MakeDriver(unsigned index);

// Makes the driver for an index; null when there is none at that index.
using DriverFactory = std::function<std::unique_ptr<CaptureDriver>(unsigned index)>;

// Tests only: connections take their driver from `factory` instead of the driver list.
// An empty factory restores the driver list.
void SetDriverFactoryForTesting(DriverFactory factory);

}  // namespace platform::capture
