#pragma once
// Internal to the layers above platform/: helpers on GDI objects that the Windows
// API spells differently or not at all (GetObject, GetCurrentObject, a bitmap copy).
#include <cstddef>

#include "platform/wingdi.h"

namespace platform {

// A new bitmap with the size and pixels of `source`; 0 for a handle that is not a bitmap.
HBITMAP CopyBitmap(HBITMAP source);

// The size of a bitmap; 0 x 0 for a handle that is not a bitmap.
SIZE BitmapSize(HBITMAP bitmap);

// The bitmap selected into a memory DC (its 1 x 1 default one until another is selected);
// 0 for any other handle.
HBITMAP SelectedBitmap(HDC hdc);

// Pixels per logical inch that GetDeviceCaps reports (LOGPIXELSX, LOGPIXELSY); 96 by default.
void SetLogPixels(int dpi);

// Live GDI handles of every kind, stock objects included; for leak checks in tests.
std::size_t LiveGdiObjectCount();

}  // namespace platform
