#include "video32/video32.h"

#include <algorithm>
#include <cstring>

#include "framework/bitmap.h"
#include "framework/brush.h"
#include "framework/canvas.h"
#include "framework/font.h"
#include "framework/pen.h"
#include "framework/timer.h"
#include "framework/windowdefinition.h"
#include "runtime/divide.h"
#include "runtime/format.h"

namespace {

// The format request block: a header and one colour entry, all zero but the header.
constexpr WPARAM kFormatRequestSize = sizeof(BITMAPINFO);

LRESULT Send(HWND wnd, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) { return SendMessageA(wnd, msg, wParam, lParam); }

}  // namespace

TVideo::TVideo(TComponent* AOwner) : TCustomControl(AOwner) {
  // A failure part-way releases what was made so far: the destructor tolerates missing members.
  try {
    FBitmap = new TBitmap();
    FBrush = new TBrush();
    FFont = new TFont();
    FTimer = new TTimer(this);
    // Disabled before it gets its handler, so no system timer runs before Connect.
    FTimer->SetEnabled(false);
    FTimer->SetInterval(66);
    FTimer->SetOnTimer(TNotifyEvent::Of<&TVideo::GrabFrame>(this));
    FFps = 15;
    FCapWnd = nullptr;
    FConnected = false;
    SetWidth(160);
    SetHeight(120);
  } catch (...) {
    delete FTimer;
    delete FFont;
    delete FBrush;
    delete FBitmap;
    throw;
  }
}

TVideo::~TVideo() {
  Disconnect();
  FFormat.reset();
  FFormatSize = 0;
  delete FBrush;
  FBrush = nullptr;
  delete FFont;
  FFont = nullptr;
  delete FBitmap;
  FBitmap = nullptr;
  // Deleting the timer stops it and takes it out of our owned components, so the
  // inherited destruction does not release it again.
  delete FTimer;
  FTimer = nullptr;
}

void TVideo::SetFps(int Value) {
  FFps = Value;
  FTimer->SetInterval(static_cast<std::uint32_t>(IntDiv(1000, Value)));
}

void TVideo::SetBrush(TBrush* Value) { FBrush->Assign(Value); }

void TVideo::SetFont(TFont* Value) { FFont->Assign(Value); }

void TVideo::Paint() {
  if (!IsDesigning()) return;
  Canvas()->Pen()->SetStyle(psDash);
  Canvas()->Brush()->SetStyle(bsClear);
  Canvas()->Rectangle(0, 0, Width(), Height());
}

void TVideo::Connect(std::uint8_t Depth, int DeviceId) {
  HWND parent = Handle();
  FCapWnd = capCreateCaptureWindowA("", WS_CHILD, 0, 0, Width(), Height(), parent, 0);
  Send(FCapWnd, WM_CAP_SET_USER_DATA, 0, reinterpret_cast<LPARAM>(this));
  Send(FCapWnd, WM_CAP_SET_CALLBACK_ERROR, 0, reinterpret_cast<LPARAM>(&TVideo::ErrorCallback));
  if (Send(FCapWnd, WM_CAP_DRIVER_CONNECT, static_cast<WORD>(DeviceId), 0) == 0)
    throw EVideoError(Format("Can't connect to DeviceId: %d\r%s", DeviceId, static_cast<const char*>(FErrorText)));
  Send(FCapWnd, WM_CAP_SET_CALLBACK_FRAME, 0, reinterpret_cast<LPARAM>(&TVideo::FrameCallback));
  FDrawDib = DrawDibOpen();

  BITMAPINFOHEADER header{};
  GetFormat(header);
  SetFps(FFps);

  header.biSize = sizeof(BITMAPINFOHEADER);
  header.biWidth = Width();
  header.biHeight = Height();
  switch (Depth) {
    case 0: header.biBitCount = 8; break;
    case 1: header.biBitCount = 16; break;
    case 2: header.biBitCount = 24; break;
    default: break;  // the driver's current depth stays
  }
  header.biCompression = BI_RGB;
  header.biPlanes = 1;
  // Unpadded, as a signed 32-bit product; computed in 64 bits so a huge control cannot overflow.
  const std::int64_t bits = std::int64_t{header.biWidth} * header.biHeight * header.biPlanes * header.biBitCount;
  header.biSizeImage = static_cast<DWORD>(static_cast<std::int32_t>(bits / 8));
  header.biXPelsPerMeter = 0;
  header.biYPelsPerMeter = 0;
  header.biClrUsed = 0;
  header.biClrImportant = 0;

  if (SetFormat(header) == 0) throw EVideoError(FErrorText);
  RefreshFormat();
  FTimer->SetEnabled(true);
  FConnected = true;
}

void TVideo::Disconnect() {
  Send(FCapWnd, WM_CAP_DRIVER_DISCONNECT);
  DrawDibClose(FDrawDib);
  FConnected = false;
}

void TVideo::RefreshFormat() {
  const LRESULT size = Send(FCapWnd, WM_CAP_GET_VIDEOFORMAT);
  // Released first, so the field never points at a freed block, also when the allocation fails.
  FFormat.reset();
  FFormatSize = 0;
  if (size <= 0) return;
  // The block is never smaller than a header and starts zeroed, so a short report or a failed
  // read leaves readable, empty fields rather than stale or missing bytes.
  const std::size_t bytes = std::max<std::size_t>(static_cast<std::size_t>(size), sizeof(BITMAPINFOHEADER));
  FFormat = std::make_unique<BYTE[]>(bytes);
  FFormatSize = bytes;
  Send(FCapWnd, WM_CAP_GET_VIDEOFORMAT, static_cast<WORD>(size), reinterpret_cast<LPARAM>(FFormat.get()));
}

