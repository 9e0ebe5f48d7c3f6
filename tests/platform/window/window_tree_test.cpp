// The window tree: classes, creation, destruction order, stale handles, per-window values.
#include <set>
#include <stdexcept>

#include <SDL.h>

#include "platform/window/window_system.h"
#include "window_test_support.h"

using namespace window_test;

namespace {

class WindowTreeTest : public WindowTest {};

TEST_F(WindowTreeTest, RegisterClassRefusesBadAndDuplicateClasses) {
  WNDCLASSA good{};
  good.lpfnWndProc = DefWindowProcA;
  good.lpszClassName = "TreeTestClass";
  const ATOM atom = RegisterClassA(&good);
  EXPECT_NE(atom, 0);

  WNDCLASSA sameNameOtherCase = good;
  sameNameOtherCase.lpszClassName = "treetestCLASS";
  WNDCLASSA noProcedure = good;
  noProcedure.lpfnWndProc = nullptr;
  noProcedure.lpszClassName = "NoProcedure";
  WNDCLASSA noName = good;
  noName.lpszClassName = nullptr;
  WNDCLASSA emptyName = good;
  emptyName.lpszClassName = "";
  for (const WNDCLASSA* refused : {&good, &sameNameOtherCase, &noProcedure, &noName, &emptyName}) {
    EXPECT_EQ(RegisterClassA(refused), 0);
  }
  EXPECT_EQ(RegisterClassA(nullptr), 0);

  // The class is found by its name in any case and by its atom.
  HWND byName = CreateWindowExA(0, "TREETESTCLASS", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  HWND byAtom = CreateWindowExA(0, reinterpret_cast<LPCSTR>(static_cast<std::uintptr_t>(atom)), "", WS_POPUP, 0, 0,
                                10, 10, nullptr, nullptr, nullptr, nullptr);
  EXPECT_NE(byName, nullptr);
  EXPECT_NE(byAtom, nullptr);
  EXPECT_EQ(CreateWindowExA(0, "NoSuchClass", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr),
            nullptr);
}

TEST_F(WindowTreeTest, CreateSendsCreateThenSizeAndMove) {
  int param = 42;
  HWND parent = MakeTopLevel("CreateParent", 5, 6, 200, 100);
  ASSERT_NE(parent, nullptr);
  Log().clear();
  HWND child = CreateWindowExA(0, LoggingClass(), "kid", WS_CHILD, 11, 12, 30, 40, parent,
                               reinterpret_cast<HMENU>(7), nullptr, &param);
  ASSERT_NE(child, nullptr);
  ASSERT_GE(Log().size(), 3u);
  EXPECT_EQ(Log()[0].message, static_cast<UINT>(WM_CREATE));
  EXPECT_EQ(Log()[1], (Logged{child, WM_SIZE, 0, (40 << 16) | 30}));
  EXPECT_EQ(Log()[2], (Logged{child, WM_MOVE, 0, (12 << 16) | 11}));
  EXPECT_EQ(GetParent(child), parent);
  EXPECT_EQ(GetParent(parent), nullptr);
  EXPECT_FALSE(IsWindowVisible(child));  // no WS_VISIBLE
  RECT rect{};
  ASSERT_TRUE(GetWindowRect(child, &rect));
  EXPECT_EQ(rect.left, 11);
  EXPECT_EQ(rect.top, 12);
  EXPECT_EQ(rect.right, 41);
  EXPECT_EQ(rect.bottom, 52);
  ASSERT_TRUE(GetClientRect(child, &rect));
  EXPECT_EQ(rect.right, 30);
  EXPECT_EQ(rect.bottom, 40);
}

TEST_F(WindowTreeTest, CreateStructCarriesTheArguments) {
  int param = 42;
  HWND parent = MakeTopLevel("CreateStructParent", 0, 0, 100, 100);
  // The structure lives on CreateWindowExA's stack: a procedure copies it while it is there.
  static CREATESTRUCTA copied{};
  static std::string copiedName;
  static std::string copiedClass;
  WNDCLASSA copying{};
  copying.lpfnWndProc = [](HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
    if (message == WM_CREATE) {
      copied = *reinterpret_cast<const CREATESTRUCTA*>(lParam);
      copiedName = copied.lpszName;
      copiedClass = copied.lpszClass;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
  };
  copying.lpszClassName = "CopiesCreateStruct";
  RegisterClassA(&copying);
  HWND made = CreateWindowExA(0, "CopiesCreateStruct", "named", WS_CHILD, 1, 2, 3, 4, parent,
                              reinterpret_cast<HMENU>(9), nullptr, &param);
  ASSERT_NE(made, nullptr);
  EXPECT_EQ(copied.lpCreateParams, &param);
  EXPECT_EQ(copied.hwndParent, parent);
  EXPECT_EQ(copied.hMenu, reinterpret_cast<HMENU>(9));
  EXPECT_EQ(copied.x, 1);
  EXPECT_EQ(copied.y, 2);
  EXPECT_EQ(copied.cx, 3);
  EXPECT_EQ(copied.cy, 4);
  EXPECT_EQ(copied.style, static_cast<LONG>(WS_CHILD));
  EXPECT_EQ(copiedName, "named");
  EXPECT_EQ(copiedClass, "CopiesCreateStruct");
}

TEST_F(WindowTreeTest, CreationThatFailsOrThrowsLeavesNoWindow) {
  HWND parent = MakeTopLevel("FailingCreate", 0, 0, 100, 100);
  static int mode = 0;  // 1: WM_CREATE answers -1; 2: it throws
  static HWND created = nullptr;
  WNDCLASSA failing{};
  failing.lpfnWndProc = [](HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
    if (message == WM_CREATE) {
      created = hwnd;
      if (mode == 1) return -1;
      throw std::runtime_error("no window today");
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
  };
  failing.lpszClassName = "FailingCreate";
  ASSERT_NE(RegisterClassA(&failing), 0);

  mode = 1;
  EXPECT_EQ(CreateWindowExA(0, "FailingCreate", "", WS_CHILD, 0, 0, 5, 5, parent, nullptr, nullptr, nullptr),
            nullptr);
  EXPECT_FALSE(IsWindow(created));
  mode = 2;
  EXPECT_THROW(CreateWindowExA(0, "FailingCreate", "", WS_CHILD, 0, 0, 5, 5, parent, nullptr, nullptr, nullptr),
               std::runtime_error);
  EXPECT_FALSE(IsWindow(created));
  EXPECT_TRUE(IsWindow(parent));
}

TEST_F(WindowTreeTest, ChildNeedsALiveParent) {
  HWND parent = MakeTopLevel("Parent", 0, 0, 100, 100);
  DestroyWindow(parent);
  EXPECT_EQ(MakeChild(parent, 0, 0, 10, 10), nullptr);
  EXPECT_EQ(MakeChild(nullptr, 0, 0, 10, 10), nullptr);
}

TEST_F(WindowTreeTest, DestructionGoesDownWithDestroyAndBackUpWithNcDestroy) {
  HWND parent = MakeTopLevel("Family", 0, 0, 200, 200);
  HWND first = MakeChild(parent, 0, 0, 50, 50);
  HWND second = MakeChild(parent, 60, 0, 50, 50);
  HWND grandchild = MakeChild(first, 5, 5, 10, 10);
  bool childrenAliveDuringParentsDestroy = false;
  bool grandchildGoneBeforeFirstsNcDestroy = false;
  SetHandler(parent, [&](HWND, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (message == WM_DESTROY) {
      childrenAliveDuringParentsDestroy = IsWindow(first) && IsWindow(second) && IsWindow(grandchild);
    }
    return std::nullopt;
  });
  SetHandler(first, [&](HWND, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (message == WM_NCDESTROY) grandchildGoneBeforeFirstsNcDestroy = !IsWindow(grandchild);
    return std::nullopt;
  });
  Log().clear();
  ASSERT_TRUE(DestroyWindow(parent));

  std::vector<Logged> order;
  for (const Logged& logged : Log()) {
    if (logged.message == WM_DESTROY || logged.message == WM_NCDESTROY) order.push_back(logged);
  }
  const std::vector<Logged> expected = {
      {parent, WM_DESTROY, 0, 0},       {second, WM_DESTROY, 0, 0},    {second, WM_NCDESTROY, 0, 0},
      {first, WM_DESTROY, 0, 0},        {grandchild, WM_DESTROY, 0, 0}, {grandchild, WM_NCDESTROY, 0, 0},
      {first, WM_NCDESTROY, 0, 0},      {parent, WM_NCDESTROY, 0, 0},
  };
  EXPECT_EQ(order, expected);
  EXPECT_TRUE(childrenAliveDuringParentsDestroy);
  EXPECT_TRUE(grandchildGoneBeforeFirstsNcDestroy);
  for (HWND hwnd : {parent, first, second, grandchild}) EXPECT_FALSE(IsWindow(hwnd));
}

TEST_F(WindowTreeTest, DestroyingAChildLeavesTheParent) {
  HWND parent = MakeTopLevel("KeepsParent", 0, 0, 100, 100);
  HWND child = MakeChild(parent, 0, 0, 10, 10);
  ASSERT_TRUE(DestroyWindow(child));
  EXPECT_TRUE(IsWindow(parent));
  EXPECT_FALSE(IsWindow(child));
  EXPECT_FALSE(DestroyWindow(child));
}

TEST_F(WindowTreeTest, DestroyFinishesWhenAProcedureThrowsAndThenPassesTheException) {
  HWND parent = MakeTopLevel("ThrowingFamily", 0, 0, 100, 100);
  HWND child = MakeChild(parent, 0, 0, 10, 10);
  SetHandler(child, [](HWND, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (message == WM_DESTROY) throw std::runtime_error("child will not go quietly");
    return std::nullopt;
  });
  EXPECT_THROW(DestroyWindow(parent), std::runtime_error);
  EXPECT_FALSE(IsWindow(parent));
  EXPECT_FALSE(IsWindow(child));
  EXPECT_EQ(LogOf(WM_NCDESTROY, parent).size(), 1u);
}

TEST_F(WindowTreeTest, StaleHandlesAreRefusedEverywhere) {
  HWND parent = MakeTopLevel("Stale", 0, 0, 100, 100);
  HWND stale = MakeChild(parent, 0, 0, 10, 10);
  ASSERT_TRUE(DestroyWindow(stale));
  RECT rect{};
  PAINTSTRUCT paint{};
  MSG msg{};
  EXPECT_FALSE(IsWindow(stale));
  EXPECT_EQ(SendMessageA(stale, WM_USER, 0, 0), 0);
  EXPECT_FALSE(PostMessageA(stale, WM_USER, 0, 0));
  EXPECT_EQ(GetParent(stale), nullptr);
  EXPECT_FALSE(ShowWindow(stale, SW_SHOW));
  EXPECT_FALSE(IsWindowVisible(stale));
  EXPECT_FALSE(EnableWindow(stale, FALSE));
  EXPECT_FALSE(IsWindowEnabled(stale));
  EXPECT_FALSE(SetWindowPos(stale, nullptr, 0, 0, 5, 5, 0));
  EXPECT_FALSE(MoveWindow(stale, 0, 0, 5, 5, TRUE));
  EXPECT_FALSE(GetWindowRect(stale, &rect));
  EXPECT_FALSE(GetClientRect(stale, &rect));
  EXPECT_FALSE(SetWindowTextA(stale, "x"));
  EXPECT_EQ(SetWindowLongPtrA(stale, GWLP_USERDATA, 5), 0);
  EXPECT_EQ(GetWindowLongPtrA(stale, GWLP_USERDATA), 0);
  EXPECT_EQ(DefWindowProcA(stale, WM_CLOSE, 0, 0), 0);
  EXPECT_EQ(GetDC(stale), nullptr);
  EXPECT_EQ(BeginPaint(stale, &paint), nullptr);
  EXPECT_FALSE(InvalidateRect(stale, nullptr, TRUE));
  EXPECT_FALSE(UpdateWindow(stale));
  EXPECT_EQ(SetTimer(stale, 1, 100, nullptr), 0u);
  EXPECT_EQ(SetFocus(stale), nullptr);
  EXPECT_EQ(SetActiveWindow(stale), nullptr);
  EXPECT_FALSE(SetForegroundWindow(stale));
  EXPECT_EQ(GetMessageA(&msg, stale, 0, 0), -1);
  EXPECT_FALSE(DestroyWindow(stale));
  // A handle that was never issued is refused as well.
  HWND forged = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(0x12345678));
  EXPECT_FALSE(IsWindow(forged));
  EXPECT_EQ(SendMessageA(forged, WM_USER, 0, 0), 0);
  EXPECT_EQ(SendMessageA(nullptr, WM_USER, 0, 0), 0);
}

TEST_F(WindowTreeTest, HandleValuesAreNeverReused) {
  HWND parent = MakeTopLevel("Handles", 0, 0, 100, 100);
  std::set<HWND> seen{parent};
  for (int i = 0; i < 200; ++i) {
    HWND child = MakeChild(parent, 0, 0, 1, 1);
    ASSERT_NE(child, nullptr);
    EXPECT_TRUE(seen.insert(child).second) << "handle reused after " << i << " windows";
    DestroyWindow(child);
  }
}

TEST_F(WindowTreeTest, UserDataAndSubclassing) {
  HWND window = MakeTopLevel("Subclassed", 0, 0, 50, 50);
  EXPECT_EQ(SetWindowLongPtrA(window, GWLP_USERDATA, 1234), 0);
  EXPECT_EQ(SetWindowLongPtrA(window, GWLP_USERDATA, 5678), 1234);
  EXPECT_EQ(GetWindowLongPtrA(window, GWLP_USERDATA), 5678);

  static WNDPROC original = nullptr;
  static std::vector<UINT> spied;
  spied.clear();
  const WNDPROC spy = [](HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
    spied.push_back(message);
    return original(hwnd, message, wParam, lParam) + 1;
  };
  original = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(spy)));
  ASSERT_NE(original, nullptr);
  EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window, GWLP_WNDPROC)), spy);
  SetHandler(window, [](HWND, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (message == WM_USER) return 10;
    return std::nullopt;
  });
  EXPECT_EQ(SendMessageA(window, WM_USER, 0, 0), 11);
  EXPECT_EQ(spied, std::vector<UINT>{WM_USER});
  EXPECT_EQ(LogOf(WM_USER, window).size(), 1u);
  // The procedure cannot be taken away, only replaced; unknown indexes do nothing.
  EXPECT_EQ(SetWindowLongPtrA(window, GWLP_WNDPROC, 0), 0);
  EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window, GWLP_WNDPROC)), spy);
  EXPECT_EQ(SetWindowLongPtrA(window, -100, 3), 0);
  EXPECT_EQ(GetWindowLongPtrA(window, -100), 0);
}

