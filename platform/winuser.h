#pragma once
// The window system: a tree of windows with a window procedure each, messages
// sent and posted, the message loop, message timers, focus and activation, and a
// modal message box. Top-level windows are SDL windows; child windows are
// rectangles of their parent in our own tree.
#include "platform/windef.h"

using WNDPROC = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);
using TIMERPROC = void (*)(HWND, UINT, UINT_PTR, DWORD);

struct WNDCLASSA {
  UINT style;
  WNDPROC lpfnWndProc;
  int cbClsExtra;
  int cbWndExtra;
  HINSTANCE hInstance;
  HICON hIcon;
  HCURSOR hCursor;
  HBRUSH hbrBackground;  // fills uncovered areas on WM_ERASEBKGND in DefWindowProc; may be 0
  LPCSTR lpszMenuName;
  LPCSTR lpszClassName;
};

struct MSG {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  DWORD time;
  POINT pt;
};

struct PAINTSTRUCT {
  HDC hdc;
  BOOL fErase;
  RECT rcPaint;
};

struct CREATESTRUCTA {
  LPVOID lpCreateParams;
  HINSTANCE hInstance;
  HMENU hMenu;
  HWND hwndParent;
  int cy;
  int cx;
  int y;
  int x;
  LONG style;
  LPCSTR lpszName;
  LPCSTR lpszClass;
  DWORD dwExStyle;
};

// Messages.
constexpr UINT WM_NULL = 0x0000;
constexpr UINT WM_CREATE = 0x0001;
constexpr UINT WM_DESTROY = 0x0002;
constexpr UINT WM_MOVE = 0x0003;
constexpr UINT WM_SIZE = 0x0005;
constexpr UINT WM_ACTIVATE = 0x0006;  // wParam: WA_*; lParam: the window losing or gaining activation
constexpr UINT WM_SETFOCUS = 0x0007;  // wParam: the window that lost the focus, or 0
constexpr UINT WM_KILLFOCUS = 0x0008;  // wParam: the window that receives the focus, or 0
constexpr UINT WM_ENABLE = 0x000A;
constexpr UINT WM_SETTEXT = 0x000C;
constexpr UINT WM_PAINT = 0x000F;
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_QUERYENDSESSION = 0x0011;
constexpr UINT WM_QUIT = 0x0012;
constexpr UINT WM_ERASEBKGND = 0x0014;  // wParam: the HDC to fill
constexpr UINT WM_SHOWWINDOW = 0x0018;
constexpr UINT WM_ACTIVATEAPP = 0x001C;  // wParam: TRUE when the program becomes active
constexpr UINT WM_ENDSESSION = 0x0016;
constexpr UINT WM_NCDESTROY = 0x0082;
constexpr UINT WM_KEYDOWN = 0x0100;
constexpr UINT WM_KEYUP = 0x0101;
constexpr UINT WM_SYSKEYDOWN = 0x0104;
constexpr UINT WM_SYSKEYUP = 0x0105;
constexpr UINT WM_SYSCOMMAND = 0x0112;
constexpr UINT WM_TIMER = 0x0113;  // wParam: timer id; lParam: the TIMERPROC or 0
constexpr UINT WM_LBUTTONDOWN = 0x0201;
constexpr UINT WM_LBUTTONUP = 0x0202;
constexpr UINT WM_USER = 0x0400;

constexpr WPARAM WA_INACTIVE = 0;
constexpr WPARAM WA_ACTIVE = 1;
constexpr WPARAM WA_CLICKACTIVE = 2;
constexpr WPARAM SC_CLOSE = 0xF060;

// Virtual keys.
constexpr WPARAM VK_RETURN = 0x0D;
constexpr WPARAM VK_ESCAPE = 0x1B;
constexpr WPARAM VK_SPACE = 0x20;
constexpr WPARAM VK_F4 = 0x73;

// Window styles.
constexpr DWORD WS_OVERLAPPED = 0x00000000;
constexpr DWORD WS_POPUP = 0x80000000;
constexpr DWORD WS_CHILD = 0x40000000;
constexpr DWORD WS_VISIBLE = 0x10000000;
constexpr DWORD WS_DISABLED = 0x08000000;
constexpr DWORD WS_CLIPCHILDREN = 0x02000000;
constexpr DWORD WS_CAPTION = 0x00C00000;
constexpr DWORD WS_BORDER = 0x00800000;
constexpr DWORD WS_SYSMENU = 0x00080000;
constexpr DWORD WS_THICKFRAME = 0x00040000;
constexpr DWORD WS_OVERLAPPEDWINDOW = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME;

constexpr int SW_HIDE = 0;
constexpr int SW_SHOWNORMAL = 1;
constexpr int SW_SHOW = 5;

constexpr UINT SWP_NOSIZE = 0x0001;
constexpr UINT SWP_NOMOVE = 0x0002;
constexpr UINT SWP_NOZORDER = 0x0004;
constexpr UINT SWP_NOACTIVATE = 0x0010;

