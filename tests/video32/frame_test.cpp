// The frame pipeline on the scripted driver: the messages of a grab, the events and their
// values, the stamp burnt into the frame, the work bitmap, a handler that raises, no frame.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "framework/bitmap.h"
#include "framework/brush.h"
#include "framework/canvas.h"
#include "framework/font.h"
#include "framework/graphics.h"
#include "video_test_support.h"

namespace {

using platform::capture::FormatBlock;
using platform::capture::FrameLayout;
using video_test::HeaderOf;
using video_test::Pixel16;
using video_test::SolidFrame16;
using video_test::VideoFixture;

constexpr std::uint16_t kBackground = 0x0010;  // dark blue in x1r5g5b5
constexpr std::uint16_t kYellow = 0x7FE0;
constexpr std::uint16_t kRed = 0x7C00;

// Records what the control hands out, in order.
struct Host {
  TVideo* video = nullptr;
  std::vector<std::string> events;
  std::string stamp;
  std::vector<TDateTime> stamps;
  TBitmap* bitmap = nullptr;
  std::pair<int, int> bitmapSize;
  HBITMAP bitmapHandle = nullptr;
  PBITMAPINFOHEADER hdr = nullptr;
  int hdrSize = 0;
  char* bits = nullptr;
  int bitsSize = 0;
  bool copyBits = false;       // copy the raw event's bits (only where the frame holds biSizeImage bytes)
  std::vector<BYTE> bitsSeen;
  std::function<void()> extra;

  void Stamp(std::string& value) {
    events.push_back("stamp:" + value);
    value = stamp;
  }
  void FrameBmp(TDateTime time, TBitmap* b) {
    events.push_back("bmp");
    stamps.push_back(time);
    bitmap = b;
    bitmapSize = {b->Width(), b->Height()};
    bitmapHandle = b->Handle();
    if (extra) extra();
  }
  void Frame(TDateTime time, PBITMAPINFOHEADER h, int hSize, char* b, int bSize) {
    events.push_back("frame");
    stamps.push_back(time);
    hdr = h;
    hdrSize = hSize;
    bits = b;
    bitsSize = bSize;
    if (copyBits && b != nullptr && bSize > 0)
      bitsSeen.assign(reinterpret_cast<BYTE*>(b), reinterpret_cast<BYTE*>(b) + bSize);
  }
  void Attach(TVideo* v, bool stampEvent, bool bmpEvent, bool frameEvent) {
    video = v;
    if (stampEvent) v->SetOnVideoStamp(TOnVideoStamp::Of<&Host::Stamp>(this));
    if (bmpEvent) v->SetOnVideoFrameBmp(TOnVideoFrameBmp::Of<&Host::FrameBmp>(this));
    if (frameEvent) v->SetOnVideoFrame(TOnVideoFrame::Of<&Host::Frame>(this));
  }
};

class FrameTest : public VideoFixture {
 protected:
  // A connected control whose driver delivers `layout` frames of one 16-bit colour.
  void ConnectSolid(FrameLayout layout, std::uint16_t colour = kBackground) {
    layout_ = layout;
    UseAdoptingDriver(layout.width, layout.height);
    script->frame = SolidFrame16(layout, colour);
    Connect(1, 0);
    ASSERT_TRUE(video->Connected());
    ASSERT_EQ(HeaderOf(script->format.data()).biBitCount, 16);
    spy.Clear();
  }
  // The pixels of the delivered frame that differ from `colour`, as (x, y from the top, value).
  std::vector<std::tuple<int, int, std::uint16_t>> Changed(std::uint16_t colour = kBackground) const {
    std::vector<std::tuple<int, int, std::uint16_t>> out;
    for (int y = 0; y < layout_.height; ++y)
      for (int x = 0; x < layout_.width; ++x) {
        const std::uint16_t p = Pixel16(script->delivered, layout_, x, y);
        if (p != colour) out.emplace_back(x, y, p);
      }
    return out;
  }
  // The extent of `text` in the control's font, as the stamp draws it.
  SIZE TextCell(const std::string& text) {
    TBitmap probe;
    probe.SetWidth(8);
    probe.SetHeight(8);
    probe.Canvas()->Font()->Assign(video->Font());
    return probe.Canvas()->TextExtent(text);
  }
  void UseYellowFont() {
    TFont font;
    font.SetColor(clYellow);
    font.SetSize(10);
    video->SetFont(&font);
  }

