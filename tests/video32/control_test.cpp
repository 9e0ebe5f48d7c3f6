// The control on its own: a new control's state, the Fps setter, Brush and Font by copy,
// painting in design mode, and destruction.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "framework/brush.h"
#include "framework/font.h"
#include "framework/graphics.h"
#include "platform/window/window_testing.h"
#include "runtime/exception.h"
#include "video_test_support.h"

namespace {

using video_test::TimerRecorder;
using video_test::VideoFixture;

using ControlTest = VideoFixture;

TEST_F(ControlTest, NewControlStartsDisconnectedWithADisabledTimerAt15Fps) {
  EXPECT_EQ(video->Width(), 160);
  EXPECT_EQ(video->Height(), 120);
  EXPECT_EQ(video->Fps(), 15);
  TTimer* timer = TVideoTestAccess::Timer(*video);
  ASSERT_NE(timer, nullptr);
  EXPECT_FALSE(timer->Enabled());
  EXPECT_EQ(timer->Interval(), 66u);
  EXPECT_EQ(timer->OnTimer(), TVideoTestAccess::GrabFrameEvent(*video));
  EXPECT_EQ(timer->Owner(), video);
  EXPECT_FALSE(video->Connected());
  EXPECT_FALSE(video->Transparent());
  EXPECT_FALSE(video->OnVideoFrame().Assigned());
  EXPECT_FALSE(video->OnVideoFrameBmp().Assigned());
  EXPECT_FALSE(video->OnVideoStamp().Assigned());
  EXPECT_STREQ(TVideoTestAccess::ErrorText(*video), "");
  EXPECT_EQ(TVideoTestAccess::Format(*video), nullptr);
  EXPECT_EQ(TVideoTestAccess::CapWnd(*video), nullptr);
  EXPECT_EQ(TVideoTestAccess::DrawDib(*video), nullptr);
  EXPECT_EQ(TVideoTestAccess::Bits(*video), nullptr);
  // No system timer ever ran for it.
  EXPECT_TRUE(TimerRecorder::Instance().started.empty());
  EXPECT_EQ(video->Owner(), form);
}

struct FpsCase {
  int fps;
  std::uint32_t interval;
};

class FpsTest : public VideoFixture, public ::testing::WithParamInterface<FpsCase> {};

TEST_P(FpsTest, IntervalIsThousandDivFpsReadAsUnsigned) {
  const FpsCase c = GetParam();
  video->SetFps(c.fps);
  EXPECT_EQ(video->Fps(), c.fps);
  EXPECT_EQ(TVideoTestAccess::Timer(*video)->Interval(), c.interval);
  EXPECT_FALSE(TVideoTestAccess::Timer(*video)->Enabled());
}

INSTANTIATE_TEST_SUITE_P(Table, FpsTest,
                         ::testing::Values(FpsCase{2, 500}, FpsCase{3, 333}, FpsCase{7, 142}, FpsCase{15, 66},
                                           FpsCase{1000, 1}, FpsCase{501, 1}, FpsCase{1001, 0},
                                           FpsCase{-3, 4294967296u - 333u}, FpsCase{-1000, 4294967295u},
                                           FpsCase{-1001, 0}));

TEST_F(ControlTest, FpsZeroRaisesDivisionByZeroAndKeepsTheInterval) {
  video->SetFps(4);
  try {
    video->SetFps(0);
    FAIL() << "no exception";
  } catch (const EDivByZero& e) {
    EXPECT_EQ(e.Message(), "Division by zero");
  }
  EXPECT_EQ(video->Fps(), 0);
  EXPECT_EQ(TVideoTestAccess::Timer(*video)->Interval(), 250u);
}

TEST_F(ControlTest, FpsWhileRunningRestartsOnlyForAnotherInterval) {
  TTimer* timer = TVideoTestAccess::Timer(*video);
  timer->SetEnabled(true);
  auto& rec = TimerRecorder::Instance();
  ASSERT_EQ(rec.started, (std::vector<UINT>{66}));
  video->SetFps(15);  // same quotient: the countdown goes on
  video->SetFps(14);  // 1000 div 14 = 71: a new interval
  EXPECT_EQ(rec.started, (std::vector<UINT>{66, 71}));
  video->SetFps(1001);  // interval 0: the system timer stops, none starts
  EXPECT_EQ(rec.started, (std::vector<UINT>{66, 71}));
  EXPECT_EQ(rec.stopped, 2);
}

TEST_F(ControlTest, BrushAndFontAreCopiedNotShared) {
  TBrush brush;
  brush.SetColor(clRed);
  brush.SetStyle(bsClear);
  video->SetBrush(&brush);
  EXPECT_NE(video->Brush(), &brush);
  EXPECT_EQ(video->Brush()->Color(), clRed);
  EXPECT_EQ(video->Brush()->Style(), bsClear);
  brush.SetColor(clBlue);
  EXPECT_EQ(video->Brush()->Color(), clRed);

  TFont font;
  font.SetColor(clYellow);
  font.SetName("DejaVu Sans");
  font.SetSize(14);
  video->SetFont(&font);
  EXPECT_NE(video->Font(), &font);
  EXPECT_EQ(video->Font()->Color(), clYellow);
  EXPECT_EQ(video->Font()->Name(), "DejaVu Sans");
  EXPECT_EQ(video->Font()->Size(), 14);
  font.SetColor(clLime);
  EXPECT_EQ(video->Font()->Color(), clYellow);
}

TEST_F(ControlTest, BrushFromNilAndFontFromABrushAreRefused) {
  video->Brush()->SetColor(clLime);
  try {
    video->SetBrush(nullptr);
    FAIL() << "no exception";
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "Cannot assign a nil to a TBrush");
  }
  EXPECT_EQ(video->Brush()->Color(), clLime);