bool TVideo::GetFormat(BITMAPINFOHEADER& Header) {
  RefreshFormat();
  if (FFormat) std::memcpy(&Header, FFormat.get(), sizeof(BITMAPINFOHEADER));
  return true;
}

LRESULT TVideo::SetFormat(const BITMAPINFOHEADER& Header) {
  BITMAPINFO request;
  std::memset(&request, 0, sizeof(request));
  std::memcpy(&request.bmiHeader, &Header, sizeof(BITMAPINFOHEADER));
  const LRESULT answer = Send(FCapWnd, WM_CAP_SET_VIDEOFORMAT, kFormatRequestSize, reinterpret_cast<LPARAM>(&request));
  if (answer != 0) RefreshFormat();
  return answer;
}

BITMAPINFOHEADER* TVideo::FormatHeader() const { return reinterpret_cast<BITMAPINFOHEADER*>(FFormat.get()); }

LRESULT TVideo::ErrorCallback(HWND hWnd, int nID, LPCSTR lpsz) {
  auto* video = reinterpret_cast<TVideo*>(SendMessageA(hWnd, WM_CAP_GET_USER_DATA, 0, 0));
  if (video == nullptr) return 1;
  if (nID == 0 || lpsz == nullptr) {
    video->FErrorText[0] = '\0';
  } else {
    // A longer text is cut to what the buffer holds, always terminated.
    const std::size_t n = strnlen(lpsz, sizeof(video->FErrorText) - 1);
    std::memcpy(video->FErrorText, lpsz, n);
    video->FErrorText[n] = '\0';
  }
  return 1;
}

void TVideo::GrabFrame(TObject* /*Sender*/) {
  FTimer->SetEnabled(false);
  // No guard: an exception from the frame's handling leaves the timer off.
  Send(FCapWnd, WM_CAP_GRAB_FRAME);
  FTimer->SetEnabled(true);
}

LRESULT TVideo::FrameCallback(HWND hWnd, LPVIDEOHDR lpVHdr) {
  std::string StampText;  // released on every way out
  const TDateTime TimeStamp = Now();
  auto* video = reinterpret_cast<TVideo*>(SendMessageA(hWnd, WM_CAP_GET_USER_DATA, 0, 0));
  if (video == nullptr || lpVHdr == nullptr) return 1;
  video->RefreshFormat();
  video->FBits = lpVHdr->lpData;
  // Without a format nothing describes the frame's pixels: hand nothing out.
  BITMAPINFOHEADER* format = video->FormatHeader();
  if (format == nullptr || video->FBits == nullptr) return 1;

  bool Stamped = false;
  if (video->FOnVideoStamp.Assigned()) {
    video->FOnVideoStamp(StampText);
    video->StampFrame(StampText);
    Stamped = true;
  }
  if (video->FOnVideoFrameBmp.Assigned()) {
    if (!Stamped) video->PaintFrameToBitmap();
    video->FOnVideoFrameBmp(TimeStamp, video->FBitmap);
  }
  if (video->FOnVideoFrame.Assigned()) {
    // Read now: the handlers before may have run a nested re-read.
    format = video->FormatHeader();
    video->FOnVideoFrame(TimeStamp, format, static_cast<int>(format->biSize + 4 * format->biClrUsed),
                         reinterpret_cast<char*>(video->FBits), static_cast<int>(format->biSizeImage));
  }
  return 1;
}

void TVideo::PaintFrameToBitmap() {
  const BITMAPINFOHEADER& f = *FormatHeader();
  FBitmap->SetWidth(f.biWidth);
  FBitmap->SetHeight(f.biHeight);
  StretchDIBits(FBitmap->Canvas()->Handle(), 0, 0, f.biWidth, f.biHeight, 0, 0, f.biWidth, f.biHeight, FBits,
                reinterpret_cast<const BITMAPINFO*>(FFormat.get()), DIB_RGB_COLORS, SRCCOPY);
}

void TVideo::StampFrame(const std::string& StampText) {
  PaintFrameToBitmap();
  TCanvas* canvas = FBitmap->Canvas();
  canvas->Font()->Assign(FFont);
  if (FTransparent)
    canvas->Brush()->SetStyle(bsClear);
  else
    canvas->Brush()->Assign(FBrush);
  canvas->TextOut(0, 0, StampText);
  const BITMAPINFOHEADER& f = *FormatHeader();
  GetDIBits(canvas->Handle(), FBitmap->Handle(), 0, static_cast<UINT>(f.biHeight), FBits,
            reinterpret_cast<BITMAPINFO*>(FFormat.get()), DIB_RGB_COLORS);
}

BOOL TVideo::DrawFrame(HDC DC, int DestX, int DestY, int DestWidth, int DestHeight, int SrcX, int SrcY, int SrcWidth,
                       int SrcHeight) {
  return DrawDibDraw(FDrawDib, DC, DestX, DestY, DestWidth, DestHeight, FormatHeader(), FBits, SrcX, SrcY, SrcWidth,
                     SrcHeight, 0);
}

// What a window definition may set on a TVideo; Brush and Font entries act on the stamp's own objects.
static const TRegisterClass<TVideo, TCustomControl> RegisterVideo("TVideo", [](auto& P) {
  P.Property("Fps", &TVideo::SetFps);
  P.Property("Transparent", &TVideo::SetTransparent);
  P.Object("Brush", &TVideo::Brush);
  P.Object("Font", &TVideo::Font);
  P.Event("OnVideoFrame", &TVideo::SetOnVideoFrame);
  P.Event("OnVideoFrameBmp", &TVideo::SetOnVideoFrameBmp);
  P.Event("OnVideoStamp", &TVideo::SetOnVideoStamp);
});