  FrameLayout layout_;
  Host host;
};

TEST_F(FrameTest, GrabSendsOneUserDataAndTwoFormatQueries) {
  ConnectSolid({64, 32, 16});
  for (bool handlers : {false, true}) {
    if (handlers) host.Attach(video, true, true, true);
    spy.Clear();
    Grab();
    EXPECT_EQ(spy.CaptureMessages(), (std::vector<UINT>{WM_CAP_GRAB_FRAME, WM_CAP_GET_USER_DATA,
                                                        WM_CAP_GET_VIDEOFORMAT, WM_CAP_GET_VIDEOFORMAT}))
        << (handlers ? "with handlers" : "without handlers");
    EXPECT_EQ(spy.messages.front().wParam, 0u);
    EXPECT_EQ(spy.messages.front().lParam, 0);
    EXPECT_EQ(TVideoTestAccess::Bits(*video), script->delivered.data());
    EXPECT_TRUE(TVideoTestAccess::Timer(*video)->Enabled());
  }
}

TEST_F(FrameTest, NoHandlerMeansNothingDrawnIntoTheFrame) {
  ConnectSolid({64, 32, 16});
  Grab();
  EXPECT_EQ(script->delivered, *script->frame);
  EXPECT_TRUE(TVideoTestAccess::WorkBitmap(*video)->Empty());
}

TEST_F(FrameTest, EventsComeInOrderWithOneTimeStamp) {
  ConnectSolid({64, 32, 16});
  host.Attach(video, true, true, true);
  host.stamp = "12:00";
  Grab();
  EXPECT_EQ(host.events, (std::vector<std::string>{"stamp:", "bmp", "frame"}));
  ASSERT_EQ(host.stamps.size(), 2u);
  EXPECT_EQ(std::memcmp(&host.stamps[0], &host.stamps[1], sizeof(TDateTime)), 0);
  EXPECT_NEAR(host.stamps[0], Now(), 1.0 / 86400.0 * 5);
  EXPECT_EQ(host.bitmap, TVideoTestAccess::WorkBitmap(*video));
  EXPECT_EQ(host.bitmapSize, std::make_pair(64, 32));
  EXPECT_EQ(reinterpret_cast<const BYTE*>(host.hdr), TVideoTestAccess::Format(*video));
  EXPECT_EQ(reinterpret_cast<BYTE*>(host.bits), script->delivered.data());
  EXPECT_EQ(host.hdrSize, 40);
  EXPECT_EQ(host.bitsSize, static_cast<int>(FrameLayout({64, 32, 16}).ImageSize()));
}

TEST_F(FrameTest, EachEventAloneIsRaisedAlone) {
  ConnectSolid({64, 32, 16});
  for (int which = 0; which < 3; ++which) {
    Host h;
    video->SetOnVideoStamp({});
    video->SetOnVideoFrameBmp({});
    video->SetOnVideoFrame({});
    h.Attach(video, which == 0, which == 1, which == 2);
    Grab();
    EXPECT_EQ(h.events.size(), 1u) << "event " << which;
  }
}

struct HeaderCase {
  const char* name;
  WORD bits;
  DWORD clrUsed;
  DWORD sizeImage;   // written into the reported format
  std::size_t frameBytes;  // what the driver's frame header reports
  int hdrSize;
};

class HeaderSizeTest : public VideoFixture, public ::testing::WithParamInterface<HeaderCase> {};

TEST_P(HeaderSizeTest, RawEventSizesComeFromTheFormat) {
  const HeaderCase c = GetParam();
  std::vector<BYTE> format = FormatBlock({32, 16, c.bits});
  BITMAPINFOHEADER h = HeaderOf(format.data());
  h.biClrUsed = c.clrUsed;
  h.biSizeImage = c.sizeImage;
  std::memcpy(format.data(), &h, sizeof(h));
  script->format = format;
  script->frame = std::vector<BYTE>(c.frameBytes, 0x11);
  Connect(3, 0);
  Host host;
  host.Attach(video, false, false, true);
  Grab();
  ASSERT_EQ(host.events, (std::vector<std::string>{"frame"}));
  EXPECT_EQ(host.hdrSize, c.hdrSize);
  EXPECT_EQ(host.bitsSize, static_cast<int>(c.sizeImage));
}

INSTANTIATE_TEST_SUITE_P(Table, HeaderSizeTest,
                         ::testing::Values(HeaderCase{"palette256", 8, 256, 512, 512, 1064},
                                           HeaderCase{"impliedPalette", 8, 0, 512, 512, 40},
                                           HeaderCase{"rgb16", 16, 0, 1024, 1024, 40},
                                           HeaderCase{"frameSaysMore", 16, 0, 1024, 4096, 40},
                                           HeaderCase{"frameSaysLess", 24, 0, 1536, 100, 40}),
                         [](const auto& info) { return std::string(info.param.name); });

enum class Background { kFilled, kGlyphsOnly };

struct StampCase {
  const char* name;
  bool transparent;
  TBrushStyle brushStyle;
  Background expected;
};

class StampTest : public FrameTest, public ::testing::WithParamInterface<StampCase> {};

// The stamp changes the frame only inside the text's cell at the top-left; the glyphs are
// exactly yellow; the cell's background is the brush's red only for a solid, opaque brush.
TEST_P(StampTest, BurnsTheTextAtTheTopLeftOnly) {
  const StampCase c = GetParam();
  ConnectSolid({96, 48, 16});
  UseYellowFont();
  TBrush brush;
  brush.SetColor(clRed);
  brush.SetStyle(c.brushStyle);
  video->SetBrush(&brush);
  video->SetTransparent(c.transparent);
  host.Attach(video, true, false, true);
  host.copyBits = true;
  host.stamp = "Hi 8";
  const SIZE cell = TextCell(host.stamp);
  ASSERT_GT(cell.cx, 4);
  ASSERT_LT(cell.cx, 96);
  ASSERT_LT(cell.cy, 48);
  Grab();

  const auto changed = Changed();
  ASSERT_FALSE(changed.empty());
  std::set<std::uint16_t> values;
  for (const auto& [x, y, p] : changed) {
    ASSERT_LT(x, cell.cx) << "changed outside the text's cell at " << x << "," << y;
    ASSERT_LT(y, cell.cy) << "changed outside the text's cell at " << x << "," << y;
    values.insert(p);
  }
  EXPECT_TRUE(values.count(kYellow)) << "no glyph pixel is yellow";
  if (c.expected == Background::kFilled) {
    EXPECT_EQ(values, (std::set<std::uint16_t>{kYellow, kRed}));
    EXPECT_EQ(changed.size(), static_cast<std::size_t>(cell.cx * cell.cy)) << "the cell is not filled";
  } else {
    EXPECT_EQ(values, (std::set<std::uint16_t>{kYellow}));
    EXPECT_LT(changed.size(), static_cast<std::size_t>(cell.cx * cell.cy) / 2);
  }
  // The raw event saw the stamped bits.
  EXPECT_EQ(host.bitsSeen, script->delivered);
}

INSTANTIATE_TEST_SUITE_P(Brushes, StampTest,
                         ::testing::Values(StampCase{"solid", false, bsSolid, Background::kFilled},
                                           StampCase{"transparent", true, bsSolid, Background::kGlyphsOnly},
                                           StampCase{"clearBrush", false, bsClear, Background::kGlyphsOnly}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(FrameTest, TextWiderThanTheFrameIsCutAtItsEdge) {
  ConnectSolid({30, 40, 16});
  UseYellowFont();
  TBrush brush;
  brush.SetColor(clRed);
  video->SetBrush(&brush);
  host.Attach(video, true, false, false);
  host.stamp = "WWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWW";
  const SIZE cell = TextCell(host.stamp);
  ASSERT_GT(cell.cx, 30);
  const std::size_t size = script->frame->size();
  Grab();
  ASSERT_EQ(script->delivered.size(), size);
  int rightmost = 0;
  for (const auto& [x, y, p] : Changed()) {
    ASSERT_LT(y, cell.cy);
    rightmost = std::max(rightmost, x);
  }
  EXPECT_EQ(rightmost, 29);
  // The whole top band is the text's cell, up to the frame's edge.
  for (int x = 0; x < 30; ++x) EXPECT_NE(Pixel16(script->delivered, layout_, x, 0), kBackground) << x;
}

TEST_F(FrameTest, EmptyStampPassesTheFrameThroughUnchanged) {
  ConnectSolid({40, 20, 16}, 0x1234 & 0x7FFF);
  host.Attach(video, true, true, false);
  host.stamp = "";
  Grab();
  EXPECT_EQ(host.events, (std::vector<std::string>{"stamp:", "bmp"}));
  EXPECT_TRUE(Changed(0x1234 & 0x7FFF).empty());
  EXPECT_EQ(host.bitmapSize, std::make_pair(40, 20));
}

TEST_F(FrameTest, BitmapEventWithoutStampGetsTheUnstampedFrame) {
  ConnectSolid({40, 20, 16}, kRed);
  host.Attach(video, false, true, false);
  host.extra = [this] {
    // Read the work bitmap back as 16 bits: it holds the frame as delivered.
    TBitmap* b = host.bitmap;
    std::vector<BYTE> block(sizeof(BITMAPINFO), 0);
    BITMAPINFOHEADER h = HeaderOf(script->format.data());
    std::memcpy(block.data(), &h, sizeof(h));
    std::vector<BYTE> pixels(h.biSizeImage, 0);
    GetDIBits(b->Canvas()->Handle(), b->Handle(), 0, 20, pixels.data(), reinterpret_cast<BITMAPINFO*>(block.data()),
              DIB_RGB_COLORS);
    EXPECT_EQ(pixels, *script->frame);
  };
  Grab();
  EXPECT_EQ(host.events, (std::vector<std::string>{"bmp"}));
  EXPECT_EQ(script->delivered, *script->frame);
}

TEST_F(FrameTest, FrameSizeChangeSetsWidthThenHeightAndSameSizeKeepsThePicture) {
  ConnectSolid({64, 32, 16});
  host.Attach(video, false, true, false);
  TBitmap* work = TVideoTestAccess::WorkBitmap(*video);
  struct SizeLog {
    TBitmap* bitmap;
    std::vector<std::pair<int, int>> sizes;
    void Changed(TObject*) {
      const std::pair<int, int> now{bitmap->Width(), bitmap->Height()};
      if (sizes.empty() || sizes.back() != now) sizes.push_back(now);
    }
  } log{work, {}};
  work->SetOnChange(TNotifyEvent::Of<&SizeLog::Changed>(&log));

  Grab();
  const HBITMAP first = host.bitmapHandle;
  Grab();
  EXPECT_EQ(host.bitmapHandle, first) << "re-created at the same size";
  EXPECT_EQ(log.sizes, (std::vector<std::pair<int, int>>{{64, 0}, {64, 32}}));

  // The driver now delivers 48 x 40.
  const FrameLayout next{48, 40, 16};
  script->format = FormatBlock(next);
  script->frame = SolidFrame16(next, kBackground);
  log.sizes.clear();
  Grab();
  EXPECT_EQ(host.bitmapSize, std::make_pair(48, 40));
  EXPECT_EQ(log.sizes, (std::vector<std::pair<int, int>>{{48, 32}, {48, 40}}));
  work->SetOnChange({});
}

TEST_F(FrameTest, RaisingHandlerLeavesTheGrabWithTheTimerOff) {
  ConnectSolid({64, 32, 16});
  host.Attach(video, true, true, true);
  host.extra = [] { throw std::runtime_error("handler failed"); };
  try {
    Grab();
    FAIL() << "no exception";
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "handler failed");
  }
  EXPECT_FALSE(TVideoTestAccess::Timer(*video)->Enabled());
  EXPECT_EQ(host.events, (std::vector<std::string>{"stamp:", "bmp"}));
  // The capture window took no harm: the next grab works.
  host.extra = nullptr;
  host.events.clear();
  Grab();
  EXPECT_EQ(host.events, (std::vector<std::string>{"stamp:", "bmp", "frame"}));
  EXPECT_TRUE(TVideoTestAccess::Timer(*video)->Enabled());
}

TEST_F(FrameTest, NoFrameNoEvent) {
  ConnectSolid({64, 32, 16});
  script->frame.reset();
  host.Attach(video, true, true, true);
  Grab();
  EXPECT_TRUE(host.events.empty());
  EXPECT_EQ(spy.CaptureMessages(), (std::vector<UINT>{WM_CAP_GRAB_FRAME}));
  EXPECT_TRUE(TVideoTestAccess::Timer(*video)->Enabled());
  EXPECT_EQ(TVideoTestAccess::Bits(*video), nullptr);
}

TEST_F(FrameTest, DrawFrameScalesTheFrameUpFromTheRawEvent) {
  ConnectSolid({16, 8, 16}, kRed);
  TBitmap target;
  target.SetWidth(64);
  target.SetHeight(32);
  BOOL drawn = FALSE;
  struct Drawer {
    TVideo* video;
    TBitmap* target;
    BOOL* drawn;
    void Frame(TDateTime, PBITMAPINFOHEADER h, int, char*, int) {
      *drawn = video->DrawFrame(target->Canvas()->Handle(), 0, 0, 64, 32, 0, 0, h->biWidth, h->biHeight);
    }
  } drawer{video, &target, &drawn};
  video->SetOnVideoFrame(TOnVideoFrame::Of<&Drawer::Frame>(&drawer));
  Grab();
  EXPECT_NE(drawn, FALSE);
  std::vector<BYTE> block(sizeof(BITMAPINFO), 0);
  BITMAPINFOHEADER h{};
  h.biSize = 40;
  h.biWidth = 64;
  h.biHeight = 32;
  h.biPlanes = 1;
  h.biBitCount = 32;
  std::memcpy(block.data(), &h, sizeof(h));
  std::vector<std::uint32_t> pixels(64 * 32, 0);
  ASSERT_EQ(GetDIBits(target.Canvas()->Handle(), target.Handle(), 0, 32, pixels.data(),
                      reinterpret_cast<BITMAPINFO*>(block.data()), DIB_RGB_COLORS),
            32);
  for (std::uint32_t p : pixels) ASSERT_EQ(p & 0xFFFFFF, 0xFF0000u);
}

TEST_F(FrameTest, ShortReportedFormatWithAStampDoesNotOverrun) {
  script->format.resize(12);
  script->frame = std::vector<BYTE>(64, 0x22);
  Connect(1, 0);
  host.Attach(video, true, true, true);
  host.stamp = "x";
  Grab();
  EXPECT_EQ(script->delivered.size(), 64u);
  EXPECT_TRUE(TVideoTestAccess::Timer(*video)->Enabled());
}

}  // namespace
