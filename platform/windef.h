#pragma once
// Base types, handles and geometry of the Windows-shaped platform API.
// Our own declarations: only what the layers above use, with the names and
// sizes those layers were written against.
#include <cstddef>
#include <cstdint>

using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using LONG = std::int32_t;
using UINT = unsigned int;
using BOOL = int;
using ATOM = WORD;
using LONG_PTR = std::intptr_t;
using UINT_PTR = std::uintptr_t;
using DWORD_PTR = std::uintptr_t;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
using LPBYTE = BYTE*;
using LPSTR = char*;
using LPCSTR = const char*;
using LPVOID = void*;
using COLORREF = DWORD;

constexpr BOOL FALSE = 0;
constexpr BOOL TRUE = 1;

// Handles are opaque values issued by the platform and checked on every use:
// a handle that was never issued, or whose object is gone, is simply refused.
#define PLATFORM_DECLARE_HANDLE(name) \
  struct name##__;                    \
  using name = name##__*
PLATFORM_DECLARE_HANDLE(HWND);
PLATFORM_DECLARE_HANDLE(HDC);
PLATFORM_DECLARE_HANDLE(HBITMAP);
PLATFORM_DECLARE_HANDLE(HBRUSH);
PLATFORM_DECLARE_HANDLE(HPEN);
PLATFORM_DECLARE_HANDLE(HFONT);
PLATFORM_DECLARE_HANDLE(HINSTANCE);
PLATFORM_DECLARE_HANDLE(HMENU);
PLATFORM_DECLARE_HANDLE(HICON);
PLATFORM_DECLARE_HANDLE(HCURSOR);
PLATFORM_DECLARE_HANDLE(HDRAWDIB);
#undef PLATFORM_DECLARE_HANDLE
using HGDIOBJ = void*;

struct POINT {
  LONG x;
  LONG y;
};

struct SIZE {
  LONG cx;
  LONG cy;
};

struct RECT {
  LONG left;
  LONG top;
  LONG right;
  LONG bottom;
};

constexpr COLORREF RGB(BYTE r, BYTE g, BYTE b) {
  return static_cast<COLORREF>(r) | (static_cast<COLORREF>(g) << 8) | (static_cast<COLORREF>(b) << 16);
}
constexpr BYTE GetRValue(COLORREF c) { return static_cast<BYTE>(c & 0xFF); }
constexpr BYTE GetGValue(COLORREF c) { return static_cast<BYTE>((c >> 8) & 0xFF); }
constexpr BYTE GetBValue(COLORREF c) { return static_cast<BYTE>((c >> 16) & 0xFF); }
