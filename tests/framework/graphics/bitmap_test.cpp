// Bitmaps and pictures: size changes, copy-on-write sharing, change notification.
#include <gtest/gtest.h>

#include "framework/bitmap.h"
#include "framework/canvas.h"
#include "framework/picture.h"
#include "pixels.h"
#include "platform/gdi/gdi_helpers.h"
#include "runtime/exception.h"

namespace {

struct Counter {
  int Count = 0;
  void Notify(TObject*) { ++Count; }
  TNotifyEvent Event() { return TNotifyEvent::Of<&Counter::Notify>(this); }
};

TEST(BitmapSize, NewPictureOnlyWhenTheSizeChanges) {
  TBitmap bitmap;
  Counter changes;
  bitmap.SetOnChange(changes.Event());
  bitmap.SetWidth(10);
  EXPECT_TRUE(bitmap.Empty()) << "no picture while the height is 0";
  EXPECT_EQ(bitmap.Width(), 10);
  bitmap.SetHeight(5);
  ASSERT_FALSE(bitmap.Empty());
  HBITMAP first = bitmap.Handle();
  const SIZE size = platform::BitmapSize(first);
  EXPECT_EQ(size.cx, 10);
  EXPECT_EQ(size.cy, 5);
  EXPECT_EQ(changes.Count, 2);

  bitmap.SetWidth(10);
  bitmap.SetHeight(5);
  EXPECT_EQ(bitmap.Handle(), first);
  EXPECT_EQ(changes.Count, 2);

  bitmap.SetWidth(12);
  EXPECT_EQ(changes.Count, 3);
  EXPECT_EQ(platform::BitmapSize(bitmap.Handle()).cx, 12);
  EXPECT_EQ(platform::SelectedBitmap(bitmap.Canvas()->Handle()), bitmap.Handle());

  bitmap.SetHeight(-4);
  EXPECT_EQ(bitmap.Height(), 0);
  EXPECT_TRUE(bitmap.Empty());
  EXPECT_EQ(bitmap.Handle(), nullptr);
}

TEST(BitmapSize, AbsurdSizeRaisesAndKeepsTheBitmap) {
  TBitmap bitmap;
  bitmap.SetWidth(4);
  bitmap.SetHeight(4);
  HBITMAP before = bitmap.Handle();
  EXPECT_THROW(bitmap.SetWidth(1 << 30), EOutOfResources);
  EXPECT_EQ(bitmap.Width(), 4);
  EXPECT_EQ(bitmap.Handle(), before);
}

class BitmapSharing : public ::testing::Test {
 protected:
  void SetUp() override {
    FillBitmap(Source, 4, 3, clRed);
    Live = platform::LiveGdiObjectCount();
    Target.Assign(&Source);
  }
  TBitmap Source;
  TBitmap Target;
  std::size_t Live = 0;
};

TEST_F(BitmapSharing, AssignSharesThePictureWithoutCopying) {
  EXPECT_EQ(platform::LiveGdiObjectCount(), Live);
  EXPECT_EQ(Target.Width(), 4);
  EXPECT_EQ(Target.Height(), 3);
  // Drawing the target somewhere reads the shared picture; still no copy.
  TBitmap other;
  FillBitmap(other, 4, 3, clBlack);
  const std::size_t live = platform::LiveGdiObjectCount();
  other.Canvas()->Draw(0, 0, &Target);
  EXPECT_EQ(platform::LiveGdiObjectCount(), live);
  EXPECT_EQ(ReadPixels(other), std::vector<std::uint32_t>(12, Pixel(clRed)));
}

TEST_F(BitmapSharing, DrawingIntoTheSourceLeavesTheTarget) {
  Source.Canvas()->Brush()->SetColor(clBlue);
  Source.Canvas()->FillRect(RECT{0, 0, 4, 3});
  EXPECT_EQ(ReadPixels(Source), std::vector<std::uint32_t>(12, Pixel(clBlue)));
  EXPECT_EQ(ReadPixels(Target), std::vector<std::uint32_t>(12, Pixel(clRed)));
  EXPECT_NE(Source.Handle(), Target.Handle());
}

TEST_F(BitmapSharing, DrawingIntoTheTargetLeavesTheSource) {
  Target.Canvas()->Brush()->SetColor(clLime);
  Target.Canvas()->FillRect(RECT{0, 0, 2, 3});
  const std::vector<std::uint32_t> target = ReadPixels(Target);
  EXPECT_EQ(target[0], Pixel(clLime));
  EXPECT_EQ(target[3], Pixel(clRed));
  EXPECT_EQ(ReadPixels(Source), std::vector<std::uint32_t>(12, Pixel(clRed)));
}

TEST_F(BitmapSharing, DrawingThroughTheRawDeviceContextLeavesTheOther) {
  // The way a frame is copied in: StretchDIBits on the canvas's DC.
  std::uint32_t white[12];
  std::fill(std::begin(white), std::end(white), 0x00FFFFFFu);
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), 4, -3, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  StretchDIBits(Source.Canvas()->Handle(), 0, 0, 4, 3, 0, 0, 4, 3, white, &info, DIB_RGB_COLORS, SRCCOPY);
  EXPECT_EQ(ReadPixels(Source), std::vector<std::uint32_t>(12, 0x00FFFFFFu));
  EXPECT_EQ(ReadPixels(Target), std::vector<std::uint32_t>(12, Pixel(clRed)));
}

