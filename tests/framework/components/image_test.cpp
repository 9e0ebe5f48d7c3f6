// The image component on its parent's window: unscaled at its top-left corner and cut off at
// its bounds, or scaled to them; a change of its picture repaints its own area.
#include <cstdint>

#include <gtest/gtest.h>
#include <pixman.h>

#include "framework/bitmap.h"
#include "framework/brush.h"
#include "framework/canvas.h"
#include "framework/form.h"
#include "framework/image.h"
#include "framework/picture.h"
#include "platform/window/window_testing.h"
#include "tests/framework/components/components_test_support.h"

namespace {

using namespace components_test;

// A bitmap whose left half is `Left` and right half `Right`.
void FillHalves(TBitmap* Bitmap, int Width, int Height, TColor Left, TColor Right) {
  Bitmap->SetWidth(Width);
  Bitmap->SetHeight(Height);
  Bitmap->Canvas()->Brush()->SetColor(Left);
  Bitmap->Canvas()->FillRect(RECT{0, 0, Width / 2, Height});
  Bitmap->Canvas()->Brush()->SetColor(Right);
  Bitmap->Canvas()->FillRect(RECT{Width / 2, 0, Width, Height});
}

class ImageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RequireDisplay();
    Form = new TForm(nullptr);
    Form->SetBounds(0, 0, 100, 80);
    Image = new TImage(Form);
    Image->SetParent(Form);
    Image->SetBounds(24, 16, 8, 8);
    Form->Show();
    Paint();
  }
  void TearDown() override {
    delete Form;
    ResetWindowSystem();
  }

  void Paint() { UpdateWindow(Form->Handle()); }

  std::uint32_t Pixel(int X, int Y) {
    pixman_image_t* surface = platform::window_testing::ClientSurface(Form->Handle());
    const auto* row = reinterpret_cast<const std::uint8_t*>(pixman_image_get_data(surface)) +
                      static_cast<std::ptrdiff_t>(Y) * pixman_image_get_stride(surface);
    return reinterpret_cast<const std::uint32_t*>(row)[X] & 0xFFFFFF;
  }

  TForm* Form = nullptr;
  TImage* Image = nullptr;
};

TEST_F(ImageTest, AnEmptyPictureShowsTheParentsBackground) {
  EXPECT_FALSE(Image->Picture()->HasBitmap());
  EXPECT_EQ(Pixel(24, 16), SurfaceColour(clBtnFace));
  EXPECT_EQ(Pixel(31, 23), SurfaceColour(clBtnFace));
}

TEST_F(ImageTest, ABitmapLargerThanTheImageIsCutOffAtItsBounds) {
  // 16 x 16: red on the left 8 columns, blue on the right 8; only the red part fits.
  FillHalves(Image->Picture()->Bitmap(), 16, 16, clRed, clBlue);
  Paint();
  EXPECT_EQ(Pixel(24, 16), SurfaceColour(clRed));
  EXPECT_EQ(Pixel(31, 23), SurfaceColour(clRed));
  EXPECT_EQ(Pixel(32, 16), SurfaceColour(clBtnFace));
  EXPECT_EQ(Pixel(24, 24), SurfaceColour(clBtnFace));
}

TEST_F(ImageTest, ABitmapSmallerThanTheImageLeavesTheRestAsItWas) {
  FillHalves(Image->Picture()->Bitmap(), 4, 4, clRed, clBlue);
  Paint();
  EXPECT_EQ(Pixel(24, 16), SurfaceColour(clRed));
  EXPECT_EQ(Pixel(27, 19), SurfaceColour(clBlue));
  EXPECT_EQ(Pixel(28, 16), SurfaceColour(clBtnFace));
  EXPECT_EQ(Pixel(24, 20), SurfaceColour(clBtnFace));
}

TEST_F(ImageTest, StretchScalesTheWholeBitmapToTheBounds) {
  Image->SetStretch(true);
  FillHalves(Image->Picture()->Bitmap(), 16, 16, clRed, clBlue);
  Paint();
  EXPECT_EQ(Pixel(24, 16), SurfaceColour(clRed));
  EXPECT_EQ(Pixel(27, 23), SurfaceColour(clRed));
  EXPECT_EQ(Pixel(28, 16), SurfaceColour(clBlue));
  EXPECT_EQ(Pixel(31, 23), SurfaceColour(clBlue));
  EXPECT_EQ(Pixel(32, 16), SurfaceColour(clBtnFace));
}

TEST_F(ImageTest, AssigningABitmapRepaintsTheImagesArea) {
  FillHalves(Image->Picture()->Bitmap(), 8, 8, clRed, clRed);
  Paint();
  ASSERT_EQ(Pixel(26, 18), SurfaceColour(clRed));
  TBitmap frame;
  FillHalves(&frame, 8, 8, clLime, clLime);
  Image->Picture()->Bitmap()->Assign(&frame);
  // No explicit invalidation: the picture's change asked for the repaint.
  Paint();
  EXPECT_EQ(Pixel(26, 18), SurfaceColour(clLime));
  // The copy is the image's own: drawing into the source later changes nothing there.
  frame.Canvas()->Brush()->SetColor(clBlue);
  frame.Canvas()->FillRect(RECT{0, 0, 8, 8});
  Image->Invalidate();
  Paint();
  EXPECT_EQ(Pixel(26, 18), SurfaceColour(clLime));
}

TEST_F(ImageTest, MovingTheImageRepaintsWhereItWasAndWhereItIs) {
  FillHalves(Image->Picture()->Bitmap(), 8, 8, clRed, clRed);
  Paint();
  Image->SetLeft(60);
  Paint();
  EXPECT_EQ(Pixel(26, 18), SurfaceColour(clBtnFace));
  EXPECT_EQ(Pixel(62, 18), SurfaceColour(clRed));
}

}  // namespace
