#pragma once
// GDI-style drawing: device contexts over 32-bit surfaces, bitmaps, DIB transfer,
// text, outlines and fills. Implemented on pixman (pixels) and cairo (text, lines).
#include "platform/windef.h"

#pragma pack(push, 2)
struct BITMAPINFOHEADER {
  DWORD biSize;
  LONG biWidth;
  LONG biHeight;  // positive: rows bottom-up; negative: top-down
  WORD biPlanes;
  WORD biBitCount;
  DWORD biCompression;
  DWORD biSizeImage;
  LONG biXPelsPerMeter;
  LONG biYPelsPerMeter;
  DWORD biClrUsed;  // 0 with 8 bits or fewer: the full table (1 << biBitCount entries)
  DWORD biClrImportant;
};
#pragma pack(pop)
static_assert(sizeof(BITMAPINFOHEADER) == 40);
using PBITMAPINFOHEADER = BITMAPINFOHEADER*;
using LPBITMAPINFOHEADER = BITMAPINFOHEADER*;

struct RGBQUAD {
  BYTE rgbBlue;
  BYTE rgbGreen;
  BYTE rgbRed;
  BYTE rgbReserved;
};
static_assert(sizeof(RGBQUAD) == 4);

struct BITMAPINFO {
  BITMAPINFOHEADER bmiHeader;
  RGBQUAD bmiColors[1];
};
static_assert(sizeof(BITMAPINFO) == 44);
using PBITMAPINFO = BITMAPINFO*;
using LPBITMAPINFO = BITMAPINFO*;

constexpr DWORD BI_RGB = 0;
constexpr DWORD BI_RLE8 = 1;
constexpr DWORD BI_RLE4 = 2;
constexpr DWORD BI_BITFIELDS = 3;

constexpr UINT DIB_RGB_COLORS = 0;
constexpr DWORD SRCCOPY = 0x00CC0020;

// Background modes for text.
constexpr int TRANSPARENT = 1;
constexpr int OPAQUE = 2;

// Pen styles.
constexpr int PS_SOLID = 0;
constexpr int PS_DASH = 1;
constexpr int PS_DOT = 2;
constexpr int PS_DASHDOT = 3;
constexpr int PS_DASHDOTDOT = 4;
constexpr int PS_NULL = 5;

// Stock objects.
constexpr int WHITE_BRUSH = 0;
constexpr int BLACK_BRUSH = 4;
constexpr int NULL_BRUSH = 5;
constexpr int WHITE_PEN = 6;
constexpr int BLACK_PEN = 7;
constexpr int NULL_PEN = 8;

// Font weights.
constexpr LONG FW_NORMAL = 400;
constexpr LONG FW_BOLD = 700;

// Device capabilities.
constexpr int HORZRES = 8;
constexpr int VERTRES = 10;
constexpr int BITSPIXEL = 12;
constexpr int LOGPIXELSX = 88;
constexpr int LOGPIXELSY = 90;

constexpr int LF_FACESIZE = 32;
struct LOGFONTA {
  LONG lfHeight;  // negative: character height (em size); positive: cell height
  LONG lfWidth;
  LONG lfEscapement;
  LONG lfOrientation;
  LONG lfWeight;
  BYTE lfItalic;
  BYTE lfUnderline;
  BYTE lfStrikeOut;
  BYTE lfCharSet;
  BYTE lfOutPrecision;
  BYTE lfClipPrecision;
  BYTE lfQuality;
  BYTE lfPitchAndFamily;
  char lfFaceName[LF_FACESIZE];
};

struct TEXTMETRICA {
  LONG tmHeight;  // cell height: ascent + descent
  LONG tmAscent;
  LONG tmDescent;
  LONG tmInternalLeading;  // cell height minus the em size
  LONG tmExternalLeading;
  LONG tmAveCharWidth;
  LONG tmMaxCharWidth;
};

// Device contexts. A memory DC starts with a 1 x 1 bitmap selected.
HDC CreateCompatibleDC(HDC hdc);
BOOL DeleteDC(HDC hdc);
// A 32-bit bitmap, black; 0 for a zero or absurd size.
HBITMAP CreateCompatibleBitmap(HDC hdc, int cx, int cy);
HGDIOBJ SelectObject(HDC hdc, HGDIOBJ h);
BOOL DeleteObject(HGDIOBJ h);
HGDIOBJ GetStockObject(int i);
int GetDeviceCaps(HDC hdc, int index);

// DIB transfer. StretchDIBits returns the scan lines drawn, 0 for a format it cannot read.
// GetDIBits writes at most cLines rows in the DIB's own format and returns the rows written.
int StretchDIBits(HDC hdc, int xDest, int yDest, int DestWidth, int DestHeight, int xSrc, int ySrc,
                  int SrcWidth, int SrcHeight, const void* lpBits, const BITMAPINFO* lpbmi, UINT iUsage,
                  DWORD rop);
int GetDIBits(HDC hdc, HBITMAP hbm, UINT start, UINT cLines, LPVOID lpvBits, LPBITMAPINFO lpbmi, UINT usage);
BOOL BitBlt(HDC hdc, int x, int y, int cx, int cy, HDC hdcSrc, int x1, int y1, DWORD rop);

// Objects.
HFONT CreateFontIndirectA(const LOGFONTA* lplf);
HBRUSH CreateSolidBrush(COLORREF color);
HPEN CreatePen(int iStyle, int cWidth, COLORREF color);

// Text.
COLORREF SetTextColor(HDC hdc, COLORREF color);
COLORREF SetBkColor(HDC hdc, COLORREF color);
int SetBkMode(HDC hdc, int mode);
BOOL TextOutA(HDC hdc, int x, int y, LPCSTR lpString, int c);
BOOL GetTextExtentPoint32A(HDC hdc, LPCSTR lpString, int c, SIZE* psizl);
BOOL GetTextMetricsA(HDC hdc, TEXTMETRICA* lptm);

// Outlines and fills. Rectangle outlines columns left..right-1 and rows top..bottom-1
// with the selected pen and fills the inside with the selected brush.
BOOL Rectangle(HDC hdc, int left, int top, int right, int bottom);
int FillRect(HDC hdc, const RECT* lprc, HBRUSH hbr);