constexpr int GWLP_WNDPROC = -4;
constexpr int GWLP_USERDATA = -21;

constexpr UINT PM_NOREMOVE = 0x0000;
constexpr UINT PM_REMOVE = 0x0001;

// Message box.
constexpr UINT MB_OK = 0x00000000;
constexpr UINT MB_ICONSTOP = 0x00000010;
constexpr UINT MB_ICONERROR = MB_ICONSTOP;
constexpr int IDOK = 1;

constexpr int SM_CXSCREEN = 0;
constexpr int SM_CYSCREEN = 1;

ATOM RegisterClassA(const WNDCLASSA* lpWndClass);
// A top-level window (no WS_CHILD) is created hidden unless WS_VISIBLE is given, borderless
// unless WS_CAPTION is given; x, y, nWidth, nHeight are its outer bounds. Returns 0 when the
// window cannot be made (no display, unknown class, a child without a live parent).
HWND CreateWindowExA(DWORD dwExStyle, LPCSTR lpClassName, LPCSTR lpWindowName, DWORD dwStyle, int X, int Y,
                     int nWidth, int nHeight, HWND hWndParent, HMENU hMenu, HINSTANCE hInstance, LPVOID lpParam);
BOOL DestroyWindow(HWND hWnd);  // the window's children first go with it
BOOL IsWindow(HWND hWnd);
HWND GetParent(HWND hWnd);
BOOL ShowWindow(HWND hWnd, int nCmdShow);
BOOL IsWindowVisible(HWND hWnd);
BOOL EnableWindow(HWND hWnd, BOOL bEnable);
BOOL IsWindowEnabled(HWND hWnd);
BOOL SetWindowPos(HWND hWnd, HWND hWndInsertAfter, int X, int Y, int cx, int cy, UINT uFlags);
BOOL MoveWindow(HWND hWnd, int X, int Y, int nWidth, int nHeight, BOOL bRepaint);
BOOL GetWindowRect(HWND hWnd, RECT* lpRect);  // screen coordinates for top-level windows, parent client otherwise
BOOL GetClientRect(HWND hWnd, RECT* lpRect);
BOOL SetWindowTextA(HWND hWnd, LPCSTR lpString);
LONG_PTR SetWindowLongPtrA(HWND hWnd, int nIndex, LONG_PTR dwNewLong);
LONG_PTR GetWindowLongPtrA(HWND hWnd, int nIndex);
LRESULT DefWindowProcA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);

// Messages. SendMessageA calls the window procedure at once (nesting is allowed) and yields 0
// for a window that does not exist or 0. Exceptions thrown by a window procedure pass through.
LRESULT SendMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);
BOOL PostMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);
void PostQuitMessage(int nExitCode);
// Waits (no busy waiting) until a posted message, a timer tick or a window-system event is there.
// Returns 0 on WM_QUIT (its wParam is the exit code), -1 on failure, nonzero otherwise.
BOOL GetMessageA(MSG* lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax);
BOOL PeekMessageA(MSG* lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax, UINT wRemoveMsg);
BOOL TranslateMessage(const MSG* lpMsg);
// Dispatches to the window procedure (or the TIMERPROC of a WM_TIMER), then presents what
// drawing changed on screen.
LRESULT DispatchMessageA(const MSG* lpMsg);

// Message timers. uElapse is an unsigned number of milliseconds. Returns 0 when the timer cannot
// be made: a live-timer limit per process makes that refusal real.
UINT_PTR SetTimer(HWND hWnd, UINT_PTR nIDEvent, UINT uElapse, TIMERPROC lpTimerFunc);
BOOL KillTimer(HWND hWnd, UINT_PTR uIDEvent);

// Painting and device contexts. A window's DC draws into its client area, origin at its
// top-left corner, leaving visible child windows out.
HDC GetDC(HWND hWnd);
int ReleaseDC(HWND hWnd, HDC hDC);
HDC BeginPaint(HWND hWnd, PAINTSTRUCT* lpPaint);
BOOL EndPaint(HWND hWnd, const PAINTSTRUCT* lpPaint);
BOOL InvalidateRect(HWND hWnd, const RECT* lpRect, BOOL bErase);
BOOL UpdateWindow(HWND hWnd);

// Focus and activation (top-level windows only are activated).
HWND SetFocus(HWND hWnd);
HWND GetFocus();
HWND SetActiveWindow(HWND hWnd);
HWND GetActiveWindow();
BOOL SetForegroundWindow(HWND hWnd);

// A modal message box: the program's other windows take no input while it is open; posted
// messages and timers go on being dispatched. A carriage return in the text breaks the line.
int MessageBoxA(HWND hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT uType);

int GetSystemMetrics(int nIndex);

// Not in the original API: the reason the window system could not start (no display...),
// empty when it is running or not yet asked to.
LPCSTR GetWindowSystemError();
