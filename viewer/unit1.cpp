#include "viewer/unit1.h"

#include "framework/application.h"
#include "framework/bitmap.h"
#include "framework/canvas.h"
#include "framework/picture.h"
#include "framework/windowdefinition.h"
#include "runtime/datetime.h"
#include "runtime/formatdatetime.h"
#include "runtime/paramstr.h"
#include "runtime/strtoint.h"
#include "viewer/statistics.h"

TForm1* Form1 = nullptr;

namespace {

// The window's stored layout. Every component lies below the defined client area.
constexpr const char* kForm1Definition = R"(
object Form1: TForm1
  Left = 191
  Top = 101
  BorderStyle = bsNone
  Caption = 'Form1'
  ClientHeight = 300
  ClientWidth = 400
  Font.Color = clWindowText
  Font.Height = -11
  Font.Name = 'MS Sans Serif'
  Font.Style = []
  OnActivate = FormActivate
  OnDestroy = FormDestroy
  PixelsPerInch = 96
  TextHeight = 13
  object Image1: TImage
    Left = 24
    Top = 360
    Width = 8
    Height = 8
  end
  object GrabbedBmp: TImage
    Left = 8
    Top = 360
    Width = 9
    Height = 9
    Stretch = True
  end
  object Video1: TVideo
    Left = 40
    Top = 360
    Width = 400
    Height = 300
    Fps = 2
    Transparent = False
    Brush.Style = bsClear
    Font.Color = clYellow
    Font.Height = -13
    Font.Name = 'MS Sans Serif'
    Font.Style = [fsBold]
    OnVideoFrame = Video1VideoFrame
    OnVideoFrameBmp = Video1VideoFrameBmp
  end
end
)";

// Published fields and handlers, in their declared order.
const TRegisterClass<TForm1, TForm> RegisterForm1("TForm1", [](auto& P) {
  P.Field("Image1", &TForm1::Image1);
  P.Field("Video1", &TForm1::Video1);
  P.Field("GrabbedBmp", &TForm1::GrabbedBmp);
  P.template Method<&TForm1::Video1VideoFrame>("Video1VideoFrame");
  P.template Method<&TForm1::FormDestroy>("FormDestroy");
  P.template Method<&TForm1::Video1VideoStamp>("Video1VideoStamp");
  P.template Method<&TForm1::Video1VideoFrameBmp>("Video1VideoFrameBmp");
  P.template Method<&TForm1::FormActivate>("FormActivate");
});
const bool Form1Stored = RegisterWindowDefinition(kForm1Definition);

}  // namespace

TForm1::TForm1(TComponent* AOwner) : TForm(AOwner) {}

void TForm1::FormActivate(TObject* /*Sender*/) {
  if (ParamCount() == 6) {
    // The switch is looked at before any conversion: a bad number later keeps the stamp.
    if (ParamStr(1) == "/s") Video1->SetOnVideoStamp(TOnVideoStamp::Of<&TForm1::Video1VideoStamp>(this));
    // Each argument is converted just before it is applied, so a bad one stops everything after it.
    Form1->SetLeft(StrToInt(ParamStr(2)));
    Form1->SetTop(StrToInt(ParamStr(3)));
    Form1->SetClientWidth(StrToInt(ParamStr(4)));
    Form1->SetClientHeight(StrToInt(ParamStr(5)));
    Video1->SetFps(StrToInt(ParamStr(6)));
  }
  Video1->Connect(1, 0);
}

void TForm1::FormDestroy(TObject* /*Sender*/) {}

void TForm1::Video1VideoFrame(TDateTime /*TimeStamp*/, PBITMAPINFOHEADER biHdr, int /*biHdrSize*/, char* /*biBits*/,
                              int /*biBitsSize*/) {
  // The result only feeds the statistics: a failed drawing is not reported.
  if (Video1->DrawFrame(Canvas()->Handle(), 0, 0, Form1->ClientWidth(), Form1->ClientHeight(), 0, 0, biHdr->biWidth,
                        biHdr->biHeight)) {
    viewer::FrameShown();
  }
}

void TForm1::Video1VideoFrameBmp(TDateTime /*TimeStamp*/, TBitmap* Bitmap) { Image1->Picture()->Bitmap()->Assign(Bitmap); }

void TForm1::Video1VideoStamp(std::string& AValue) { AValue = FormatDateTime("dd-mmmm-yyyy  hh:mm", Now()); }
