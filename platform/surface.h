#pragma once
// Internal to platform/: the seam between the window system and GDI drawing.
// A window's client area is just another surface that device contexts draw into.
#include <functional>

#include <pixman.h>

#include "platform/wingdi.h"

namespace platform {

// A device context that draws into `image` (x8r8g8b8; owned by the caller, which
// keeps it alive until DeleteDC). Coordinates given to the DC are shifted by
// (originX, originY); drawing is clipped to `clip` (image coordinates, copied;
// null means the whole image). `onDamage`, when set, is told every image
// rectangle that a drawing call may have changed, so the owner can present it.
HDC CreateSurfaceDC(pixman_image_t* image, int originX, int originY, const pixman_region32_t* clip,
                    std::function<void(const RECT&)> onDamage);

// The pixels of a bitmap made by CreateCompatibleBitmap; null for a handle that is not one.
pixman_image_t* BitmapImage(HBITMAP bitmap);

}  // namespace platform
