// Controls and their windows: a window made on demand (its parent's first) as a child of the
// parent's, moved with the bounds, gone with the control or its parent's window; background
// in the control's colour; Paint through the canvas; the form's canvas leaving children out.
#include <cstdint>

#include <gtest/gtest.h>
#include <pixman.h>

#include "framework/brush.h"
#include "framework/canvas.h"
#include "framework/customcontrol.h"
#include "framework/form.h"
#include "framework/pen.h"
#include "platform/window/window_testing.h"
#include "tests/framework/components/components_test_support.h"

namespace {

using namespace components_test;

std::uint32_t PixelOf(TForm* Form, int X, int Y) {
  pixman_image_t* surface = platform::window_testing::ClientSurface(Form->Handle());
  if (surface == nullptr) return 0xDEADBEEF;
  const auto* row = reinterpret_cast<const std::uint8_t*>(pixman_image_get_data(surface)) +
                    static_cast<std::ptrdiff_t>(Y) * pixman_image_get_stride(surface);
  return reinterpret_cast<const std::uint32_t*>(row)[X] & 0xFFFFFF;
}

// Draws an outline in its own colour and counts its paints.
class TOutlined : public TCustomControl {
 public:
  explicit TOutlined(TComponent* AOwner) : TCustomControl(AOwner) {}
  int Paints = 0;

 protected:
  void Paint() override {
    ++Paints;
    Canvas()->Pen()->SetColor(clBlue);
    Canvas()->Brush()->SetStyle(bsClear);
    Canvas()->Rectangle(0, 0, Width(), Height());
  }
};

class ControlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RequireDisplay();
    Form = new TForm(nullptr);
    Form->SetBorderStyle(bsNone);
    Form->SetBounds(0, 0, 200, 150);
  }
  void TearDown() override {
    delete Form;
    ResetWindowSystem();
  }

  TForm* Form = nullptr;
};

TEST_F(ControlTest, WindowIsMadeOnDemandAfterItsParentsAsItsChild) {
  auto* control = new TCustomControl(Form);
  control->SetParent(Form);
  control->SetBounds(10, 20, 30, 40);
  EXPECT_FALSE(Form->HandleAllocated());
  EXPECT_FALSE(control->HandleAllocated());
  HWND wnd = control->Handle();
  ASSERT_NE(wnd, nullptr);
  EXPECT_TRUE(Form->HandleAllocated());
  EXPECT_EQ(GetParent(wnd), Form->Handle());
  EXPECT_EQ(TWinControl::FindControl(wnd), control);
  RECT r{};
  GetWindowRect(wnd, &r);
  EXPECT_EQ(r.left, 10);
  EXPECT_EQ(r.top, 20);
  EXPECT_EQ(r.right, 40);
  EXPECT_EQ(r.bottom, 60);

  control->SetBounds(5, 6, 70, 80);
  GetWindowRect(wnd, &r);
  EXPECT_EQ(r.left, 5);
  EXPECT_EQ(r.bottom, 86);
  control->SetWidth(100);
  GetWindowRect(wnd, &r);
  EXPECT_EQ(r.right, 105);

  control->SetVisible(false);
  EXPECT_FALSE(IsWindowVisible(wnd));
  control->SetVisible(true);
  Form->Show();
  EXPECT_TRUE(IsWindowVisible(wnd));
}

TEST_F(ControlTest, VisibleChildrenGetTheirWindowsWithTheirParentsAndNoParentNoWindow) {
  auto* shown = new TCustomControl(Form);
  shown->SetParent(Form);
  auto* hidden = new TCustomControl(Form);
  hidden->SetParent(Form);
  hidden->SetVisible(false);
  auto* orphan = new TCustomControl(Form);
  Form->HandleNeeded();
  EXPECT_TRUE(shown->HandleAllocated());
  EXPECT_FALSE(hidden->HandleAllocated());
  EXPECT_THROW(orphan->Handle(), EOSError);
  EXPECT_FALSE(orphan->HandleAllocated());
}

