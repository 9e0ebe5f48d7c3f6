// Device contexts, the objects selected into them, and copies between them.
#include <cstring>

#include "platform/gdi/draw_target.h"
#include "platform/gdi/gdi_helpers.h"
#include "platform/gdi/objects.h"
#include "platform/surface.h"
#include "platform/wingdi.h"

using namespace platform::gdi;

namespace {

int logPixels = 96;

template <typename T>
Selected<T> SelectStock(std::uintptr_t handle) {
  return Selected<T>{HandleTable::Instance().Find<T>(ToHandle<void*>(handle)), handle};
}

// A DC with the defaults of a new one: black pen one pixel wide, white brush, the
// system font, black text on an opaque white background.
std::shared_ptr<DeviceContext> NewDeviceContext() {
  auto dc = std::make_shared<DeviceContext>();
  HandleTable& table = HandleTable::Instance();
  dc->pen = SelectStock<Pen>(table.Stock(BLACK_PEN));
  dc->brush = SelectStock<Brush>(table.Stock(WHITE_BRUSH));
  dc->font = SelectStock<Font>(table.DefaultFont());
  return dc;
}

template <typename T>
HGDIOBJ Swap(Selected<T>& slot, std::shared_ptr<Object> object, const void* handle) {
  const std::uintptr_t previous = slot.handle;
  slot.object = std::static_pointer_cast<T>(std::move(object));
  slot.handle = HandleValue(handle);
  return ToHandle<HGDIOBJ>(previous);
}

}  // namespace

namespace platform {

HDC CreateSurfaceDC(pixman_image_t* image, int originX, int originY, const pixman_region32_t* clip,
                    std::function<void(const RECT&)> onDamage) {
  if (image == nullptr || pixman_image_get_format(image) != PIXMAN_x8r8g8b8 ||
      pixman_image_get_data(image) == nullptr || pixman_image_get_stride(image) <= 0) {
    return nullptr;
  }
  auto dc = NewDeviceContext();
  dc->surface = pixman_image_ref(image);
  dc->originX = originX;
  dc->originY = originY;
  if (clip != nullptr) {
    dc->hasClip = true;
    pixman_region32_copy(&dc->clip, const_cast<pixman_region32_t*>(clip));
  }
  dc->onDamage = std::move(onDamage);
  return ToHandle<HDC>(HandleTable::Instance().Add(std::move(dc)));
}

pixman_image_t* BitmapImage(HBITMAP bitmap) {
  auto object = Find<Bitmap>(bitmap);
  return object ? object->image : nullptr;
}

HBITMAP CopyBitmap(HBITMAP source) {
  auto bitmap = Find<Bitmap>(source);
  if (!bitmap) return nullptr;
  const int width = pixman_image_get_width(bitmap->image);
  const int height = pixman_image_get_height(bitmap->image);
  // Not cleared first: the copy writes every pixel, and clearing cost as much as copying.
  pixman_image_t* copy = NewImage(width, height, false);
  if (copy == nullptr) return nullptr;
  pixman_image_composite32(PIXMAN_OP_SRC, bitmap->image, nullptr, copy, 0, 0, 0, 0, 0, 0, width, height);
  return ToHandle<HBITMAP>(HandleTable::Instance().Add(std::make_shared<Bitmap>(copy)));
}

SIZE BitmapSize(HBITMAP bitmap) {
  auto object = Find<Bitmap>(bitmap);
  if (!object) return SIZE{0, 0};
  return SIZE{pixman_image_get_width(object->image), pixman_image_get_height(object->image)};
}

HBITMAP SelectedBitmap(HDC hdc) {
  auto dc = Find<DeviceContext>(hdc);
  if (!dc || dc->surface != nullptr) return nullptr;
  return ToHandle<HBITMAP>(dc->bitmap.handle);
}

void SetLogPixels(int dpi) { logPixels = dpi > 0 ? dpi : 96; }

std::size_t LiveGdiObjectCount() { return HandleTable::Instance().Count(); }

}  // namespace platform

HDC CreateCompatibleDC(HDC hdc) {
  if (hdc != nullptr && !Find<DeviceContext>(hdc)) return nullptr;
  auto dc = NewDeviceContext();
  dc->bitmap = SelectStock<Bitmap>(HandleTable::Instance().DefaultBitmap());
  return ToHandle<HDC>(HandleTable::Instance().Add(std::move(dc)));
}

BOOL DeleteDC(HDC hdc) {
  if (!Find<DeviceContext>(hdc)) return FALSE;
  return HandleTable::Instance().Remove(hdc) ? TRUE : FALSE;
}

HBITMAP CreateCompatibleBitmap(HDC hdc, int cx, int cy) {
  if (hdc != nullptr && !Find<DeviceContext>(hdc)) return nullptr;
  pixman_image_t* image = NewImage(cx, cy);
  if (image == nullptr) return nullptr;
  return ToHandle<HBITMAP>(HandleTable::Instance().Add(std::make_shared<Bitmap>(image)));
}

