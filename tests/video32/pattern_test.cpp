// The control on real GStreamer sources: the built-in moving test pattern (CAPTURE_DRIVERS=test)
// delivers differing frames in the requested format, and a source that ends stops the frames,
// says so through the error callback, and resumes on its own.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <set>
#include <thread>
#include <vector>

#include "platform/capture/driver_registry.h"
#include "video_test_support.h"

namespace {

using video_test::VideoFixture;

class PatternTest : public VideoFixture {
 protected:
  void SetUp() override {
    VideoFixture::SetUp();
    if (const char* old = std::getenv("CAPTURE_DRIVERS")) saved_ = old;
    setenv("CAPTURE_DRIVERS", "test", 1);
    platform::capture::SetDriverFactoryForTesting(nullptr);
  }
  void TearDown() override {
    VideoFixture::TearDown();
    if (saved_.empty()) unsetenv("CAPTURE_DRIVERS"); else setenv("CAPTURE_DRIVERS", saved_.c_str(), 1);
  }
  std::string saved_;
};

struct Frames {
  std::vector<std::vector<BYTE>> seen;
  int hdrSize = 0;
  void Frame(TDateTime, PBITMAPINFOHEADER h, int hSize, char* bits, int size) {
    hdrSize = hSize;
    if (h->biWidth == 160 && h->biHeight == 120 && size > 0)
      seen.emplace_back(reinterpret_cast<BYTE*>(bits), reinterpret_cast<BYTE*>(bits) + size);
  }
};

TEST_F(PatternTest, FramesArriveInTheRequestedFormatAndDiffer) {
  video->Connect(1, 0);
  ASSERT_TRUE(video->Connected());
  BITMAPINFOHEADER h{};
  TVideoTestAccess::GetFormat(*video, h);
  EXPECT_EQ(h.biWidth, 160);
  EXPECT_EQ(h.biHeight, 120);
  EXPECT_EQ(h.biBitCount, 16);
  EXPECT_EQ(h.biSizeImage, 160u * 2u * 120u);

  Frames frames;
  video->SetOnVideoFrame(TOnVideoFrame::Of<&Frames::Frame>(&frames));
  // Grabs never wait for a frame; poll for a few seconds at most.
  for (int i = 0; i < 200 && frames.seen.size() < 4; ++i) {
    TVideoTestAccess::GrabFrame(*video);
    std::this_thread::sleep_for(std::chrono::milliseconds(25));
  }
  ASSERT_GE(frames.seen.size(), 4u) << "the test pattern delivered too few frames";
  EXPECT_EQ(frames.hdrSize, 40);
  const std::set<std::vector<BYTE>> distinct(frames.seen.begin(), frames.seen.end());
  EXPECT_GT(distinct.size(), 1u) << "every frame was the same";
  EXPECT_TRUE(TVideoTestAccess::Timer(*video)->Enabled());
}

struct Timeline {
  int frames = 0;
  void Frame(TDateTime, PBITMAPINFOHEADER, int, char*, int) { ++frames; }
};

TEST_F(PatternTest, ASourceThatEndsStopsTheFramesAndTheyResumeWhenItIsBack) {
  // Eight frames a run; the driver opens the source again about a second after its end.
  const std::string source = "videotestsrc is-live=true num-buffers=8";
  setenv("CAPTURE_DRIVERS", ("gst:" + source).c_str(), 1);
  video->Connect(1, 0);
  ASSERT_TRUE(video->Connected());
  Timeline timeline;
  video->SetOnVideoFrame(TOnVideoFrame::Of<&Timeline::Frame>(&timeline));
  auto grabUntil = [&](auto done) {
    for (int i = 0; i < 400 && !done(); ++i) {
      TVideoTestAccess::GrabFrame(*video);
      std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
    return done();
  };
  const std::string ended = "GStreamer source '" + source + "' ended";
  ASSERT_TRUE(grabUntil([&] { return std::string(TVideoTestAccess::ErrorText(*video)) == ended; }))
      << "the end was not reported; text: " << TVideoTestAccess::ErrorText(*video);
  const int beforeEnd = timeline.frames;
  EXPECT_GT(beforeEnd, 0);
  EXPECT_LE(beforeEnd, 8);
  // While the source rests, grabs raise no event.
  for (int i = 0; i < 8; ++i) {
    TVideoTestAccess::GrabFrame(*video);
    std::this_thread::sleep_for(std::chrono::milliseconds(25));
  }
  EXPECT_EQ(timeline.frames, beforeEnd);
  ASSERT_TRUE(grabUntil([&] { return timeline.frames > beforeEnd; })) << "frames did not resume";
  EXPECT_STREQ(TVideoTestAccess::ErrorText(*video), "");  // cleared once frames come again
  EXPECT_TRUE(TVideoTestAccess::Timer(*video)->Enabled());
}

}  // namespace
