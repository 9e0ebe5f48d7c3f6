#pragma once
// Video-capture style API: the capture window with its messages and callbacks, and
// DrawDib drawing. The capture window is a child window of our window tree whose
// drivers are GStreamer sources (see platform/capture/).
#include "platform/wingdi.h"
#include "platform/winuser.h"

struct VIDEOHDR {
  LPBYTE lpData;  // the frame's pixels; the driver's buffer, writable, valid until the next grab
  DWORD dwBufferLength;
  DWORD dwBytesUsed;
  DWORD dwTimeCaptured;
  DWORD_PTR dwUser;
  DWORD dwFlags;
  DWORD_PTR dwReserved[4];
};
using LPVIDEOHDR = VIDEOHDR*;

using CAPERRORCALLBACKA = LRESULT (*)(HWND hWnd, int nID, LPCSTR lpsz);
using CAPVIDEOCALLBACK = LRESULT (*)(HWND hWnd, LPVIDEOHDR lpVHdr);

constexpr UINT WM_CAP_START = WM_USER;
constexpr UINT WM_CAP_SET_CALLBACK_ERROR = WM_CAP_START + 2;
constexpr UINT WM_CAP_SET_CALLBACK_FRAME = WM_CAP_START + 5;
constexpr UINT WM_CAP_GET_USER_DATA = WM_CAP_START + 8;
constexpr UINT WM_CAP_SET_USER_DATA = WM_CAP_START + 9;
constexpr UINT WM_CAP_DRIVER_CONNECT = WM_CAP_START + 10;
constexpr UINT WM_CAP_DRIVER_DISCONNECT = WM_CAP_START + 11;
constexpr UINT WM_CAP_GET_VIDEOFORMAT = WM_CAP_START + 44;
constexpr UINT WM_CAP_SET_VIDEOFORMAT = WM_CAP_START + 45;
constexpr UINT WM_CAP_GRAB_FRAME = WM_CAP_START + 60;

// A hidden (without WS_VISIBLE) child window of hwndParent that answers the WM_CAP_* messages;
// 0 when it cannot be created.
HWND capCreateCaptureWindowA(LPCSTR lpszWindowName, DWORD dwStyle, int x, int y, int nWidth, int nHeight,
                             HWND hwndParent, int nID);

// DrawDib: a source rectangle of a DIB drawn, scaled, into a destination rectangle of a DC.
HDRAWDIB DrawDibOpen();
BOOL DrawDibClose(HDRAWDIB hdd);  // closing 0 does nothing
BOOL DrawDibDraw(HDRAWDIB hdd, HDC hdc, int xDst, int yDst, int dxDst, int dyDst, LPBITMAPINFOHEADER lpbi,
                 LPVOID lpBits, int xSrc, int ySrc, int dxSrc, int dySrc, UINT wFlags);
