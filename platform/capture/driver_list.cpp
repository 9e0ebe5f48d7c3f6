#include "platform/capture/driver_list.h"

#include <cstdlib>

#include "platform/capture/gst_support.h"

namespace platform::capture {

namespace {

std::string_view Trim(std::string_view text) {
  constexpr std::string_view kBlanks = " \t\r\n";
  const auto first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(kBlanks);
  return text.substr(first, last - first + 1);
}

constexpr std::string_view kDescriptionPrefix = "gst:";

}  // namespace

std::string DriverEntry::Label() const {
  switch (kind) {
    case Kind::Device: return text;
    case Kind::DevicePath: return text;
    case Kind::TestPattern: return "the test pattern";
    case Kind::Description: return "GStreamer source '" + text + "'";
  }
  return text;
}

std::vector<DriverEntry> ParseDriverList(std::string_view value) {
  std::vector<DriverEntry> entries;
  while (true) {
    const auto end = value.find(';');
    const std::string_view entry = Trim(value.substr(0, end));
    if (entry == "test") {
      entries.push_back({DriverEntry::Kind::TestPattern, "test", nullptr});
    } else if (entry.starts_with(kDescriptionPrefix)) {
      entries.push_back(
          {DriverEntry::Kind::Description, std::string(Trim(entry.substr(kDescriptionPrefix.size()))), nullptr});
    } else if (!entry.empty()) {
      entries.push_back({DriverEntry::Kind::DevicePath, std::string(entry), nullptr});
    }
    if (end == std::string_view::npos) break;
    value.remove_prefix(end + 1);
  }
  return entries;
}

namespace {

std::vector<DriverEntry> MonitoredDevices() {
  EnsureGstInitialised();
  GstObjectPtr<GstDeviceMonitor> monitor(gst_device_monitor_new());
  gst_device_monitor_add_filter(monitor.get(), "Video/Source", nullptr);
  std::vector<DriverEntry> entries;
  GList* devices = gst_device_monitor_get_devices(monitor.get());
  for (GList* item = devices; item != nullptr; item = item->next) {
    auto* device = static_cast<GstDevice*>(item->data);
    gchar* name = gst_device_get_display_name(device);
    std::string label = name != nullptr ? name : "video device";
    g_free(name);
    if (GstStructure* properties = gst_device_get_properties(device)) {
      const gchar* path = gst_structure_get_string(properties, "device.path");
      if (path == nullptr) path = gst_structure_get_string(properties, "api.v4l2.path");
      if (path != nullptr) label += std::string(" (") + path + ")";
      gst_structure_free(properties);
    }
    // The list's reference passes to the entry.
    entries.push_back({DriverEntry::Kind::Device, label, std::shared_ptr<GstDevice>(device, GstObjectUnref{})});
  }
  g_list_free(devices);
  return entries;
}

}  // namespace

DriverList CurrentDriverList() {
  const char* value = std::getenv(kDriverListVariable);
  if (value != nullptr && !Trim(value).empty()) return {ParseDriverList(value), true};
  return {MonitoredDevices(), false};
}

std::string MissingDriverText(const DriverList& list, unsigned index) {
  const std::string at = "driver index " + std::to_string(index);
  if (list.fromVariable) {
    return "No capture driver at " + at + ": " + kDriverListVariable + " lists " +
           std::to_string(list.entries.size()) + (list.entries.size() == 1 ? " entry" : " entries");
  }
  if (list.entries.empty()) {
    return "No capture device found (" + at + "); set " + kDriverListVariable + ", e.g. " +
           kDriverListVariable + "=test";
  }
  return "No capture device at " + at + ": " + std::to_string(list.entries.size()) + " found, the first is " +
         list.entries.front().Label();
}

}  // namespace platform::capture
