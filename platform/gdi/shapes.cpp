// Outlines and fills: Rectangle and FillRect.
#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

#include "platform/gdi/draw_target.h"
#include "platform/gdi/objects.h"
#include "platform/wingdi.h"

using namespace platform::gdi;

namespace {

// On and off lengths, in pixels, of the styles of one-pixel pens.
std::vector<int> DashPattern(int style) {
  switch (style) {
    case PS_DASH:
      return {18, 6};
    case PS_DOT:
      return {3, 3};
    case PS_DASHDOT:
      return {9, 6, 3, 6};
    case PS_DASHDOTDOT:
      return {9, 3, 3, 3, 3, 3};
    default:
      return {};
  }
}

// A straight run of outline pixels: from (x, y), `length` pixels in direction (dx, dy),
// starting `offset` pixels along the whole outline.
struct Edge {
  int x;
  int y;
  int dx;
  int dy;
  std::int64_t length;
  std::int64_t offset;
};

// A styled one-pixel outline is a pattern laid pixel by pixel along the outline, clockwise
// from the top-left corner, as GDI draws cosmetic pens; its gaps are the background colour
// when the background mode is opaque. Only the part of each edge inside `visible` is walked.
void StyledOutline(const std::vector<Edge>& edges, const std::vector<int>& pattern, const RECT& visible,
                   std::vector<RECT>* on, std::vector<RECT>* off) {
  std::int64_t period = 0;
  for (int part : pattern) period += part;
  for (const Edge& e : edges) {
    // The steps k (0 <= k < length) whose pixel lies inside `visible`.
    std::int64_t first = 0;
    std::int64_t last = e.length;  // exclusive
    auto limit = [&](int start, int step, int low, int high) {
      if (step == 0) {
        if (start < low || start >= high) last = first;
        return;
      }
      // start + step * k in [low, high)
      std::int64_t a = step > 0 ? static_cast<std::int64_t>(low) - start : static_cast<std::int64_t>(start) - (high - 1);
      std::int64_t b = step > 0 ? static_cast<std::int64_t>(high) - start : static_cast<std::int64_t>(start) - low + 1;
      first = std::max(first, a);
      last = std::min(last, b);
    };
    limit(e.x, e.dx, visible.left, visible.right);
    limit(e.y, e.dy, visible.top, visible.bottom);
    std::int64_t k = first;
    while (k < last) {
      // Find the pattern part at this point of the outline and how much of it is left.
      std::int64_t phase = (e.offset + k) % period;
      std::size_t part = 0;
      while (phase >= pattern[part]) phase -= pattern[part++];
      const std::int64_t run = std::min<std::int64_t>(pattern[part] - phase, last - k);
      const int x0 = static_cast<int>(e.x + e.dx * k);
      const int y0 = static_cast<int>(e.y + e.dy * k);
      const int x1 = static_cast<int>(e.x + e.dx * (k + run - 1));
      const int y1 = static_cast<int>(e.y + e.dy * (k + run - 1));
      const RECT r{std::min(x0, x1), std::min(y0, y1), std::max(x0, x1) + 1, std::max(y0, y1) + 1};
      (part % 2 == 0 ? on : off)->push_back(r);
      k += run;
    }
  }
}

// The outline pixels of columns left..right-1 and rows top..bottom-1, clockwise from the
// top-left corner, each pixel once.
std::vector<Edge> OutlineEdges(int left, int top, int right, int bottom) {
  const std::int64_t w = static_cast<std::int64_t>(right) - left;
  const std::int64_t h = static_cast<std::int64_t>(bottom) - top;
  if (h == 1) return {Edge{left, top, 1, 0, w, 0}};
  if (w == 1) return {Edge{left, top, 0, 1, h, 0}};
  return {Edge{left, top, 1, 0, w, 0}, Edge{right - 1, top + 1, 0, 1, h - 1, w},
          Edge{right - 2, bottom - 1, -1, 0, w - 1, w + h - 1}, Edge{left, bottom - 2, 0, -1, h - 2, 2 * w + h - 2}};
}

}  // namespace

BOOL Rectangle(HDC hdc, int left, int top, int right, int bottom) {
  auto dc = Find<DeviceContext>(hdc);
  if (!dc) return FALSE;
  left = ClampCoord(left);
  top = ClampCoord(top);
  right = ClampCoord(right);
  bottom = ClampCoord(bottom);
  if (left > right) std::swap(left, right);
  if (top > bottom) std::swap(top, bottom);
  if (left == right || top == bottom) return TRUE;

  DrawTarget target(*dc);
  const Brush& brush = *dc->brush.object;
  if (!brush.null) target.Fill(RECT{left, top, right, bottom}, brush.color);

  const Pen& pen = *dc->pen.object;
  if (pen.style == PS_NULL) return TRUE;
  const std::vector<int> pattern = DashPattern(pen.style);
  if (pen.width > 1 || pattern.empty()) {
    // Solid bands of the pen's width, inside the rectangle.
    const std::int64_t w = pen.width;
    target.Fill({RECT{left, top, right, ClampCoord(std::min<std::int64_t>(bottom, top + w))},
                 RECT{left, ClampCoord(std::max<std::int64_t>(top, bottom - w)), right, bottom},
                 RECT{left, top, ClampCoord(std::min<std::int64_t>(right, left + w)), bottom},
                 RECT{ClampCoord(std::max<std::int64_t>(left, right - w)), top, right, bottom}},
                pen.color);
    return TRUE;
  }
  std::vector<RECT> on;
  std::vector<RECT> off;
  StyledOutline(OutlineEdges(left, top, right, bottom), pattern, target.VisibleBounds(), &on, &off);
  if (dc->bkMode == OPAQUE) target.Fill(off, dc->bkColor);
  target.Fill(on, pen.color);
  return TRUE;
}

int FillRect(HDC hdc, const RECT* lprc, HBRUSH hbr) {
  auto dc = Find<DeviceContext>(hdc);
  auto brush = Find<Brush>(hbr);
  if (!dc || !brush || lprc == nullptr) return 0;
  if (!brush->null) {
    DrawTarget target(*dc);
    target.Fill(*lprc, brush->color);
  }
  return 1;
}