TEST_F(ControlTest, TheWindowGoesWithTheControlAndWithItsParentsWindow) {
  auto* first = new TCustomControl(Form);
  first->SetParent(Form);
  auto* second = new TCustomControl(Form);
  second->SetParent(Form);
  HWND firstWnd = first->Handle();
  HWND secondWnd = second->Handle();
  delete first;
  EXPECT_FALSE(IsWindow(firstWnd));
  EXPECT_EQ(Form->ControlCount(), 1);
  // The system takes the child window with the parent's; the control lets go of its handle.
  DestroyWindow(Form->Handle());
  EXPECT_FALSE(IsWindow(secondWnd));
  EXPECT_FALSE(second->HandleAllocated());
  EXPECT_FALSE(Form->HandleAllocated());
}

TEST_F(ControlTest, ParentGoingFirstLeavesItsControlsWithoutParent) {
  auto* form = new TForm(nullptr);
  auto* control = new TCustomControl(nullptr);  // not owned by the form
  control->SetParent(form);
  form->HandleNeeded();
  EXPECT_TRUE(control->HandleAllocated());
  delete form;
  EXPECT_EQ(control->Parent(), nullptr);
  EXPECT_FALSE(control->HandleAllocated());
  delete control;
}

TEST_F(ControlTest, BackgroundInTheControlsColourAndPaintThroughTheCanvas) {
  auto* control = new TOutlined(Form);
  control->SetParent(Form);
  control->SetBounds(20, 30, 40, 20);
  control->SetColor(clRed);
  Form->Show();
  UpdateWindow(Form->Handle());
  UpdateWindow(control->Handle());
  EXPECT_GE(control->Paints, 1);
  EXPECT_EQ(PixelOf(Form, 5, 5), SurfaceColour(clBtnFace));
  EXPECT_EQ(PixelOf(Form, 40, 40), SurfaceColour(clRed));
  // The outline covers columns 20..59 and rows 30..49 of the form.
  EXPECT_EQ(PixelOf(Form, 20, 30), SurfaceColour(clBlue));
  EXPECT_EQ(PixelOf(Form, 59, 49), SurfaceColour(clBlue));
  EXPECT_EQ(PixelOf(Form, 60, 50), SurfaceColour(clBtnFace));
}

TEST_F(ControlTest, ANewControlTakesItsParentsColourUntilGivenItsOwn) {
  auto* follower = new TOutlined(Form);
  follower->SetParent(Form);
  EXPECT_TRUE(follower->ParentColor());
  EXPECT_EQ(follower->Color(), clBtnFace);
  Form->SetColor(clGreen);
  EXPECT_EQ(follower->Color(), clGreen);
  follower->SetColor(clRed);
  EXPECT_FALSE(follower->ParentColor());
  Form->SetColor(clYellow);
  EXPECT_EQ(follower->Color(), clRed);
  follower->SetParentColor(true);
  EXPECT_EQ(follower->Color(), clYellow);

  follower->SetBounds(20, 30, 40, 20);
  Form->Show();
  UpdateWindow(Form->Handle());
  UpdateWindow(follower->Handle());
  EXPECT_EQ(PixelOf(Form, 40, 40), SurfaceColour(clYellow));
}

TEST_F(ControlTest, TheFormsCanvasDrawsOnTheClientAreaLeavingChildWindowsOut) {
  auto* control = new TCustomControl(Form);
  control->SetParent(Form);
  control->SetBounds(20, 30, 40, 20);
  control->SetColor(clRed);
  Form->Show();
  UpdateWindow(Form->Handle());
  UpdateWindow(control->Handle());
  Form->Canvas()->Brush()->SetColor(clLime);
  Form->Canvas()->FillRect(RECT{0, 0, 200, 150});
  EXPECT_EQ(PixelOf(Form, 0, 0), SurfaceColour(clLime));
  EXPECT_EQ(PixelOf(Form, 199, 149), SurfaceColour(clLime));
  EXPECT_EQ(PixelOf(Form, 40, 40), SurfaceColour(clRed));
  // The canvas gives its DC back when the outermost message or tick has been handled.
  EXPECT_TRUE(Form->Canvas()->HandleAllocated());
  PostMessageA(Form->Handle(), WM_NULL, 0, 0);
  Application->ProcessMessages();
  EXPECT_FALSE(Form->Canvas()->HandleAllocated());
  // And takes a new one on the next use.
  Form->Canvas()->FillRect(RECT{0, 0, 10, 10});
  EXPECT_TRUE(Form->Canvas()->HandleAllocated());
}

}  // namespace