HGDIOBJ SelectObject(HDC hdc, HGDIOBJ h) {
  auto dc = Find<DeviceContext>(hdc);
  auto object = HandleTable::Instance().FindAny(h);
  if (!dc || !object) return nullptr;
  switch (object->kind) {
    case Kind::Bitmap:
      // Only a memory DC draws into a bitmap; a surface DC keeps its surface.
      if (dc->surface != nullptr) return nullptr;
      return Swap(dc->bitmap, std::move(object), h);
    case Kind::Brush:
      return Swap(dc->brush, std::move(object), h);
    case Kind::Pen:
      return Swap(dc->pen, std::move(object), h);
    case Kind::Font:
      return Swap(dc->font, std::move(object), h);
    default:
      return nullptr;
  }
}

BOOL DeleteObject(HGDIOBJ h) {
  auto object = HandleTable::Instance().FindAny(h);
  if (!object || object->kind == Kind::DeviceContext || object->kind == Kind::DrawDib) return FALSE;
  // An object still selected into a DC stays alive there until it is replaced or the DC goes.
  return HandleTable::Instance().Remove(h) ? TRUE : FALSE;
}

HGDIOBJ GetStockObject(int i) { return ToHandle<HGDIOBJ>(HandleTable::Instance().Stock(i)); }

int GetDeviceCaps(HDC hdc, int index) {
  auto dc = Find<DeviceContext>(hdc);
  if (!dc) return 0;
  switch (index) {
    case HORZRES:
      return pixman_image_get_width(dc->Image());
    case VERTRES:
      return pixman_image_get_height(dc->Image());
    case BITSPIXEL:
      return 32;
    case LOGPIXELSX:
    case LOGPIXELSY:
      return logPixels;
    default:
      return 0;
  }
}

BOOL BitBlt(HDC hdc, int x, int y, int cx, int cy, HDC hdcSrc, int x1, int y1, DWORD rop) {
  auto dc = Find<DeviceContext>(hdc);
  auto src = Find<DeviceContext>(hdcSrc);
  if (!dc || !src || rop != SRCCOPY) return FALSE;
  if (cx <= 0 || cy <= 0) return TRUE;
  pixman_image_t* source = src->Image();
  const int sx = ClampCoord(static_cast<std::int64_t>(x1) + src->originX);
  const int sy = ClampCoord(static_cast<std::int64_t>(y1) + src->originY);
  // pixman does not promise a correct copy between overlapping parts of one image.
  pixman_image_t* copy = nullptr;
  if (source == dc->Image()) {
    const int width = pixman_image_get_width(source);
    const int height = pixman_image_get_height(source);
    copy = NewImage(width, height);
    if (copy == nullptr) return FALSE;
    pixman_image_composite32(PIXMAN_OP_SRC, source, nullptr, copy, 0, 0, 0, 0, 0, 0, width, height);
    source = copy;
  }
  DrawTarget target(*dc);
  target.Copy(source, sx, sy,
              RECT{x, y, ClampCoord(static_cast<std::int64_t>(x) + cx), ClampCoord(static_cast<std::int64_t>(y) + cy)});
  if (copy != nullptr) pixman_image_unref(copy);
  return TRUE;
}

HBRUSH CreateSolidBrush(COLORREF color) {
  return ToHandle<HBRUSH>(HandleTable::Instance().Add(std::make_shared<Brush>(false, color & 0xFFFFFF)));
}

HPEN CreatePen(int iStyle, int cWidth, COLORREF color) {
  if (iStyle < PS_SOLID || iStyle > PS_NULL || cWidth < 0) return nullptr;
  const int width = cWidth == 0 ? 1 : cWidth;
  return ToHandle<HPEN>(HandleTable::Instance().Add(std::make_shared<Pen>(iStyle, width, color & 0xFFFFFF)));
}

HFONT CreateFontIndirectA(const LOGFONTA* lplf) {
  if (lplf == nullptr) return nullptr;
  LOGFONTA lf = *lplf;
  lf.lfFaceName[LF_FACESIZE - 1] = '\0';
  return ToHandle<HFONT>(HandleTable::Instance().Add(std::make_shared<Font>(lf)));
}

COLORREF SetTextColor(HDC hdc, COLORREF color) {
  auto dc = Find<DeviceContext>(hdc);
  if (!dc) return 0xFFFFFFFF;
  const COLORREF previous = dc->textColor;
  dc->textColor = color & 0xFFFFFF;
  return previous;
}

COLORREF SetBkColor(HDC hdc, COLORREF color) {
  auto dc = Find<DeviceContext>(hdc);
  if (!dc) return 0xFFFFFFFF;
  const COLORREF previous = dc->bkColor;
  dc->bkColor = color & 0xFFFFFF;
  return previous;
}

int SetBkMode(HDC hdc, int mode) {
  auto dc = Find<DeviceContext>(hdc);
  if (!dc || (mode != TRANSPARENT && mode != OPAQUE)) return 0;
  const int previous = dc->bkMode;
  dc->bkMode = mode;
  return previous;
}
