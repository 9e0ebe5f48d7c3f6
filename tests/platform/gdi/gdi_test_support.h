#pragma once
// Shared pieces of the GDI tests: offscreen canvases, DIB headers, and buffers that
// sit against an inaccessible page, so that any read or write past them crashes the
// test in every build (pixman's own loops are not seen by the sanitizers).
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <vector>

#include <pixman.h>

#include "platform/gdi/gdi_helpers.h"
#include "platform/surface.h"
#include "platform/wingdi.h"

namespace gdi_test {

constexpr std::uint32_t Rgb(COLORREF c) {  // COLORREF as the x8r8g8b8 pixel it becomes
  return (static_cast<std::uint32_t>(GetRValue(c)) << 16) | (static_cast<std::uint32_t>(GetGValue(c)) << 8) |
         GetBValue(c);
}

// A memory DC with a bitmap of its own selected.
class Canvas {
 public:
  Canvas(int width, int height, COLORREF fill = RGB(0, 0, 0))
      : width_(width), height_(height), dc_(CreateCompatibleDC(nullptr)), bitmap_(CreateCompatibleBitmap(dc_, width, height)) {
    if (dc_ == nullptr || bitmap_ == nullptr) throw std::runtime_error("cannot make a canvas");
    old_ = SelectObject(dc_, bitmap_);
    Fill(fill);
  }
  ~Canvas() {
    SelectObject(dc_, old_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  HDC dc() const { return dc_; }
  HBITMAP bitmap() const { return bitmap_; }
  int width() const { return width_; }
  int height() const { return height_; }

  std::uint32_t Pixel(int x, int y) const {
    pixman_image_t* image = platform::BitmapImage(bitmap_);
    const auto* row = reinterpret_cast<const std::uint8_t*>(pixman_image_get_data(image)) +
                      static_cast<std::ptrdiff_t>(y) * pixman_image_get_stride(image);
    return reinterpret_cast<const std::uint32_t*>(row)[x] & 0xFFFFFF;
  }
  void SetPixel(int x, int y, std::uint32_t rgb) {
    pixman_image_t* image = platform::BitmapImage(bitmap_);
    auto* row = reinterpret_cast<std::uint8_t*>(pixman_image_get_data(image)) +
                static_cast<std::ptrdiff_t>(y) * pixman_image_get_stride(image);
    reinterpret_cast<std::uint32_t*>(row)[x] = rgb;
  }
  void Fill(COLORREF color) {
    for (int y = 0; y < height_; ++y)
      for (int x = 0; x < width_; ++x) SetPixel(x, y, Rgb(color));
  }
  // Every pixel, row by row from the top.
  std::vector<std::uint32_t> Pixels() const {
    std::vector<std::uint32_t> all;
    all.reserve(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_));
    for (int y = 0; y < height_; ++y)
      for (int x = 0; x < width_; ++x) all.push_back(Pixel(x, y));
    return all;
  }
  int Count(std::uint32_t rgb) const {
    int n = 0;
    for (std::uint32_t p : Pixels()) n += p == rgb ? 1 : 0;
    return n;
  }

 private:
  int width_;
  int height_;
  HDC dc_;
  HBITMAP bitmap_;
  HGDIOBJ old_ = nullptr;
};

// A BITMAPINFO with room for a colour table.
class DibInfo {
 public:
  DibInfo(int width, int height, int bitCount, int colours = 0)
      : bytes_(sizeof(BITMAPINFOHEADER) + 4 * static_cast<std::size_t>(colours)) {
    BITMAPINFOHEADER& h = header();
    h.biSize = sizeof(BITMAPINFOHEADER);
    h.biWidth = width;
    h.biHeight = height;
    h.biPlanes = 1;
    h.biBitCount = static_cast<WORD>(bitCount);
    h.biCompression = BI_RGB;
    h.biSizeImage = static_cast<DWORD>(Stride() * static_cast<std::size_t>(height < 0 ? -height : height));
    h.biClrUsed = static_cast<DWORD>(colours);
  }
  BITMAPINFOHEADER& header() { return *reinterpret_cast<BITMAPINFOHEADER*>(bytes_.data()); }
  BITMAPINFO* info() { return reinterpret_cast<BITMAPINFO*>(bytes_.data()); }
  RGBQUAD* table() { return reinterpret_cast<RGBQUAD*>(bytes_.data() + sizeof(BITMAPINFOHEADER)); }
  std::size_t size() const { return bytes_.size(); }
  std::size_t Stride() const {
    const BITMAPINFOHEADER& h = *reinterpret_cast<const BITMAPINFOHEADER*>(bytes_.data());
    return static_cast<std::size_t>((h.biWidth * h.biBitCount + 31) / 32 * 4);
  }
  std::size_t ImageBytes() const {
    const BITMAPINFOHEADER& h = *reinterpret_cast<const BITMAPINFOHEADER*>(bytes_.data());
    return Stride() * static_cast<std::size_t>(h.biHeight < 0 ? -h.biHeight : h.biHeight);
  }

 private:
  // The header needs 4-byte alignment, which vector storage has.
  std::vector<std::uint8_t> bytes_;
};

// `size` bytes against an inaccessible page: after them (`kGuardAfter`) or before them.
class GuardedBuffer {
 public:
  enum Side { kGuardAfter, kGuardBefore };
  GuardedBuffer(std::size_t size, Side side) : size_(size) {
    page_ = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    const std::size_t body = (size + page_ - 1) / page_ * page_ + page_;
    mapped_ = body + 2 * page_;
    void* base = mmap(nullptr, mapped_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (base == MAP_FAILED) throw std::runtime_error("mmap failed");
    base_ = static_cast<std::uint8_t*>(base);
    mprotect(base_, page_, PROT_NONE);
    mprotect(base_ + page_ + body, page_, PROT_NONE);
    data_ = side == kGuardAfter ? base_ + page_ + body - size : base_ + page_;
  }
  ~GuardedBuffer() { munmap(base_, mapped_); }
  GuardedBuffer(const GuardedBuffer&) = delete;
  GuardedBuffer& operator=(const GuardedBuffer&) = delete;

  std::uint8_t* data() { return data_; }
  std::size_t size() const { return size_; }

 private:
  std::size_t size_;
  std::size_t page_ = 0;
  std::size_t mapped_ = 0;
  std::uint8_t* base_ = nullptr;
  std::uint8_t* data_ = nullptr;
};

}  // namespace gdi_test
