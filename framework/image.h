#pragma once
// TImage: shows its picture's bitmap on its parent, unscaled at its top-left corner and
// clipped to its bounds, or scaled to its bounds when Stretch is set. A change of the
// picture repaints the image's own area.
#include "framework/graphiccontrol.h"

class TPicture;

class TImage : public TGraphicControl {
 public:
  explicit TImage(TComponent* AOwner);
  ~TImage() override;
  const char* ClassName() const override { return "TImage"; }

  TPicture* Picture() const { return FPicture; }
  void SetPicture(TPicture* Value);  // copies into the image's own picture
  bool Stretch() const { return FStretch; }
  void SetStretch(bool Value);

 protected:
  void Paint() override;

 private:
  void PictureChanged(TObject* Sender);

  TPicture* FPicture = nullptr;  // owned: created by the constructor, released by the destructor
  bool FStretch = false;
};
