#pragma once
// The GStreamer driver: a camera of the device monitor, a V4L2 device path, the built-in
// test pattern or any GStreamer source description, played into an appsink that keeps
// only the newest frame:
//   source ! videoconvert ! videoscale ! capsfilter (the delivered format)
//          ! appsink max-buffers=1 drop=true sync=false
// Each grab copies the newest frame into the driver's own buffer, turning the rows bottom-up.
// GStreamer's threads never call into this class: the GUI thread polls the bus and pulls
// samples during grabs.
#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "platform/capture/capture_driver.h"
#include "platform/capture/dib_format.h"
#include "platform/capture/driver_list.h"
#include "platform/capture/gst_support.h"

#include <gst/video/video.h>

namespace platform::capture {

class GstCaptureDriver final : public CaptureDriver {
 public:
  // How long Connect waits for the source's first frame.
  static constexpr std::chrono::milliseconds kStartTimeout{5000};
  // How long a failed or ended source rests before it is opened again.
  static constexpr std::chrono::milliseconds kReopenDelay{1000};

  explicit GstCaptureDriver(DriverEntry source);
  ~GstCaptureDriver() override;

  std::optional<DriverError> Connect() override;
  void Disconnect() override;
  std::span<const BYTE> Format() const override { return format_; }
  std::optional<DriverError> SetFormat(std::span<const BYTE> request) override;
  std::optional<Frame> Grab(std::vector<DriverError>& errors) override;

 private:
  enum class State {
    Stopped,  // no pipeline
    Running,  // playing, or starting again after a failure
    Resting,  // failed or ended; opened again at retryAt_
  };

  std::optional<std::string> Build();
  // What the capture caps ask for now: the request, or the source's own size at 24 bits.
  GstCaps* WantedCaps() const;
  void ApplyCaps();
  std::optional<std::string> StartAndWait();
  void DropBusMessages();
  void HandleBus(std::vector<DriverError>& errors);
  void Rest(std::vector<DriverError>& errors, int id, std::string text);
  BYTE* TakeSample(GstSample* sample);
  void SetLayout(const FrameLayout& layout);

  DriverEntry source_;
  GstObjectPtr<GstElement> pipeline_;  // owned; null while Stopped
  GstObjectPtr<GstElement> caps_;      // the capsfilter inside pipeline_ (one reference of ours)
  GstObjectPtr<GstElement> sink_;      // the appsink inside pipeline_ (one reference of ours)
  GstObjectPtr<GstBus> bus_;           // pipeline_'s bus, polled on the GUI thread

  std::optional<FrameLayout> requested_;  // the accepted request; none: the source's own size, 24 bits
  FrameLayout layout_;                    // what frames are delivered as
  std::vector<BYTE> format_;              // FormatBlock(layout_)
  std::vector<BYTE> copy_;                // the delivered frame: ours, writable, bottom-up

  State state_ = State::Stopped;
  bool failureReported_ = false;  // an error went out since the last delivered frame
  std::chrono::steady_clock::time_point retryAt_;
  std::chrono::steady_clock::time_point connectedAt_;
};

}  // namespace platform::capture
