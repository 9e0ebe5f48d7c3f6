// Painting: client-area surfaces, device contexts clipped to what a window shows, update
// areas with WM_ERASEBKGND and WM_PAINT, and presenting drawn areas on screen.
#include <algorithm>

#include "platform/surface.h"
#include "platform/window/window_state.h"
#include "platform/wingdi.h"

namespace platform::window {

POINT SurfaceOffset(const Window* window) {
  POINT offset{0, 0};
  for (; window != nullptr && window->parent != nullptr; window = window->parent) {
    offset.x += window->rect.left;
    offset.y += window->rect.top;
  }
  return offset;
}

namespace {

RECT SurfaceRect(const Window* window) {
  const POINT offset = SurfaceOffset(window);
  return RECT{offset.x, offset.y, offset.x + window->Width(), offset.y + window->Height()};
}

}  // namespace

Region VisibleRegion(const Window* window) {
  const Window* top = window;
  while (top->parent != nullptr) top = top->parent;
  Region visible(RECT{0, 0, top->Width(), top->Height()});
  for (const Window* w = window; w != top; w = w->parent) {
    // A hidden child shows nothing, and neither do its descendants.
    if (!w->visible) return Region();
    visible.Intersect(SurfaceRect(w));
  }
  const POINT offset = SurfaceOffset(window);
  for (const Window* child : window->children) {
    if (!child->visible) continue;
    RECT area = child->rect;
    area.left += offset.x;
    area.right += offset.x;
    area.top += offset.y;
    area.bottom += offset.y;
    visible.Subtract(area);
  }
  return visible;
}

void Invalidate(Window* window, const Region& clientArea, bool erase) {
  Region area = clientArea;
  area.Intersect(RECT{0, 0, window->Width(), window->Height()});
  if (area.Empty()) return;
  window->update.Union(area);
  window->erase = window->erase || erase;
  ++window->paintSerial;
}

void InvalidateAll(Window* window, bool erase) {
  Invalidate(window, Region(RECT{0, 0, window->Width(), window->Height()}), erase);
  for (Window* child : window->children) InvalidateAll(child, erase);
}

void InvalidateSurfaceArea(Window* top, const Region& area, bool erase) {
  if (area.Empty()) return;
  Region part = area;
  part.Intersect(SurfaceRect(top));
  if (part.Empty()) return;
  const POINT offset = SurfaceOffset(top);
  part.Translate(-offset.x, -offset.y);
  Invalidate(top, part, erase);
  for (Window* child : top->children) InvalidateSurfaceArea(child, area, erase);
}

bool ResizeSurface(Window* top, int width, int height) {
  width = std::max(width, 1);
  height = std::max(height, 1);
  pixman_image_t* image = pixman_image_create_bits(PIXMAN_x8r8g8b8, width, height, nullptr, 0);
  if (image == nullptr) return false;
  if (top->surface != nullptr) {
    const int keepWidth = std::min(width, pixman_image_get_width(top->surface));
    const int keepHeight = std::min(height, pixman_image_get_height(top->surface));
    pixman_image_composite32(PIXMAN_OP_SRC, top->surface, nullptr, image, 0, 0, 0, 0, 0, 0, keepWidth, keepHeight);
    pixman_image_unref(top->surface);
  }
  top->surface = image;
  top->damage.Intersect(RECT{0, 0, width, height});
  return true;
}

namespace {

Window* FindUnpainted(Window* window, HWND filter) {
  if (!window->visible) return nullptr;
  if (!window->update.Empty() && (filter == nullptr || filter == window->handle)) return window;
  for (Window* child : window->children) {
    if (Window* found = FindUnpainted(child, filter)) return found;
  }
  return nullptr;
}

}  // namespace

Window* NextWindowToPaint(HWND filter) {
  for (Window* top : S().topLevels) {
    if (Window* found = FindUnpainted(top, filter)) return found;
  }
  return nullptr;
}

void FinishPaint(Window* window, unsigned serialBefore) {
  if (window->alive && window->paintSerial == serialBefore) {
    window->update.Clear();
    window->erase = false;
  }
}

void Present(Window* top) {
  if (top->sdl == nullptr || top->surface == nullptr || !top->visible || top->damage.Empty()) return;
  SDL_Surface* frame = SDL_GetWindowSurface(top->sdl);
  if (frame == nullptr) return;
  if (frame != top->presentedTo || frame->w != top->presentedWidth || frame->h != top->presentedHeight) {
    // A new framebuffer holds nothing of ours yet.
    top->presentedTo = frame;
    top->presentedWidth = frame->w;
    top->presentedHeight = frame->h;
    top->damage.Union(RECT{0, 0, frame->w, frame->h});
  }
  const int imageWidth = pixman_image_get_width(top->surface);
  const int imageHeight = pixman_image_get_height(top->surface);
  Region area = top->damage;
  top->damage.Clear();
  area.Intersect(RECT{0, 0, std::min(frame->w, imageWidth), std::min(frame->h, imageHeight)});
  const std::vector<RECT> rects = area.Rects();
  if (rects.empty()) return;

  const auto* source = reinterpret_cast<const std::uint8_t*>(pixman_image_get_data(top->surface));
  const int sourceStride = pixman_image_get_stride(top->surface);
  if (SDL_MUSTLOCK(frame) && SDL_LockSurface(frame) != 0) return;
  auto* target = static_cast<std::uint8_t*>(frame->pixels);
  const int targetBytes = frame->format->BytesPerPixel;
  std::vector<SDL_Rect> updated;
  updated.reserve(rects.size());
  for (const RECT& r : rects) {
    const int width = r.right - r.left;
    const int height = r.bottom - r.top;
    SDL_ConvertPixels(width, height, SDL_PIXELFORMAT_RGB888,
                      source + static_cast<std::ptrdiff_t>(r.top) * sourceStride + r.left * 4, sourceStride,
                      frame->format->format,
                      target + static_cast<std::ptrdiff_t>(r.top) * frame->pitch + r.left * targetBytes,
                      frame->pitch);
    updated.push_back(SDL_Rect{r.left, r.top, width, height});
  }
  if (SDL_MUSTLOCK(frame)) SDL_UnlockSurface(frame);
  SDL_UpdateWindowSurfaceRects(top->sdl, updated.data(), static_cast<int>(updated.size()));
}

void PresentAll() {
  // Copied: presenting never changes the list, but the copy keeps that true for good.
  const std::vector<Window*> tops = S().topLevels;
  for (Window* top : tops) Present(top);
}

namespace {

HDC MakeDc(Window* window, const Region& clip) {
  Window* top = TopLevelOf(window);
  if (top->surface == nullptr) return nullptr;
  const POINT offset = SurfaceOffset(window);
  const HWND topHandle = top->handle;
  HDC dc = platform::CreateSurfaceDC(top->surface, offset.x, offset.y, clip.Get(), [topHandle](const RECT& rect) {
    if (Window* owner = Find(topHandle)) owner->damage.Union(rect);
  });
  if (dc != nullptr) S().dcs[dc] = window->handle;
  return dc;
}

}  // namespace

}  // namespace platform::window