  video->Font()->SetColor(clRed);
  // The setter's parameter is typed, so a brush reaches the copy only through Assign itself.
  TBrush brush;
  try {
    video->Font()->Assign(&brush);
    FAIL() << "no exception";
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "Cannot assign a TBrush to a TFont");
  }
  EXPECT_EQ(video->Font()->Color(), clRed);
}

TEST_F(ControlTest, TransparentIsAPlainField) {
  video->SetTransparent(true);
  EXPECT_TRUE(video->Transparent());
  EXPECT_TRUE(TimerRecorder::Instance().started.empty());
  EXPECT_EQ(TVideoTestAccess::CapWnd(*video), nullptr);
}

// The control painted on a shown form: in design mode a dashed outline in the pen's colour
// along its edges and nothing inside; at run time no outline.
class PaintTest : public VideoFixture {
 protected:
  // Pixels of the control's area on the form's surface, after a paint.
  std::vector<std::uint32_t> PaintedArea() {
    video->SetBounds(10, 20, 40, 30);
    form->Show();
    InvalidateRect(video->Handle(), nullptr, TRUE);
    UpdateWindow(video->Handle());
    pixman_image_t* surface = platform::window_testing::ClientSurface(form->Handle());
    EXPECT_NE(surface, nullptr);
    std::vector<std::uint32_t> area;
    if (surface == nullptr) return area;
    const auto* data = reinterpret_cast<const std::uint32_t*>(pixman_image_get_data(surface));
    const int stride = pixman_image_get_stride(surface) / 4;
    for (int y = 0; y < 30; ++y)
      for (int x = 0; x < 40; ++x) area.push_back(data[(20 + y) * stride + 10 + x] & 0xFFFFFF);
    return area;
  }
  static std::uint32_t At(const std::vector<std::uint32_t>& area, int x, int y) { return area[y * 40 + x]; }
};

TEST_F(PaintTest, DesignModeDrawsADashedOutlineOnly) {
  video->SetDesigning(true);
  const auto area = PaintedArea();
  ASSERT_EQ(area.size(), 40u * 30u);
  const std::uint32_t inside = At(area, 20, 15);
  int outlined = 0, gaps = 0;
  for (int x = 0; x < 40; ++x) {
    for (int y : {0, 29}) (At(area, x, y) == 0 ? outlined : gaps)++;
  }
  for (int y = 1; y < 29; ++y) {
    for (int x : {0, 39}) (At(area, x, y) == 0 ? outlined : gaps)++;
  }
  EXPECT_GT(outlined, 0) << "no outline";
  EXPECT_GT(gaps, 0) << "the outline is not dashed";
  for (int y = 1; y < 29; ++y)
    for (int x = 1; x < 39; ++x) ASSERT_EQ(At(area, x, y), inside) << "filled at " << x << "," << y;
  EXPECT_NE(inside, 0u);
}

TEST_F(PaintTest, RunTimeDrawsNothing) {
  const auto area = PaintedArea();
  ASSERT_EQ(area.size(), 40u * 30u);
  for (std::size_t i = 0; i < area.size(); ++i) ASSERT_EQ(area[i], area[0]) << "pixel " << i;
}

TEST_F(ControlTest, DestroyingANeverConnectedControlReleasesItsParts) {
  const int before = form->ComponentCount();
  video->Font()->SetColor(clRed);
  delete video;
  video = nullptr;
  EXPECT_EQ(form->ComponentCount(), before - 1);
}

TEST_F(ControlTest, ControlWithoutOwnerIsReleasedOnlyExplicitly) {
  auto* loose = new TVideo(nullptr);
  EXPECT_EQ(loose->Owner(), nullptr);
  EXPECT_EQ(TVideoTestAccess::Timer(*loose)->Owner(), loose);
  loose->Disconnect();
  EXPECT_FALSE(loose->Connected());
  delete loose;
}

}  // namespace
