#include <cstring>
#include <new>

#include "platform/gdi/objects.h"

namespace platform::gdi {

namespace {

// Handles start well away from 0 and small integers and step by 4, so that a
// number that merely looks like a handle is unlikely to be one.
constexpr std::uintptr_t kFirstHandle = 0x10000;
constexpr std::uintptr_t kHandleStep = 4;

LOGFONTA DefaultLogFont() {
  LOGFONTA lf{};
  lf.lfHeight = 16;  // cell height, as the system font of a new DC
  lf.lfWeight = FW_NORMAL;
  std::strncpy(lf.lfFaceName, "System", LF_FACESIZE - 1);
  return lf;
}

}  // namespace

HandleTable& HandleTable::Instance() {
  static HandleTable table;
  return table;
}

HandleTable::HandleTable() : next_(kFirstHandle) {
  stock_[WHITE_BRUSH] = AddStock(std::make_shared<Brush>(false, RGB(255, 255, 255)));
  stock_[BLACK_BRUSH] = AddStock(std::make_shared<Brush>(false, RGB(0, 0, 0)));
  stock_[NULL_BRUSH] = AddStock(std::make_shared<Brush>(true, RGB(0, 0, 0)));
  stock_[WHITE_PEN] = AddStock(std::make_shared<Pen>(PS_SOLID, 1, RGB(255, 255, 255)));
  stock_[BLACK_PEN] = AddStock(std::make_shared<Pen>(PS_SOLID, 1, RGB(0, 0, 0)));
  stock_[NULL_PEN] = AddStock(std::make_shared<Pen>(PS_NULL, 1, RGB(0, 0, 0)));
  defaultFont_ = AddStock(std::make_shared<Font>(DefaultLogFont()));
  // The bitmap a memory DC starts with. One pixel, shared by every such DC.
  defaultBitmap_ = AddStock(std::make_shared<Bitmap>(NewImage(1, 1)));
}

std::uintptr_t HandleTable::AddStock(std::shared_ptr<Object> object) {
  object->stock = true;
  return Add(std::move(object));
}

std::uintptr_t HandleTable::Add(std::shared_ptr<Object> object) {
  const std::uintptr_t handle = next_;
  next_ += kHandleStep;
  objects_.emplace(handle, std::move(object));
  return handle;
}

std::shared_ptr<Object> HandleTable::FindAny(const void* handle) const {
  auto it = objects_.find(HandleValue(handle));
  return it == objects_.end() ? nullptr : it->second;
}

bool HandleTable::Remove(const void* handle) {
  auto it = objects_.find(HandleValue(handle));
  if (it == objects_.end()) return false;
  if (it->second->stock) return true;
  objects_.erase(it);
  return true;
}

std::uintptr_t HandleTable::Stock(int index) const {
  auto it = stock_.find(index);
  return it == stock_.end() ? 0 : it->second;
}

pixman_image_t* NewImage(int width, int height, bool cleared) {
  if (width < 1 || height < 1 || width > kMaxDimension || height > kMaxDimension) return nullptr;
  // pixman clears the pixels it allocates: a new bitmap is black.
  if (cleared) return pixman_image_create_bits(PIXMAN_x8r8g8b8, width, height, nullptr, 0);
  return pixman_image_create_bits_no_clear(PIXMAN_x8r8g8b8, width, height, nullptr, 0);
}

pixman_color_t ToPixmanColor(COLORREF color) {
  // 8-bit channels widened by 257 come back unchanged when pixman narrows them.
  return pixman_color_t{static_cast<std::uint16_t>(GetRValue(color) * 257),
                        static_cast<std::uint16_t>(GetGValue(color) * 257),
                        static_cast<std::uint16_t>(GetBValue(color) * 257), 0xFFFF};
}

ScratchImage::~ScratchImage() {
  if (image_ != nullptr) pixman_image_unref(image_);
}

pixman_image_t* ScratchImage::Get(int width, int height) {
  if (image_ != nullptr && width == width_ && height == height_) return image_;
  if (image_ != nullptr) {
    pixman_image_unref(image_);
    image_ = nullptr;
  }
  const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  try {
    if (pixels_.size() < count) pixels_.resize(count);
  } catch (const std::bad_alloc&) {
    width_ = height_ = 0;
    return nullptr;
  }
  image_ = pixman_image_create_bits(PIXMAN_x8r8g8b8, width, height, pixels_.data(), width * 4);
  width_ = image_ != nullptr ? width : 0;
  height_ = image_ != nullptr ? height : 0;
  return image_;
}

}  // namespace platform::gdi
