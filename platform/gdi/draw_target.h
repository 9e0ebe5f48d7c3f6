#pragma once
// Internal to platform/gdi: a device context resolved for one drawing call, with the
// clip in image coordinates and the damage reported to the DC's owner.
#include <cstdint>
#include <vector>

#include <cairo.h>
#include <pixman.h>

#include "platform/gdi/objects.h"

namespace platform::gdi {

// Coordinates from callers may be anything; pixman regions hold 32-bit values.
inline int ClampCoord(std::int64_t v) {
  constexpr std::int64_t kLimit = std::int64_t{1} << 30;
  return static_cast<int>(v < -kLimit ? -kLimit : (v > kLimit ? kLimit : v));
}

class DrawTarget {
 public:
  explicit DrawTarget(const DeviceContext& dc);
  ~DrawTarget();
  DrawTarget(const DrawTarget&) = delete;
  DrawTarget& operator=(const DrawTarget&) = delete;

  pixman_image_t* Image() const { return image_; }
  // The bounds of the drawable area in DC coordinates.
  RECT VisibleBounds() const;

  // Fills the rectangle (DC coordinates; left/top inclusive, right/bottom exclusive).
  void Fill(const RECT& rect, COLORREF color);
  void Fill(const std::vector<RECT>& rects, COLORREF color);

  // Copies `source` into `rect` (DC coordinates): the rectangle's top-left pixel takes the
  // source's (srcX, srcY), both through the source's transform and filter when it has them.
  void Copy(pixman_image_t* source, int srcX, int srcY, const RECT& rect);

  // Calls `visit(dst, width, height, dx, dy)` for each visible part of `rect`: `dst` points at
  // the part's top-left pixel in the image, (dx, dy) is its offset from the rectangle's corner.
  // For writers of our own that bypass pixman; damage is reported afterwards.
  template <typename Visit>
  void ForEachVisible(const RECT& rect, Visit visit) {
    pixman_region32_t region;
    if (!Visible(rect, &region)) return;
    int count = 0;
    const pixman_box32_t* boxes = pixman_region32_rectangles(&region, &count);
    auto* data = reinterpret_cast<std::uint8_t*>(pixman_image_get_data(image_));
    const int stride = pixman_image_get_stride(image_);
    for (int i = 0; i < count; ++i) {
      const pixman_box32_t& b = boxes[i];
      auto* dst = reinterpret_cast<std::uint32_t*>(data + static_cast<std::ptrdiff_t>(b.y1) * stride) + b.x1;
      visit(dst, b.x2 - b.x1, b.y2 - b.y1, static_cast<int>(b.x1 - (static_cast<std::int64_t>(rect.left) + originX_)),
            static_cast<int>(b.y1 - (static_cast<std::int64_t>(rect.top) + originY_)));
    }
    Damage(region);
    pixman_region32_fini(&region);
  }
  int ImageStride() const { return pixman_image_get_stride(image_); }

  // A cairo context over the image in DC coordinates, clipped; null when cairo fails.
  // EndCairo flushes it and reports `bounds` (DC coordinates) as damaged.
  cairo_t* BeginCairo();
  void EndCairo(cairo_t* cr, const RECT& bounds);

 private:
  // The part of `rect` (DC coordinates) that may be drawn, in image coordinates.
  // False, with `out` released, when nothing of it is visible.
  bool Visible(const RECT& rect, pixman_region32_t* out) const;
  void Damage(pixman_region32_t& region) const;

  const DeviceContext& dc_;
  pixman_image_t* image_;
  int originX_;
  int originY_;
  pixman_region32_t clip_;  // the drawable area in image coordinates
};

}  // namespace platform::gdi
