// Sent and posted messages, the quit message, and what the loop hands out in which order.
#include <stdexcept>

#include "window_test_support.h"

using namespace window_test;

namespace {

class MessagesTest : public WindowTest {};

TEST_F(MessagesTest, SendMessageNestsAndReturnsTheAnswer) {
  HWND a = MakeTopLevel("NestA", 0, 0, 50, 50);
  HWND b = MakeChild(a, 0, 0, 10, 10);
  SetHandler(a, [b](HWND, UINT message, WPARAM wParam, LPARAM) -> std::optional<LRESULT> {
    if (message == WM_USER) return 100 + SendMessageA(b, WM_USER + 1, wParam + 1, 0);
    if (message == WM_USER + 2) return 1;
    return std::nullopt;
  });
  SetHandler(b, [a](HWND, UINT message, WPARAM wParam, LPARAM) -> std::optional<LRESULT> {
    if (message == WM_USER + 1) return static_cast<LRESULT>(wParam) * 10 + SendMessageA(a, WM_USER + 2, 0, 0);
    return std::nullopt;
  });
  EXPECT_EQ(SendMessageA(a, WM_USER, 4, 0), 151);
  std::vector<UINT> order;
  for (const Logged& logged : Log()) {
    if (logged.message >= WM_USER) order.push_back(logged.message);
  }
  EXPECT_EQ(order, (std::vector<UINT>{WM_USER, WM_USER + 1, WM_USER + 2}));
}

TEST_F(MessagesTest, ExceptionsFromAProcedurePassThroughSendAndDispatch) {
  HWND window = MakeTopLevel("Throws", 0, 0, 50, 50);
  SetHandler(window, [](HWND, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (message == WM_USER) throw std::runtime_error("from the procedure");
    if (message == WM_USER + 1) return 7;
    return std::nullopt;
  });
  EXPECT_THROW(SendMessageA(window, WM_USER, 0, 0), std::runtime_error);
  ASSERT_TRUE(PostMessageA(window, WM_USER, 0, 0));
  MSG msg{};
  ASSERT_TRUE(PeekMessageA(&msg, window, WM_USER, WM_USER, PM_REMOVE));
  EXPECT_THROW(DispatchMessageA(&msg), std::runtime_error);
  // Nothing is left half done: the window goes on answering.
  EXPECT_TRUE(IsWindow(window));
  EXPECT_EQ(SendMessageA(window, WM_USER + 1, 0, 0), 7);
}

TEST_F(MessagesTest, PostedMessagesComeInOrderThenTheQuit) {
  HWND window = MakeTopLevel("Posted", 0, 0, 50, 50);
  ASSERT_TRUE(PostMessageA(window, WM_USER + 1, 11, 12));
  ASSERT_TRUE(PostMessageA(nullptr, WM_USER + 2, 21, 22));
  PostQuitMessage(5);
  ASSERT_TRUE(PostMessageA(window, WM_USER + 3, 31, 32));
  MSG msg{};
  std::vector<Logged> got;
  BOOL result = TRUE;
  while ((result = GetMessageA(&msg, nullptr, 0, 0)) > 0) {
    if (msg.message >= WM_USER) got.push_back(Logged{msg.hwnd, msg.message, msg.wParam, msg.lParam});
    DispatchMessageA(&msg);
  }
  EXPECT_EQ(result, FALSE);
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
  EXPECT_EQ(msg.wParam, 5u);
  const std::vector<Logged> expected = {
      {window, WM_USER + 1, 11, 12}, {nullptr, WM_USER + 2, 21, 22}, {window, WM_USER + 3, 31, 32}};
  EXPECT_EQ(got, expected);
  // Dispatched ones reached the procedure; the one without a window reached nobody.
  EXPECT_EQ(LogOf(WM_USER + 1, window).size(), 1u);
  EXPECT_EQ(LogOf(WM_USER + 3, window).size(), 1u);
  EXPECT_TRUE(LogOf(WM_USER + 2).empty());
}

TEST_F(MessagesTest, MessagesForAWindowDestroyedMeanwhileAreDropped) {
  HWND parent = MakeTopLevel("Dropped", 0, 0, 50, 50);
  HWND going = MakeChild(parent, 0, 0, 10, 10);
  HWND staying = MakeChild(parent, 20, 0, 10, 10);
  ASSERT_TRUE(PostMessageA(going, WM_USER, 1, 0));
  ASSERT_TRUE(PostMessageA(staying, WM_USER, 2, 0));
  ASSERT_TRUE(PostMessageA(going, WM_USER, 3, 0));
  DestroyWindow(going);
  MSG msg{};
  std::vector<WPARAM> got;
  while (PeekMessageA(&msg, nullptr, WM_USER, WM_USER, PM_REMOVE)) got.push_back(msg.wParam);
  EXPECT_EQ(got, std::vector<WPARAM>{2});
}

TEST_F(MessagesTest, PeekLeavesOrTakesAndFilters) {
  HWND a = MakeTopLevel("PeekA", 0, 0, 50, 50);
  HWND b = MakeTopLevel("PeekB", 60, 0, 50, 50);
  PostMessageA(a, WM_USER + 1, 0, 0);
  PostMessageA(b, WM_USER + 2, 0, 0);
  MSG msg{};
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_USER, WM_USER + 10, PM_NOREMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 1));
  ASSERT_TRUE(PeekMessageA(&msg, b, 0, 0, PM_REMOVE));  // by window
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 2));
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_USER + 1, WM_USER + 1, PM_REMOVE));  // by range
  EXPECT_EQ(msg.hwnd, a);
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, WM_USER, WM_USER + 10, PM_REMOVE));
  // A quit comes through any filter.
  PostQuitMessage(3);
  ASSERT_TRUE(PeekMessageA(&msg, a, WM_USER, WM_USER, PM_NOREMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
  ASSERT_EQ(GetMessageA(&msg, nullptr, 0, 0), FALSE);
  EXPECT_EQ(msg.wParam, 3u);
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

TEST_F(MessagesTest, BadArgumentsAreRefused) {
  MSG msg{};
  EXPECT_EQ(GetMessageA(nullptr, nullptr, 0, 0), -1);
  EXPECT_FALSE(PeekMessageA(nullptr, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(DispatchMessageA(nullptr), 0);
  EXPECT_FALSE(TranslateMessage(nullptr));
  msg.message = WM_KEYDOWN;
  EXPECT_TRUE(TranslateMessage(&msg));
  msg.message = WM_USER;
  EXPECT_FALSE(TranslateMessage(&msg));
  // A message for no window dispatches to nobody.
  msg.hwnd = nullptr;
  EXPECT_EQ(DispatchMessageA(&msg), 0);
}

TEST_F(MessagesTest, ThePostedQueueHasALimit) {
  int accepted = 0;
  while (accepted < 20000 && PostMessageA(nullptr, WM_USER, 0, 0)) ++accepted;
  EXPECT_EQ(accepted, 10000);
  MSG msg{};
  int taken = 0;
  while (PeekMessageA(&msg, nullptr, WM_USER, WM_USER, PM_REMOVE)) ++taken;
  EXPECT_EQ(taken, 10000);
  EXPECT_TRUE(PostMessageA(nullptr, WM_USER, 0, 0));
}

}  // namespace
