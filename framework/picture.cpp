#include "framework/picture.h"

#include "framework/bitmap.h"

TPicture::TPicture() = default;

TPicture::~TPicture() {
  delete FBitmap;
  FBitmap = nullptr;
}

void TPicture::Assign(TPersistent* Source) {
  if (auto* picture = dynamic_cast<TPicture*>(Source)) {
    if (picture == this) return;
    if (picture->FBitmap != nullptr) {
      Bitmap()->Assign(picture->FBitmap);
    } else if (FBitmap != nullptr) {
      delete FBitmap;
      FBitmap = nullptr;
      FOnChange(this);
    }
    return;
  }
  if (auto* bitmap = dynamic_cast<TBitmap*>(Source)) {
    Bitmap()->Assign(bitmap);
    return;
  }
  TPersistent::Assign(Source);  // raises
}

TBitmap* TPicture::Bitmap() {
  if (FBitmap == nullptr) {
    FBitmap = new TBitmap();
    FBitmap->SetOnChange(TNotifyEvent::Of<&TPicture::BitmapChanged>(this));
  }
  return FBitmap;
}

void TPicture::SetBitmap(TBitmap* Value) { Bitmap()->Assign(Value); }

int TPicture::Width() const { return FBitmap != nullptr ? FBitmap->Width() : 0; }

int TPicture::Height() const { return FBitmap != nullptr ? FBitmap->Height() : 0; }

void TPicture::BitmapChanged(TObject* /*Sender*/) { FOnChange(this); }
