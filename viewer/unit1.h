#pragma once
// The viewer's one window: shows the frames of Video1 scaled over the whole client area.
#include <string>

#include "framework/form.h"
#include "framework/image.h"
#include "video32/video32.h"

class TForm1 : public TForm {
 public:
  explicit TForm1(TComponent* AOwner);
  const char* ClassName() const override { return "TForm1"; }

  // Published fields, set from the window definition by name.
  TImage* Image1 = nullptr;
  TVideo* Video1 = nullptr;
  TImage* GrabbedBmp = nullptr;

  // Published handlers, bound from the window definition by name.
  void Video1VideoFrame(TDateTime TimeStamp, PBITMAPINFOHEADER biHdr, int biHdrSize, char* biBits, int biBitsSize);
  void FormDestroy(TObject* Sender);
  void Video1VideoStamp(std::string& AValue);
  void Video1VideoFrameBmp(TDateTime TimeStamp, TBitmap* Bitmap);
  void FormActivate(TObject* Sender);
};

extern TForm1* Form1;
