#include "framework/image.h"

#include "framework/bitmap.h"
#include "framework/canvas.h"
#include "framework/picture.h"

TImage::TImage(TComponent* AOwner) : TGraphicControl(AOwner), FPicture(new TPicture()) {
  FPicture->SetOnChange(TNotifyEvent::Of<&TImage::PictureChanged>(this));
}

TImage::~TImage() {
  delete FPicture;
  FPicture = nullptr;
}

void TImage::SetPicture(TPicture* Value) { FPicture->Assign(Value); }

void TImage::SetStretch(bool Value) {
  if (Value == FStretch) return;
  FStretch = Value;
  Invalidate();
}

void TImage::PictureChanged(TObject* /*Sender*/) { Invalidate(); }

void TImage::Paint() {
  if (!FPicture->HasBitmap()) return;
  TBitmap* bitmap = FPicture->Bitmap();
  if (bitmap->Empty()) return;
  // The canvas is the image's own size, so an unscaled picture is cut off at its bounds.
  if (FStretch) {
    Canvas()->StretchDraw(RECT{0, 0, Width(), Height()}, bitmap);
  } else {
    Canvas()->Draw(0, 0, bitmap);
  }
}