TEST_F(WindowTreeTest, VisibilityAndEnablingFollowTheParents) {
  HWND parent = MakeTopLevel("Visibility", 0, 0, 100, 100);
  HWND child = MakeChild(parent, 0, 0, 10, 10, true);
  EXPECT_FALSE(IsWindowVisible(child));  // the parent is hidden
  EXPECT_FALSE(ShowWindow(parent, SW_SHOW));
  EXPECT_TRUE(IsWindowVisible(child));
  EXPECT_TRUE(ShowWindow(child, SW_HIDE));
  EXPECT_FALSE(IsWindowVisible(child));
  EXPECT_TRUE(IsWindowVisible(parent));

  EXPECT_FALSE(EnableWindow(child, FALSE));  // was enabled
  EXPECT_FALSE(IsWindowEnabled(child));
  EXPECT_TRUE(EnableWindow(child, TRUE));  // was disabled
  EXPECT_TRUE(IsWindowEnabled(child));
  const auto enables = LogOf(WM_ENABLE, child);
  ASSERT_EQ(enables.size(), 2u);
  EXPECT_EQ(enables[0].wParam, static_cast<WPARAM>(FALSE));
  EXPECT_EQ(enables[1].wParam, static_cast<WPARAM>(TRUE));
  HWND disabled = CreateWindowExA(0, LoggingClass(), "", WS_CHILD | WS_DISABLED, 0, 0, 5, 5, parent, nullptr,
                                  nullptr, nullptr);
  EXPECT_FALSE(IsWindowEnabled(disabled));
}

