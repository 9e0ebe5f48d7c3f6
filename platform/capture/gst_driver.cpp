#include "platform/capture/gst_driver.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include <gst/app/gstappsink.h>
#include <gst/video/video.h>

#include "platform/gdi/pixel_path.h"

namespace platform::capture {

namespace {

using Clock = std::chrono::steady_clock;

constexpr const char* kConvertName = "capture_convert";
constexpr const char* kCapsName = "capture_caps";
constexpr const char* kSinkName = "capture_sink";
// GStreamer's rows run top-down; DIB rows bottom-up. The copy into our own frame buffer
// (needed anyway: appsink keeps a reference to every buffer it hands out, so none is ever
// writable) turns them round, which costs nothing more than the copy. A videoflip element
// would add a whole pass and keep sources from delivering RGB directly. Dithering would make
// solid colours noisy at 16 bits and frames differ where the scene does not.
constexpr const char* kTail =
    "videoconvert name=capture_convert dither=none ! videoscale"
    " ! capsfilter name=capture_caps"
    " ! appsink name=capture_sink max-buffers=1 drop=true sync=false enable-last-sample=false";
// SMPTE bars scrolling sideways: every frame differs, and videotestsrc draws them straight
// in the delivered RGB format (its ball pattern costs three times as much at 1920 x 1080).
constexpr const char* kTestPattern = "videotestsrc is-live=true pattern=smpte horizontal-speed=2";

// What GStreamer delivers for each depth. 16-bit frames come as BGRx and are packed to
// x1r5g5b5 by our own copy: GStreamer scales and packs RGB15 through its generic unpack/pack
// path, which measured 0.49 ms a frame for 640 x 480 to 400 x 300 against 0.31 ms for BGRx,
// and our vector pack costs about 0.01 ms more. 8 bits are mapped to the palette from BGR.
const char* GstFormatName(WORD bitCount) { return bitCount == 16 || bitCount == 32 ? "BGRx" : "BGR"; }

GstVideoFormat GstFormat(WORD bitCount) {
  return bitCount == 16 || bitCount == 32 ? GST_VIDEO_FORMAT_BGRx : GST_VIDEO_FORMAT_BGR;
}

std::string MessageText(GstMessage* message) {
  GError* error = nullptr;
  gchar* debug = nullptr;
  gst_message_parse_error(message, &error, &debug);
  g_free(debug);
  return TakeErrorText(error, "unknown error");
}

std::string SizeText(const FrameLayout& layout) {
  return std::to_string(layout.width) + " x " + std::to_string(layout.height) + " at " +
         std::to_string(layout.bitCount) + " bits";
}

}  // namespace

GstCaptureDriver::GstCaptureDriver(DriverEntry source) : source_(std::move(source)) {}

GstCaptureDriver::~GstCaptureDriver() { Disconnect(); }

std::optional<std::string> GstCaptureDriver::Build() {
  EnsureGstInitialised();
  const bool camera = source_.kind == DriverEntry::Kind::DevicePath || source_.kind == DriverEntry::Kind::Device;
  std::string description = kTail;
  if (!camera) {
    if (source_.text.empty()) return "the GStreamer description is empty";
    // One parse of the whole chain lets GStreamer link sources whose pads appear later.
    description = (source_.kind == DriverEntry::Kind::TestPattern ? kTestPattern : source_.text) + " ! " + kTail;
  }
  GError* error = nullptr;
  GstElement* parsed = gst_parse_launch_full(description.c_str(), nullptr, GST_PARSE_FLAG_FATAL_ERRORS, &error);
  if (parsed == nullptr) return TakeErrorText(error, "the description cannot be parsed");
  if (error != nullptr) g_error_free(error);
  GstObjectPtr<GstElement> pipeline(GST_ELEMENT(gst_object_ref_sink(parsed)));

  if (camera) {
    GstElement* element = nullptr;
    if (source_.kind == DriverEntry::Kind::Device) {
      element = gst_device_create_element(source_.device.get(), nullptr);
    } else if ((element = gst_element_factory_make("v4l2src", nullptr)) != nullptr) {
      g_object_set(element, "device", source_.text.c_str(), nullptr);
    }
    if (element == nullptr) return "GStreamer cannot make a source element for it";
    gst_bin_add(GST_BIN(pipeline.get()), element);  // the pipeline takes the element's floating reference
    GstObjectPtr<GstElement> convert(gst_bin_get_by_name(GST_BIN(pipeline.get()), kConvertName));
    if (!gst_element_link(element, convert.get())) return "its output cannot be linked to the video converter";
  }

  caps_.reset(gst_bin_get_by_name(GST_BIN(pipeline.get()), kCapsName));
  sink_.reset(gst_bin_get_by_name(GST_BIN(pipeline.get()), kSinkName));
  bus_.reset(gst_element_get_bus(pipeline.get()));
  pipeline_ = std::move(pipeline);
  return std::nullopt;
}

GstCaps* GstCaptureDriver::WantedCaps() const {
  const WORD bitCount = requested_ ? requested_->bitCount : 24;
  GstCaps* caps = gst_caps_new_simple("video/x-raw", "format", G_TYPE_STRING, GstFormatName(bitCount), nullptr);
  if (requested_) {
    gst_caps_set_simple(caps, "width", G_TYPE_INT, static_cast<int>(requested_->width), "height", G_TYPE_INT,
                        static_cast<int>(requested_->height), nullptr);
  }
  return caps;
}

void GstCaptureDriver::ApplyCaps() {
  GstCaps* caps = WantedCaps();
  g_object_set(caps_.get(), "caps", caps, nullptr);
  gst_caps_unref(caps);
}

void GstCaptureDriver::DropBusMessages() {
  while (GstMessage* message = gst_bus_pop(bus_.get())) gst_message_unref(message);
}

// Plays the pipeline and waits until its first frame has reached the sink, so that a source
// that cannot deliver is refused here rather than at some later grab.
std::optional<std::string> GstCaptureDriver::StartAndWait() {
  DropBusMessages();
  if (gst_element_set_state(pipeline_.get(), GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE) {
    std::string reason = "the source cannot be started";
    if (GstMiniPtr<GstMessage> error{gst_bus_pop_filtered(bus_.get(), GST_MESSAGE_ERROR)}) {
      reason = MessageText(error.get());
    }
    gst_element_set_state(pipeline_.get(), GST_STATE_NULL);
    return reason;
  }
  const auto deadline = Clock::now() + kStartTimeout;
  GstAppSink* sink = GST_APP_SINK(sink_.get());
  std::optional<std::string> failure;
  while (true) {
    // The preroll sample is the first frame; pulling it leaves the sample queue as it is.
    if (GstMiniPtr<GstSample> first{gst_app_sink_try_pull_preroll(sink, 0)}) {
      GstVideoInfo info;
      if (gst_video_info_from_caps(&info, gst_sample_get_caps(first.get()))) {
        if (!requested_) SetLayout({GST_VIDEO_INFO_WIDTH(&info), GST_VIDEO_INFO_HEIGHT(&info), 24});
        break;
      }
    }
    const auto now = Clock::now();
    if (now >= deadline) {
      failure = "no frame came within " + std::to_string(kStartTimeout.count() / 1000) + " seconds";
      break;
    }
    const auto slice = std::min<Clock::duration>(deadline - now, std::chrono::milliseconds(20));
    GstMiniPtr<GstMessage> message{gst_bus_timed_pop_filtered(
        bus_.get(), std::chrono::duration_cast<std::chrono::nanoseconds>(slice).count(),
        static_cast<GstMessageType>(GST_MESSAGE_ERROR | GST_MESSAGE_EOS))};
    if (message && GST_MESSAGE_TYPE(message.get()) == GST_MESSAGE_ERROR) {
      failure = MessageText(message.get());
      break;
    }
    if (message) {
      failure = "the source ended before its first frame";
      break;
    }
  }
  if (failure) gst_element_set_state(pipeline_.get(), GST_STATE_NULL);
  return failure;
}

void GstCaptureDriver::SetLayout(const FrameLayout& layout) {
  if (layout == layout_ && !format_.empty()) return;
  layout_ = layout;
  format_ = FormatBlock(layout_);
}

std::optional<DriverError> GstCaptureDriver::Connect() {
  Disconnect();
  requested_.reset();
  auto failure = Build();
  if (!failure) {
    ApplyCaps();
    failure = StartAndWait();
  }
  if (failure) {
    Disconnect();
    return DriverError{kErrorCannotOpen, "Cannot open " + source_.Label() + ": " + *failure};
  }
  state_ = State::Running;
  failureReported_ = false;
  connectedAt_ = Clock::now();
  return std::nullopt;
}

void GstCaptureDriver::Disconnect() {
  if (pipeline_) gst_element_set_state(pipeline_.get(), GST_STATE_NULL);
  sink_.reset();
  caps_.reset();
  bus_.reset();
  pipeline_.reset();
  state_ = State::Stopped;
}

std::optional<DriverError> GstCaptureDriver::SetFormat(std::span<const BYTE> request) {
  auto checked = CheckFormatRequest(request);
  if (auto* refusal = std::get_if<std::string>(&checked)) return DriverError{kErrorFormatRefused, *refusal};
  const FrameLayout wanted = std::get<FrameLayout>(checked);
  if (!pipeline_) return DriverError{kErrorNotConnected, "Video format refused: no capture driver is connected"};
  if (requested_ == wanted) return std::nullopt;

  // The request is proven by asking the scaler whether it can deliver it from what the source
  // gives, and then applied while the source plays: its next frame comes in the new format.
  // Restarting the source instead measured 21 ms for the test pattern, and a camera closes and
  // opens its device. Frames of the old format still on their way are never handed out.
  const auto previous = requested_;
  requested_ = wanted;
  GstCaps* caps = WantedCaps();
  GstObjectPtr<GstPad> pad(gst_element_get_static_pad(caps_.get(), "sink"));
  GstCaps* possible = gst_pad_peer_query_caps(pad.get(), caps);
  gst_caps_unref(caps);
  const bool deliverable = possible != nullptr && !gst_caps_is_empty(possible);
  if (possible != nullptr) gst_caps_unref(possible);
  if (!deliverable) {
    requested_ = previous;
    return DriverError{kErrorFormatRefused, "Video format " + SizeText(wanted) + " refused by " + source_.Label() +
                                                ": the source cannot be converted to it"};
  }
  ApplyCaps();
  SetLayout(wanted);
  return std::nullopt;
}

void GstCaptureDriver::Rest(std::vector<DriverError>& errors, int id, std::string text) {
  if (!failureReported_) errors.push_back({id, std::move(text)});
  failureReported_ = true;
  gst_element_set_state(pipeline_.get(), GST_STATE_NULL);
  DropBusMessages();
  state_ = State::Resting;
  retryAt_ = Clock::now() + kReopenDelay;
}

void GstCaptureDriver::HandleBus(std::vector<DriverError>& errors) {
  while (state_ == State::Running) {
    GstMiniPtr<GstMessage> message{gst_bus_pop(bus_.get())};
    if (!message) return;
    switch (GST_MESSAGE_TYPE(message.get())) {
      case GST_MESSAGE_ERROR:
        Rest(errors, kErrorSourceFailed, source_.Label() + " failed: " + MessageText(message.get()));
        break;
      case GST_MESSAGE_EOS:
        Rest(errors, kErrorSourceEnded, source_.Label() + " ended");
        break;
      case GST_MESSAGE_CLOCK_LOST:
        // The clock came from an element that went away: choose a new one.
        gst_element_set_state(pipeline_.get(), GST_STATE_PAUSED);
        gst_element_set_state(pipeline_.get(), GST_STATE_PLAYING);
        break;
      default:
        break;  // state changes, stream starts, latency: nothing to do, but never left queued
    }
  }
}

std::optional<Frame> GstCaptureDriver::Grab(std::vector<DriverError>& errors) {
  if (state_ == State::Stopped) return std::nullopt;
  HandleBus(errors);
  if (state_ == State::Resting) {
    if (Clock::now() < retryAt_) return std::nullopt;
    // Opened again without waiting: the frames, or the next failure, show at later grabs.
    if (gst_element_set_state(pipeline_.get(), GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE) {
      gst_element_set_state(pipeline_.get(), GST_STATE_NULL);
      DropBusMessages();
      retryAt_ = Clock::now() + kReopenDelay;
    } else {
      state_ = State::Running;
    }
    return std::nullopt;
  }
  GstMiniPtr<GstSample> sample{gst_app_sink_try_pull_sample(GST_APP_SINK(sink_.get()), 0)};
  if (!sample) return std::nullopt;
  BYTE* data = TakeSample(sample.get());
  if (data == nullptr) return std::nullopt;
  if (failureReported_) {
    errors.push_back({kErrorNone, ""});
    failureReported_ = false;
  }
  const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - connectedAt_);
  return Frame{data, layout_.ImageSize(), static_cast<DWORD>(elapsed.count())};
}

BYTE* GstCaptureDriver::TakeSample(GstSample* sample) {
  GstVideoInfo info;
  GstBuffer* buffer = gst_sample_get_buffer(sample);
  if (buffer == nullptr || !gst_video_info_from_caps(&info, gst_sample_get_caps(sample))) return nullptr;
  const WORD bitCount = requested_ ? requested_->bitCount : 24;
  if (GST_VIDEO_INFO_FORMAT(&info) != GstFormat(bitCount)) return nullptr;
  const FrameLayout delivered{GST_VIDEO_INFO_WIDTH(&info), GST_VIDEO_INFO_HEIGHT(&info), bitCount};
  // With a request the size is fixed; without one the source may change its own size, and
  // the reported format follows before the frame is handed out.
  if (requested_ && !(delivered == *requested_)) return nullptr;
  if (delivered.width < 1 || delivered.height < 1 || delivered.width > kMaxFrameSide ||
      delivered.height > kMaxFrameSide) {
    return nullptr;
  }
  SetLayout(delivered);

  GstVideoFrame video;
  if (!gst_video_frame_map(&video, &info, buffer, GST_MAP_READ)) return nullptr;
  const auto* source = static_cast<const BYTE*>(GST_VIDEO_FRAME_PLANE_DATA(&video, 0));
  const auto sourceStride = static_cast<std::size_t>(GST_VIDEO_FRAME_PLANE_STRIDE(&video, 0));
  const std::size_t stride = layout_.Stride();
  const auto rows = static_cast<std::size_t>(layout_.height);
  const auto width = static_cast<std::size_t>(layout_.width);
  const std::size_t rowBytes = width * (bitCount / 8);
  // Only the pixels of each row are written: the padding is never taken for pixels.
  copy_.resize(layout_.ImageSize());
  const gdi::PixelPath path = gdi::BestPixelPath();
  for (std::size_t row = 0; row < rows; ++row) {
    const BYTE* from = source + row * sourceStride;
    BYTE* to = copy_.data() + (rows - 1 - row) * stride;
    if (bitCount == 8) {
      MapBgrToPalette(from, to, width);
    } else if (bitCount == 16) {
      gdi::Pack555Row(reinterpret_cast<const std::uint32_t*>(from), to, static_cast<int>(width), path);
    } else {
      std::memcpy(to, from, rowBytes);
    }
  }
  gst_video_frame_unmap(&video);
  return copy_.data();
}

}  // namespace platform::capture
