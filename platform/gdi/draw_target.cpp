#include "platform/gdi/draw_target.h"

#include <cstdint>

namespace platform::gdi {

DrawTarget::DrawTarget(const DeviceContext& dc)
    : dc_(dc), image_(dc.Image()), originX_(dc.originX), originY_(dc.originY) {
  const int width = pixman_image_get_width(image_);
  const int height = pixman_image_get_height(image_);
  if (dc.hasClip) {
    pixman_region32_init(&clip_);
    pixman_region32_intersect_rect(&clip_, const_cast<pixman_region32_t*>(&dc.clip), 0, 0,
                                   static_cast<unsigned>(width), static_cast<unsigned>(height));
  } else {
    pixman_region32_init_rect(&clip_, 0, 0, static_cast<unsigned>(width), static_cast<unsigned>(height));
  }
}

DrawTarget::~DrawTarget() { pixman_region32_fini(&clip_); }

RECT DrawTarget::VisibleBounds() const {
  const pixman_box32_t* e = pixman_region32_extents(const_cast<pixman_region32_t*>(&clip_));
  return RECT{e->x1 - originX_, e->y1 - originY_, e->x2 - originX_, e->y2 - originY_};
}

bool DrawTarget::Visible(const RECT& rect, pixman_region32_t* out) const {
  const int x1 = ClampCoord(static_cast<std::int64_t>(rect.left) + originX_);
  const int y1 = ClampCoord(static_cast<std::int64_t>(rect.top) + originY_);
  const int x2 = ClampCoord(static_cast<std::int64_t>(rect.right) + originX_);
  const int y2 = ClampCoord(static_cast<std::int64_t>(rect.bottom) + originY_);
  pixman_region32_init(out);
  if (x2 <= x1 || y2 <= y1) return false;
  pixman_region32_intersect_rect(out, const_cast<pixman_region32_t*>(&clip_), x1, y1,
                                 static_cast<unsigned>(x2 - x1), static_cast<unsigned>(y2 - y1));
  if (!pixman_region32_not_empty(out)) {
    pixman_region32_fini(out);
    return false;
  }
  return true;
}

void DrawTarget::Damage(pixman_region32_t& region) const {
  if (!dc_.onDamage || !pixman_region32_not_empty(&region)) return;
  const pixman_box32_t* e = pixman_region32_extents(&region);
  dc_.onDamage(RECT{e->x1, e->y1, e->x2, e->y2});
}

void DrawTarget::Fill(const RECT& rect, COLORREF color) { Fill(std::vector<RECT>{rect}, color); }

void DrawTarget::Fill(const std::vector<RECT>& rects, COLORREF color) {
  pixman_region32_t all;
  pixman_region32_init(&all);
  for (const RECT& rect : rects) {
    pixman_region32_t part;
    if (!Visible(rect, &part)) continue;
    pixman_region32_union(&all, &all, &part);
    pixman_region32_fini(&part);
  }
  int count = 0;
  const pixman_box32_t* boxes = pixman_region32_rectangles(&all, &count);
  if (count > 0) {
    const pixman_color_t c = ToPixmanColor(color);
    pixman_image_fill_boxes(PIXMAN_OP_SRC, image_, &c, count, boxes);
    Damage(all);
  }
  pixman_region32_fini(&all);
}

void DrawTarget::Copy(pixman_image_t* source, int srcX, int srcY, const RECT& rect) {
  pixman_region32_t region;
  if (!Visible(rect, &region)) return;
  // One composite per visible box, each with the source offset that box would have had in a
  // single composite over the whole rectangle; this leaves the image's own clip alone.
  int count = 0;
  const pixman_box32_t* boxes = pixman_region32_rectangles(&region, &count);
  const std::int64_t x0 = static_cast<std::int64_t>(rect.left) + originX_;
  const std::int64_t y0 = static_cast<std::int64_t>(rect.top) + originY_;
  for (int i = 0; i < count; ++i) {
    const pixman_box32_t& b = boxes[i];
    pixman_image_composite32(PIXMAN_OP_SRC, source, nullptr, image_, ClampCoord(srcX + (b.x1 - x0)),
                             ClampCoord(srcY + (b.y1 - y0)), 0, 0, b.x1, b.y1, b.x2 - b.x1, b.y2 - b.y1);
  }
  Damage(region);
  pixman_region32_fini(&region);
}

cairo_t* DrawTarget::BeginCairo() {
  cairo_surface_t* surface = cairo_image_surface_create_for_data(
      reinterpret_cast<unsigned char*>(pixman_image_get_data(image_)), CAIRO_FORMAT_RGB24,
      pixman_image_get_width(image_), pixman_image_get_height(image_), pixman_image_get_stride(image_));
  cairo_t* cr = cairo_create(surface);
  cairo_surface_destroy(surface);  // the context holds its own reference
  if (cairo_status(cr) != CAIRO_STATUS_SUCCESS) {
    cairo_destroy(cr);
    return nullptr;
  }
  int count = 0;
  const pixman_box32_t* boxes = pixman_region32_rectangles(&clip_, &count);
  for (int i = 0; i < count; ++i) {
    cairo_rectangle(cr, boxes[i].x1, boxes[i].y1, boxes[i].x2 - boxes[i].x1, boxes[i].y2 - boxes[i].y1);
  }
  cairo_clip(cr);
  cairo_translate(cr, originX_, originY_);
  return cr;
}

void DrawTarget::EndCairo(cairo_t* cr, const RECT& bounds) {
  cairo_surface_flush(cairo_get_target(cr));
  cairo_destroy(cr);
  pixman_region32_t region;
  if (!Visible(bounds, &region)) return;
  Damage(region);
  pixman_region32_fini(&region);
}

}  // namespace platform::gdi
