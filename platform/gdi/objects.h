#pragma once
// Internal to platform/gdi: the objects behind GDI handles and the table that
// issues and checks the handles. Everything here runs on the GUI thread only.
#include <cstdint>
#include <functional>
#include <memory>
#include <unordered_map>
#include <vector>

#include <pixman.h>

#include "platform/gdi/smooth_scale.h"
#include "platform/wingdi.h"

namespace platform::gdi {

class FontFace;

enum class Kind { DeviceContext, Bitmap, Brush, Pen, Font, DrawDib };

struct Object {
  explicit Object(Kind k) : kind(k) {}
  virtual ~Object() = default;
  Object(const Object&) = delete;
  Object& operator=(const Object&) = delete;

  const Kind kind;
  bool stock = false;  // stock objects live as long as the table; DeleteObject leaves them alone
};

// Always x8r8g8b8; owns its pixels.
struct Bitmap : Object {
  static constexpr Kind kKind = Kind::Bitmap;
  explicit Bitmap(pixman_image_t* pixels) : Object(kKind), image(pixels) {}
  ~Bitmap() override { pixman_image_unref(image); }
  pixman_image_t* image;
};

struct Brush : Object {
  static constexpr Kind kKind = Kind::Brush;
  Brush(bool isNull, COLORREF c) : Object(kKind), null(isNull), color(c) {}
  bool null;  // fills nothing
  COLORREF color;
};

struct Pen : Object {
  static constexpr Kind kKind = Kind::Pen;
  Pen(int s, int w, COLORREF c) : Object(kKind), style(s), width(w), color(c) {}
  int style;  // PS_*; pens wider than one pixel are always drawn solid, as GDI does
  int width;  // at least 1
  COLORREF color;
};

struct Font : Object {
  static constexpr Kind kKind = Kind::Font;
  explicit Font(const LOGFONTA& l) : Object(kKind), logFont(l) {}
  // The face for this font, resolved through the font cache on first use; null when
  // no face can be made.
  const FontFace* Face();

  LOGFONTA logFont;
  std::shared_ptr<const FontFace> face;  // shared with the font cache
};

// A selected object together with the handle it was selected by, so that
// SelectObject can hand the previous handle back.
template <typename T>
struct Selected {
  std::shared_ptr<T> object;
  std::uintptr_t handle = 0;
};

struct DeviceContext : Object {
  static constexpr Kind kKind = Kind::DeviceContext;
  DeviceContext() : Object(kKind) { pixman_region32_init(&clip); }
  ~DeviceContext() override {
    pixman_region32_fini(&clip);
    if (surface != nullptr) pixman_image_unref(surface);
  }

  // The pixels drawn into: a window surface (referenced, owned by the window system)
  // or, for a memory DC, the selected bitmap's image.
  pixman_image_t* Image() const { return surface != nullptr ? surface : bitmap.object->image; }

  pixman_image_t* surface = nullptr;  // set for surface DCs only
  Selected<Bitmap> bitmap;            // memory DCs only
  int originX = 0;                    // DC coordinates + origin = image coordinates
  int originY = 0;
  bool hasClip = false;     // surface DCs: drawing is limited to `clip` (image coordinates)
  pixman_region32_t clip;
  std::function<void(const RECT&)> onDamage;  // told the image rectangles that drawing may have changed

  Selected<Pen> pen;
  Selected<Brush> brush;
  Selected<Font> font;
  COLORREF textColor = RGB(0, 0, 0);
  COLORREF bkColor = RGB(255, 255, 255);
  int bkMode = OPAQUE;
};

// Holds a reusable 32-bit image so that drawing frame after frame allocates nothing.
class ScratchImage {
 public:
  ScratchImage() = default;
  ~ScratchImage();
  ScratchImage(const ScratchImage&) = delete;
  ScratchImage& operator=(const ScratchImage&) = delete;
  // An x8r8g8b8 image of exactly width x height over the reused buffer; null when out of memory.
  pixman_image_t* Get(int width, int height);

 private:
  std::vector<std::uint32_t> pixels_;
  pixman_image_t* image_ = nullptr;
  int width_ = 0;
  int height_ = 0;
};

struct DrawDibContext : Object {
  static constexpr Kind kKind = Kind::DrawDib;
  DrawDibContext() : Object(kKind) {}
  SmoothScaler scaler;  // its buffers, kept between frames
};

// Issues handles for objects and checks them on every use. A handle is a number
// that is never issued twice, so a stale handle finds nothing.
class HandleTable {
 public:
  static HandleTable& Instance();

  std::uintptr_t Add(std::shared_ptr<Object> object);
  // The object of the given kind behind `handle`; null for any other handle.
  template <typename T>
  std::shared_ptr<T> Find(const void* handle) const {
    auto object = FindAny(handle);
    if (!object || object->kind != T::kKind) return nullptr;
    return std::static_pointer_cast<T>(object);
  }
  std::shared_ptr<Object> FindAny(const void* handle) const;
  // Forgets the handle; the object lives on while something else (a DC) holds it.
  bool Remove(const void* handle);
  std::size_t Count() const { return objects_.size(); }

  // Stock objects, created with the table.
  std::uintptr_t Stock(int index) const;
  std::uintptr_t DefaultBitmap() const { return defaultBitmap_; }
  std::uintptr_t DefaultFont() const { return defaultFont_; }

 private:
  HandleTable();
  std::uintptr_t AddStock(std::shared_ptr<Object> object);

  std::unordered_map<std::uintptr_t, std::shared_ptr<Object>> objects_;
  std::uintptr_t next_;
  std::unordered_map<int, std::uintptr_t> stock_;
  std::uintptr_t defaultBitmap_ = 0;
  std::uintptr_t defaultFont_ = 0;
};

template <typename T>
std::shared_ptr<T> Find(const void* handle) {
  return HandleTable::Instance().Find<T>(handle);
}

template <typename H>
H ToHandle(std::uintptr_t value) {
  return reinterpret_cast<H>(value);
}

inline std::uintptr_t HandleValue(const void* handle) { return reinterpret_cast<std::uintptr_t>(handle); }

// A new x8r8g8b8 image, black unless `cleared` is false (for a caller that writes every pixel
// at once); null for a size outside 1..kMaxDimension or when out of memory.
pixman_image_t* NewImage(int width, int height, bool cleared = true);

// The largest width or height of a bitmap or DIB we accept.
constexpr int kMaxDimension = 16384;

pixman_color_t ToPixmanColor(COLORREF color);

}  // namespace platform::gdi
