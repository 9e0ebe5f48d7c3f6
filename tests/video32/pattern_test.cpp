// The control on the built-in moving test pattern (CAPTURE_DRIVERS=test): frames arrive in
// the requested format and differ from one another.
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

}  // namespace
