#pragma once
// TPicture: holds a bitmap, made empty on first request; OnChange follows the bitmap.
#include "framework/method.h"
#include "framework/persistent.h"

class TBitmap;

class TPicture : public TPersistent {
 public:
  TPicture();
  ~TPicture() override;
  const char* ClassName() const override { return "TPicture"; }

  // From a picture: a copy of its bitmap (none if it has none); from a bitmap: into Bitmap().
  // Null or another class raises EConvertError, leaving the picture as it was.
  void Assign(TPersistent* Source) override;

  // The picture's own bitmap, made empty on first request.
  TBitmap* Bitmap();
  void SetBitmap(TBitmap* Value);  // copies into Bitmap()
  bool HasBitmap() const { return FBitmap != nullptr; }
  int Width() const;   // 0 without a bitmap
  int Height() const;

  // Raised after the bitmap changed (size, picture, Assign, drawing through its canvas).
  const TNotifyEvent& OnChange() const { return FOnChange; }
  void SetOnChange(TNotifyEvent Value) { FOnChange = Value; }

 private:
  void BitmapChanged(TObject* Sender);

  TBitmap* FBitmap = nullptr;  // owned: made by Bitmap(), released by the destructor or Assign
  TNotifyEvent FOnChange;
};
