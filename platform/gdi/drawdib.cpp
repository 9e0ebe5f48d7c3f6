// DrawDib: a rectangle of a DIB drawn, scaled smoothly, into a device context.
#include <cstdint>
#include <new>

#include "platform/gdi/dib.h"
#include "platform/gdi/draw_target.h"
#include "platform/gdi/objects.h"
#include "platform/vfw.h"

using namespace platform::gdi;

HDRAWDIB DrawDibOpen() {
  return ToHandle<HDRAWDIB>(HandleTable::Instance().Add(std::make_shared<DrawDibContext>()));
}

BOOL DrawDibClose(HDRAWDIB hdd) {
  if (!Find<DrawDibContext>(hdd)) return FALSE;
  return HandleTable::Instance().Remove(hdd) ? TRUE : FALSE;
}

BOOL DrawDibDraw(HDRAWDIB hdd, HDC hdc, int xDst, int yDst, int dxDst, int dyDst, LPBITMAPINFOHEADER lpbi,
                 LPVOID lpBits, int xSrc, int ySrc, int dxSrc, int dySrc, UINT /*wFlags*/) {
  auto context = Find<DrawDibContext>(hdd);
  auto dc = Find<DeviceContext>(hdc);
  if (!context || !dc || lpBits == nullptr) return FALSE;
  const auto format = ReadDibFormat(lpbi);
  if (!format) return FALSE;
  // A destination extent of -1 stands for the picture's own.
  if (dxDst == -1) dxDst = format->width;
  if (dyDst == -1) dyDst = format->height;
  if (dxDst < 1 || dyDst < 1 || dxDst > kMaxScaledDimension || dyDst > kMaxScaledDimension) return FALSE;
  if (xDst != ClampCoord(xDst) || yDst != ClampCoord(yDst)) return FALSE;
  // Source coordinates count from the picture's top-left corner, whatever its row order.
  if (dxSrc < 1 || dySrc < 1 || xSrc < 0 || ySrc < 0 || static_cast<std::int64_t>(xSrc) + dxSrc > format->width ||
      static_cast<std::int64_t>(ySrc) + dySrc > format->height) {
    return FALSE;
  }
  DrawTarget target(*dc);
  try {
    DrawDibPixelsSmooth(target, *format, lpBits, PixelRect{xSrc, ySrc, dxSrc, dySrc},
                        RECT{xDst, yDst, xDst + dxDst, yDst + dyDst}, context->scaler);
  } catch (const std::bad_alloc&) {
    return FALSE;  // the scaler's row buffers: a failed drawing, as any other
  }
  return TRUE;
}
