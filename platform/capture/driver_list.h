#pragma once
// The capture driver list: which source each driver index stands for.
#include <memory>
#include <string>
#include <string_view>
#include <vector>

typedef struct _GstDevice GstDevice;

namespace platform::capture {

struct DriverEntry {
  enum class Kind {
    Device,       // a video source found by GStreamer's device monitor
    DevicePath,   // a V4L2 device node, e.g. /dev/video2
    TestPattern,  // the built-in moving test pattern ("test")
    Description,  // a GStreamer source description ("gst:..."), possibly empty
  };
  Kind kind = Kind::TestPattern;
  std::string text;                   // the path, the description, or the device's display name
  std::shared_ptr<GstDevice> device;  // Device only: the monitor's device, one reference held

  // How messages name the source: the path, "the test pattern", "GStreamer source '...'".
  std::string Label() const;
  bool operator==(const DriverEntry& other) const { return kind == other.kind && text == other.text; }
};

constexpr const char* kDriverListVariable = "CAPTURE_DRIVERS";

// The entries of a CAPTURE_DRIVERS value, in order: separated by ';', blanks around an
// entry dropped, empty entries skipped. "test" is the test pattern, "gst:" starts a
// GStreamer description, anything else is a device path.
std::vector<DriverEntry> ParseDriverList(std::string_view value);

struct DriverList {
  std::vector<DriverEntry> entries;
  bool fromVariable = false;  // CAPTURE_DRIVERS gave it, rather than the device monitor
};

// CAPTURE_DRIVERS when it is set and not blank; otherwise the video sources that GStreamer's
// device monitor finds now, in its order.
DriverList CurrentDriverList();

// Why `index` has no entry in `list`, naming what was looked for.
std::string MissingDriverText(const DriverList& list, unsigned index);

}  // namespace platform::capture
