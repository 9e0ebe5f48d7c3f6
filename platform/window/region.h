#pragma once
// Internal to platform/window: a pixman region with value semantics, for update areas,
// damage and clips.
#include <utility>
#include <vector>

#include <pixman.h>

#include "platform/windef.h"

namespace platform::window {

class Region {
 public:
  Region() { pixman_region32_init(&region_); }
  explicit Region(const RECT& rect) {
    if (rect.right > rect.left && rect.bottom > rect.top) {
      pixman_region32_init_rect(&region_, rect.left, rect.top, static_cast<unsigned>(rect.right - rect.left),
                                static_cast<unsigned>(rect.bottom - rect.top));
    } else {
      pixman_region32_init(&region_);
    }
  }
  Region(const Region& other) {
    pixman_region32_init(&region_);
    pixman_region32_copy(&region_, const_cast<pixman_region32_t*>(&other.region_));
  }
  Region(Region&& other) noexcept : Region() { std::swap(region_, other.region_); }
  Region& operator=(Region other) noexcept {
    std::swap(region_, other.region_);
    return *this;
  }
  ~Region() { pixman_region32_fini(&region_); }

  bool Empty() const { return !pixman_region32_not_empty(const_cast<pixman_region32_t*>(&region_)); }
  void Clear() {
    pixman_region32_fini(&region_);
    pixman_region32_init(&region_);
  }
  void Union(const Region& other) { pixman_region32_union(&region_, &region_, Raw(other)); }
  void Union(const RECT& rect) { Union(Region(rect)); }
  void Intersect(const Region& other) { pixman_region32_intersect(&region_, &region_, Raw(other)); }
  void Intersect(const RECT& rect) { Intersect(Region(rect)); }
  void Subtract(const Region& other) { pixman_region32_subtract(&region_, &region_, Raw(other)); }
  void Subtract(const RECT& rect) { Subtract(Region(rect)); }
  void Translate(int dx, int dy) { pixman_region32_translate(&region_, dx, dy); }

  RECT Extents() const {
    if (Empty()) return RECT{0, 0, 0, 0};
    const pixman_box32_t* box = pixman_region32_extents(const_cast<pixman_region32_t*>(&region_));
    return RECT{box->x1, box->y1, box->x2, box->y2};
  }
  std::vector<RECT> Rects() const {
    int count = 0;
    const pixman_box32_t* boxes = pixman_region32_rectangles(const_cast<pixman_region32_t*>(&region_), &count);
    std::vector<RECT> rects;
    rects.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) rects.push_back(RECT{boxes[i].x1, boxes[i].y1, boxes[i].x2, boxes[i].y2});
    return rects;
  }
  const pixman_region32_t* Get() const { return &region_; }

 private:
  static pixman_region32_t* Raw(const Region& r) { return const_cast<pixman_region32_t*>(&r.region_); }
  pixman_region32_t region_;
};

}  // namespace platform::window