TEST_F(WindowTreeTest, ChildGeometryIsInTheParentsClientCoordinates) {
  HWND parent = MakeTopLevel("Geometry", 100, 100, 300, 200);
  HWND child = MakeChild(parent, 10, 20, 30, 40);
  Log().clear();
  ASSERT_TRUE(SetWindowPos(child, nullptr, 50, 60, 0, 0, SWP_NOSIZE | SWP_NOZORDER));
  ASSERT_TRUE(MoveWindow(child, 50, 60, 70, 80, TRUE));
  RECT rect{};
  GetWindowRect(child, &rect);
  EXPECT_EQ(rect.left, 50);
  EXPECT_EQ(rect.top, 60);
  EXPECT_EQ(rect.right, 120);
  EXPECT_EQ(rect.bottom, 140);
  EXPECT_EQ(LogOf(WM_MOVE, child), (std::vector<Logged>{{child, WM_MOVE, 0, (60 << 16) | 50}}));
  EXPECT_EQ(LogOf(WM_SIZE, child), (std::vector<Logged>{{child, WM_SIZE, 0, (80 << 16) | 70}}));
  // Negative sizes are none.
  ASSERT_TRUE(SetWindowPos(child, nullptr, 0, 0, -5, -5, SWP_NOMOVE));
  GetClientRect(child, &rect);
  EXPECT_EQ(rect.right, 0);
  EXPECT_EQ(rect.bottom, 0);
}

TEST_F(WindowTreeTest, WindowTextGoesThroughWmSetText) {
  HWND window = MakeTopLevel("Before", 0, 0, 50, 50);
  ASSERT_TRUE(SetWindowTextA(window, "After"));
  const auto texts = LogOf(WM_SETTEXT, window);
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_STREQ(SDL_GetWindowTitle(platform::SdlWindowOf(window)), "After");
}

TEST_F(WindowTreeTest, WmCloseByDefaultDestroysTheWindow) {
  HWND window = MakeTopLevel("Closing", 0, 0, 50, 50);
  SendMessageA(window, WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindow(window));
}

}  // namespace
