#include "framework/bitmap.h"

#include <algorithm>

#include "framework/bitmapcanvas.h"
#include "platform/gdi/gdi_helpers.h"
#include "platform/wingdi.h"
#include "runtime/exception.h"
#include "runtime/format.h"

TBitmap::TSharedImage::~TSharedImage() {
  if (Handle != nullptr) DeleteObject(Handle);
}

TBitmap::TBitmap() = default;

TBitmap::~TBitmap() {
  // The canvas takes the picture out of its DC before the picture can go.
  delete FCanvas;
  FCanvas = nullptr;
}

void TBitmap::Assign(TPersistent* Source) {
  auto* source = dynamic_cast<TBitmap*>(Source);
  if (source == nullptr) {
    TPersistent::Assign(Source);  // raises
    return;
  }
  if (source == this) return;
  // The old picture leaves this canvas's DC before it may be deleted (a GDI bitmap still
  // selected cannot be); the shared one stays out of the DC until this bitmap is drawn into.
  if (FCanvas != nullptr) FCanvas->SelectPicture(nullptr);
  FImage = source->FImage;
  FWidth = source->FWidth;
  FHeight = source->FHeight;
  Changed();
}

void TBitmap::SetWidth(int Value) { SetSize(std::max(Value, 0), FHeight); }

void TBitmap::SetHeight(int Value) { SetSize(FWidth, std::max(Value, 0)); }

void TBitmap::SetSize(int AWidth, int AHeight) {
  if (AWidth == FWidth && AHeight == FHeight) return;
  std::shared_ptr<TSharedImage> image;
  if (AWidth > 0 && AHeight > 0) {
    // Always 32 bits per pixel, whatever the frames drawn into it: every 555 and every
    // 8-bit-with-table value has its own 8-bit-per-channel value, so converting a frame into
    // the picture and back with GetDIBits gives exactly the original pixels.
    HBITMAP handle = CreateCompatibleBitmap(nullptr, AWidth, AHeight);
    if (handle == nullptr) throw EOutOfResources(Format("Cannot make a %d x %d bitmap", AWidth, AHeight));
    image = std::make_shared<TSharedImage>(handle);
  }
  // The new picture replaces the old one in the DC before the old one can be deleted.
  std::shared_ptr<TSharedImage> old = std::move(FImage);
  FImage = std::move(image);
  FWidth = AWidth;
  FHeight = AHeight;
  if (FCanvas != nullptr) FCanvas->SelectPicture(ImageHandle());
  old.reset();
  Changed();
}

TCanvas* TBitmap::Canvas() {
  if (FCanvas == nullptr) FCanvas = new TBitmapCanvas(this);
  MakeUnique();
  return FCanvas;
}

HBITMAP TBitmap::Handle() {
  MakeUnique();
  return ImageHandle();
}

void TBitmap::MakeUnique() {
  if (FImage != nullptr && FImage.use_count() > 1) {
    HBITMAP copy = platform::CopyBitmap(FImage->Handle);
    if (copy == nullptr) throw EOutOfResources(Format("Cannot make a %d x %d bitmap", FWidth, FHeight));
    FImage = std::make_shared<TSharedImage>(copy);
  }
  if (FCanvas != nullptr) FCanvas->SelectPicture(ImageHandle());
}

void TBitmap::Changed() { FOnChange(this); }
