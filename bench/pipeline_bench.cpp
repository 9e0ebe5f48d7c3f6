// CPU time per frame of TVideo's pipeline as the viewer runs it, beside GStreamer's own
// videotestsrc ! clockoverlay ! videoconvert ! videoscale ! appsink at the same sizes.
// Ours: a fixed 16-bit source (the scripted driver delivering one pre-made frame, copied at
// every grab), grabs driven directly, the stamp burnt in, the bitmap event copying into a
// TPicture, the raw event drawing the frame with DrawFrame onto an offscreen 1280 x 960
// bitmap. CPU time is the whole process's (every thread), so GStreamer's threads count.
// Resident memory is printed before and after the frames of each size.
//   pipeline_bench [frames] [WxH]   (default 10000 per size, every size; the reference runs at
//   most 1000 frames)
#include <time.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "framework/bitmap.h"
#include "framework/brush.h"
#include "framework/canvas.h"
#include "framework/font.h"
#include "framework/form.h"
#include "framework/graphics.h"
#include "framework/picture.h"
#include "platform/capture/driver_registry.h"
#include "platform/capture/scripted_driver.h"
#include "runtime/datetime.h"
#include "runtime/formatdatetime.h"
#include "video32/video32.h"

// After ours: GLib defines TRUE and FALSE as macros, which our own declarations of them would meet.
#include <gst/app/gstappsink.h>
#include <gst/gst.h>

class TVideoTestAccess {
 public:
  static void GrabFrame(TVideo& v) { v.GrabFrame(nullptr); }
};