using namespace platform::window;

HDC GetDC(HWND hWnd) {
  Window* window = Find(hWnd);
  if (window == nullptr) return nullptr;
  return MakeDc(window, VisibleRegion(window));
}

int ReleaseDC(HWND /*hWnd*/, HDC hDC) {
  // The DC goes even when its window went first: it holds its own reference to the surface.
  auto& dcs = S().dcs;
  const auto found = dcs.find(hDC);
  if (found == dcs.end()) return 0;
  dcs.erase(found);
  DeleteDC(hDC);
  return 1;
}

HDC BeginPaint(HWND hWnd, PAINTSTRUCT* lpPaint) {
  Window* window = Find(hWnd);
  if (window == nullptr || lpPaint == nullptr) return nullptr;
  Region update = window->update;
  update.Intersect(RECT{0, 0, window->Width(), window->Height()});
  const bool erase = window->erase;
  window->update.Clear();
  window->erase = false;
  ++window->paintSerial;

  Region clip = update;
  const POINT offset = SurfaceOffset(window);
  clip.Translate(offset.x, offset.y);
  clip.Intersect(VisibleRegion(window));
  HDC dc = MakeDc(window, clip);
  lpPaint->hdc = dc;
  lpPaint->fErase = FALSE;
  lpPaint->rcPaint = update.Extents();
  if (dc == nullptr) return nullptr;
  if (erase) {
    struct ReleaseOnThrow {
      HWND hwnd;
      HDC dc;
      bool armed = true;
      ~ReleaseOnThrow() {
        if (armed) ReleaseDC(hwnd, dc);
      }
    } guard{hWnd, dc};
    const LRESULT erased = SendMessageA(hWnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    guard.armed = false;
    lpPaint->fErase = erased != 0 ? FALSE : TRUE;
  }
  return dc;
}

BOOL EndPaint(HWND hWnd, const PAINTSTRUCT* lpPaint) {
  if (lpPaint == nullptr) return FALSE;
  ReleaseDC(hWnd, lpPaint->hdc);
  return TRUE;
}

BOOL InvalidateRect(HWND hWnd, const RECT* lpRect, BOOL bErase) {
  if (hWnd == nullptr) {
    for (Window* top : S().topLevels) InvalidateAll(top, bErase != FALSE);
    return TRUE;
  }
  Window* window = Find(hWnd);
  if (window == nullptr) return FALSE;
  // Our device contexts always leave child windows out, so children need no repainting here.
  const Region area = lpRect != nullptr ? Region(*lpRect) : Region(RECT{0, 0, window->Width(), window->Height()});
  Invalidate(window, area, bErase != FALSE);
  return TRUE;
}

BOOL UpdateWindow(HWND hWnd) {
  const std::shared_ptr<Window> window = Hold(hWnd);
  if (!window) return FALSE;
  if (!window->update.Empty() && IsVisibleChain(window.get())) {
    struct Finish {
      Window* window;
      unsigned serial;
      ~Finish() { FinishPaint(window, serial); }
    } finish{window.get(), window->paintSerial};
    CallProcedure(window.get(), WM_PAINT, 0, 0);
  }
  if (Window* top = TopLevelOf(Find(hWnd))) Present(top);
  return TRUE;
}
