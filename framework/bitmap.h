#pragma once
// TBitmap: a picture in memory with a canvas to draw on it. Assign shares the source's
// picture; whichever of the bitmaps is drawn into next (Canvas, its DC, Handle, a size
// change) first takes a copy of its own, so the two never see each other's drawing.
#include <memory>

#include "framework/method.h"
#include "framework/persistent.h"
#include "platform/windef.h"

class TCanvas;
class TBitmapCanvas;

class TBitmap : public TPersistent {
 public:
  TBitmap();  // empty: 0 x 0, no picture
  ~TBitmap() override;
  const char* ClassName() const override { return "TBitmap"; }

  // Takes over the picture and size of another bitmap (shared until either is drawn into).
  // A null source or one of another class raises EConvertError, leaving this bitmap as it was.
  void Assign(TPersistent* Source) override;

  int Width() const { return FWidth; }
  // The same value does nothing; a new one makes a new, black picture of the new size (none
  // while either side is 0). Negative values count as 0. EOutOfResources when the picture
  // cannot be made; the bitmap then stays as it was.
  void SetWidth(int Value);
  int Height() const { return FHeight; }
  void SetHeight(int Value);
  bool Empty() const { return FImage == nullptr; }

  // A canvas over a memory DC with the picture selected; made on first use, kept for the
  // bitmap's life. Asking for it, or for its DC, makes a shared picture this bitmap's own.
  TCanvas* Canvas();
  // The picture's GDI bitmap (0 when empty), made this bitmap's own first.
  HBITMAP Handle();

  // Raised after a change of size or picture, Assign, and each drawing operation of Canvas.
  const TNotifyEvent& OnChange() const { return FOnChange; }
  void SetOnChange(TNotifyEvent Value) { FOnChange = Value; }

 private:
  friend class TCanvas;        // reads pictures with ImageHandle
  friend class TBitmapCanvas;  // makes the picture unique before drawing

  // One GDI bitmap, shared by the TBitmaps assigned from each other; deleted with the last.
  struct TSharedImage {
    explicit TSharedImage(HBITMAP AHandle) : Handle(AHandle) {}
    ~TSharedImage();
    TSharedImage(const TSharedImage&) = delete;
    TSharedImage& operator=(const TSharedImage&) = delete;
    HBITMAP Handle;
  };

  HBITMAP ImageHandle() const { return FImage != nullptr ? FImage->Handle : nullptr; }
  void SetSize(int AWidth, int AHeight);
  // Copies a shared picture so that this bitmap has its own, and selects it into the canvas's DC.
  void MakeUnique();
  void Changed();

  std::shared_ptr<TSharedImage> FImage;  // 0 while empty
  int FWidth = 0;
  int FHeight = 0;
  TBitmapCanvas* FCanvas = nullptr;  // owned: made by Canvas(), released by the destructor
  TNotifyEvent FOnChange;
};