namespace {

double CpuSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

long ResidentKiB() {
  std::ifstream statm("/proc/self/statm");
  long size = 0, resident = 0;
  statm >> size >> resident;
  return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// A 16-bit x1r5g5b5 bottom-up frame with colour bars and a gradient, as a camera might give.
std::vector<BYTE> MakeFrame(int width, int height) {
  const std::size_t stride = static_cast<std::size_t>((width * 2 + 3) & ~3);
  std::vector<BYTE> frame(stride * static_cast<std::size_t>(height), 0);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const int bar = x * 8 / width;
      const unsigned r = (bar & 4) ? 31 : (y * 31 / height), g = (bar & 2) ? 31 : 8, b = (bar & 1) ? 31 : 4;
      const auto v = static_cast<std::uint16_t>((r << 10) | (g << 5) | b);
      BYTE* p = frame.data() + static_cast<std::size_t>(y) * stride + static_cast<std::size_t>(x) * 2;
      p[0] = static_cast<BYTE>(v & 0xFF);
      p[1] = static_cast<BYTE>(v >> 8);
    }
  return frame;
}

// The viewer's handlers: the stamp, a copy of the bitmap into its picture, the frame drawn
// scaled over its client area.
struct Viewer {
  TVideo* video = nullptr;
  TPicture picture;
  TBitmap client;
  long frames = 0;
  void Stamp(std::string& value) { value = FormatDateTime("dd-mmmm-yyyy  hh:nn", Now()); }
  void FrameBmp(TDateTime, TBitmap* bitmap) { picture.Bitmap()->Assign(bitmap); }
  void Frame(TDateTime, PBITMAPINFOHEADER header, int, char*, int) {
    video->DrawFrame(client.Canvas()->Handle(), 0, 0, 1280, 960, 0, 0, header->biWidth, header->biHeight);
    ++frames;
  }
};

struct OursResult {
  double msPerFrame = 0;
  long rssBefore = 0;
  long rssAfter = 0;
  long frames = 0;
};

OursResult RunOurs(int width, int height, long frames) {
  auto script = std::make_shared<platform::capture::DriverScript>();
  script->adoptAcceptedFormat = true;
  script->frame = MakeFrame(width, height);
  platform::capture::SetDriverFactoryForTesting(platform::capture::ScriptedDriverFactory(script, 0));

  auto form = std::make_unique<TForm>(nullptr);
  auto* video = new TVideo(form.get());
  video->SetParent(form.get());
  video->SetWidth(width);
  video->SetHeight(height);
  video->Font()->SetColor(clYellow);
  video->Font()->SetSize(16);
  video->Brush()->SetStyle(bsClear);

  Viewer viewer;
  viewer.video = video;
  viewer.client.SetWidth(1280);
  viewer.client.SetHeight(960);
  video->SetOnVideoStamp(TOnVideoStamp::Of<&Viewer::Stamp>(&viewer));
  video->SetOnVideoFrameBmp(TOnVideoFrameBmp::Of<&Viewer::FrameBmp>(&viewer));
  video->SetOnVideoFrame(TOnVideoFrame::Of<&Viewer::Frame>(&viewer));
  video->Connect(1, 0);

  // A few frames first, so that the work bitmap, the picture and the caches exist.
  for (int i = 0; i < 20; ++i) TVideoTestAccess::GrabFrame(*video);
  OursResult result;
  result.rssBefore = ResidentKiB();
  const long start = viewer.frames;
  const double t0 = CpuSeconds();
  for (long i = 0; i < frames; ++i) TVideoTestAccess::GrabFrame(*video);
  const double t1 = CpuSeconds();
  result.rssAfter = ResidentKiB();
  result.frames = viewer.frames - start;
  result.msPerFrame = result.frames > 0 ? (t1 - t0) * 1000.0 / static_cast<double>(result.frames) : 0;
  form.reset();
  platform::capture::SetDriverFactoryForTesting(nullptr);
  return result;
}

double RunReference(int width, int height, long frames) {
  const std::string description =
      "videotestsrc num-buffers=" + std::to_string(frames + 20) + " ! video/x-raw,format=BGRx,width=" +
      std::to_string(width) + ",height=" + std::to_string(height) +
      " ! clockoverlay time-format=\"%d-%B-%Y  %H:%M\" ! videoconvert ! videoscale ! "
      "video/x-raw,width=1280,height=960 ! appsink name=sink sync=false";
  GError* error = nullptr;
  GstElement* pipeline = gst_parse_launch(description.c_str(), &error);
  if (pipeline == nullptr) {
    std::fprintf(stderr, "reference pipeline: %s\n", error != nullptr ? error->message : "?");
    if (error != nullptr) g_error_free(error);
    return 0;
  }
  GstElement* sink = gst_bin_get_by_name(GST_BIN(pipeline), "sink");
  gst_element_set_state(pipeline, GST_STATE_PLAYING);
  auto pull = [&] {
    GstSample* sample = gst_app_sink_pull_sample(GST_APP_SINK(sink));
    if (sample == nullptr) return false;
    gst_sample_unref(sample);
    return true;
  };
  for (int i = 0; i < 20; ++i) pull();
  const double t0 = CpuSeconds();
  long got = 0;
  while (got < frames && pull()) ++got;
  const double t1 = CpuSeconds();
  gst_element_set_state(pipeline, GST_STATE_NULL);
  gst_object_unref(sink);
  gst_object_unref(pipeline);
  return got > 0 ? (t1 - t0) * 1000.0 / static_cast<double>(got) : 0;
}

}  // namespace

int main(int argc, char** argv) {
  // No display needed: SDL's offscreen driver serves the form that parents the control.
  setenv("SDL_VIDEODRIVER", "offscreen", 0);
  gst_init(&argc, &argv);
  const long requested = argc > 1 ? std::atol(argv[1]) : 10000;
  struct Size {
    int width, height;
    long frames;
  };
  const Size sizes[] = {{400, 300, requested}, {640, 480, requested}, {1280, 720, requested}, {1920, 1080, requested}};
  const std::string only = argc > 2 ? argv[2] : "";
  for (const Size& s : sizes) {
    if (!only.empty() && only != std::to_string(s.width) + "x" + std::to_string(s.height)) continue;
    const OursResult ours = RunOurs(s.width, s.height, s.frames);
    const double reference = RunReference(s.width, s.height, std::min(s.frames, 1000L));
    std::printf("pipeline %dx%d: ours %.3f ms, reference %.3f ms, ratio %.2f\n", s.width, s.height, ours.msPerFrame,
                reference, reference > 0 ? ours.msPerFrame / reference : 0.0);
    std::printf("  resident memory over %ld frames: %ld KiB before, %ld KiB after\n", ours.frames, ours.rssBefore,
                ours.rssAfter);
    std::fflush(stdout);
  }
  return 0;
}