TEST_F(BitmapSharing, ResizingOneSideGivesItANewPicture) {
  Target.SetWidth(8);
  EXPECT_EQ(ReadPixels(Source), std::vector<std::uint32_t>(12, Pixel(clRed)));
  EXPECT_EQ(ReadPixels(Target), std::vector<std::uint32_t>(24, 0u)) << "a new picture starts black";
}

TEST(BitmapLifetime, NoGdiObjectOutlivesItsBitmaps) {
  const std::size_t live = platform::LiveGdiObjectCount();
  {
    TBitmap a;
    FillBitmap(a, 5, 5, clYellow);
    a.Canvas()->TextOut(0, 0, "x");
    TBitmap b;
    b.Assign(&a);
    b.Canvas()->Rectangle(0, 0, 5, 5);
    a.SetWidth(7);
  }
  EXPECT_EQ(platform::LiveGdiObjectCount(), live);
}

TEST(BitmapLifetime, AssignIntoABitmapWithACanvasReleasesItsOldPicture) {
  TBitmap source;
  FillBitmap(source, 3, 3, clRed);
  TBitmap target;
  FillBitmap(target, 5, 5, clBlue);  // its picture is in its canvas's DC
  const std::size_t live = platform::LiveGdiObjectCount();
  target.Assign(&source);
  EXPECT_EQ(platform::LiveGdiObjectCount(), live - 1) << "the old picture is gone, the new one shared";
  EXPECT_EQ(ReadPixels(target), std::vector<std::uint32_t>(9, Pixel(clRed)));
  EXPECT_EQ(platform::SelectedBitmap(target.Canvas()->Handle()), target.Handle());
}

TEST(Picture, FollowsItsBitmap) {
  TPicture picture;
  Counter changes;
  picture.SetOnChange(changes.Event());
  TBitmap frame;
  FillBitmap(frame, 6, 2, clGray);
  picture.Bitmap()->Assign(&frame);
  EXPECT_TRUE(picture.HasBitmap());
  EXPECT_EQ(changes.Count, 1);
  EXPECT_EQ(picture.Width(), 6);
  EXPECT_EQ(picture.Height(), 2);
  EXPECT_EQ(ReadPixels(*picture.Bitmap()), std::vector<std::uint32_t>(12, Pixel(clGray)));

  picture.Bitmap()->Canvas()->TextOut(0, 0, "a");
  EXPECT_EQ(changes.Count, 2) << "drawing through the canvas is a change";

  TPicture copy;
  copy.Assign(&picture);
  EXPECT_EQ(copy.Width(), 6);
  TPicture empty;
  copy.Assign(&empty);
  EXPECT_FALSE(copy.HasBitmap());
  copy.Assign(&frame);
  EXPECT_EQ(copy.Height(), 2);
}

}  // namespace
