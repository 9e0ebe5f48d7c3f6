#pragma once
// TVideo: a windowed control that connects to a capture driver through a capture
// window, grabs one frame per tick of its grab timer, can burn a line of text into
// the frame's own pixels, and hands every frame to its host twice: as a bitmap and
// as raw DIB data. It shows nothing itself at run time.
#include <cstdint>
#include <memory>
#include <string>

#include "framework/customcontrol.h"
#include "framework/method.h"
#include "platform/vfw.h"
#include "runtime/datetime.h"
#include "runtime/exception.h"

class TBitmap;
class TBrush;
class TFont;
class TTimer;

// A frame as raw DIB data: time of the frame, header of the current format, size of header
// and colour table, the frame's pixels and their size. The pointers are valid only during the call.
using TOnVideoFrame = TMethod<TDateTime, PBITMAPINFOHEADER, int, char*, int>;
// A frame as a bitmap: time of the frame and the control's work bitmap (drawn over by later frames).
using TOnVideoFrameBmp = TMethod<TDateTime, TBitmap*>;
// A request for the stamp text: AValue comes in empty; what the handler leaves in it is burnt in.
using TOnVideoStamp = TMethod<std::string&>;

class EVideoError : public Exception {
 public:
  using Exception::Exception;
};

class TVideo : public TCustomControl {
 public:
  explicit TVideo(TComponent* AOwner);
  ~TVideo() override;
  const char* ClassName() const override { return "TVideo"; }

  // Creates a capture window, connects driver DeviceId and asks for a picture of the
  // control's size at 8, 16 or 24 bits (Depth 0, 1, 2); starts the grab timer.
  void Connect(std::uint8_t Depth, int DeviceId);
  void Disconnect();
  // Draws the frame being handled, scaled; meaningful only from the control's event handlers.
  BOOL DrawFrame(HDC DC, int DestX, int DestY, int DestWidth, int DestHeight, int SrcX, int SrcY, int SrcWidth,
                 int SrcHeight);

  int Fps() const { return FFps; }
  void SetFps(int Value);
  bool Connected() const { return FConnected; }
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool Value) { FTransparent = Value; }
  // The stamp's own brush and font; they hide the control's inherited ones.
  TBrush* Brush() const { return FBrush; }
  void SetBrush(TBrush* Value);
  TFont* Font() const { return FFont; }
  void SetFont(TFont* Value);

  TOnVideoFrame OnVideoFrame() const { return FOnVideoFrame; }
  void SetOnVideoFrame(TOnVideoFrame Value) { FOnVideoFrame = Value; }
  TOnVideoFrameBmp OnVideoFrameBmp() const { return FOnVideoFrameBmp; }
  void SetOnVideoFrameBmp(TOnVideoFrameBmp Value) { FOnVideoFrameBmp = Value; }
  TOnVideoStamp OnVideoStamp() const { return FOnVideoStamp; }
  void SetOnVideoStamp(TOnVideoStamp Value) { FOnVideoStamp = Value; }

 protected:
  void Paint() override;

 private:
  friend class TVideoTestAccess;

  bool GetFormat(BITMAPINFOHEADER& Header);
  LRESULT SetFormat(const BITMAPINFOHEADER& Header);
  void RefreshFormat();
  void GrabFrame(TObject* Sender);
  void StampFrame(const std::string& StampText);
  void PaintFrameToBitmap();
  BITMAPINFOHEADER* FormatHeader() const;

  static LRESULT ErrorCallback(HWND hWnd, int nID, LPCSTR lpsz);
  static LRESULT FrameCallback(HWND hWnd, LPVIDEOHDR lpVHdr);

  bool FTransparent = false;
  TFont* FFont = nullptr;      // owned: created by the constructor, released by the destructor
  TBrush* FBrush = nullptr;    // owned, likewise
  TBitmap* FBitmap = nullptr;  // owned: the work bitmap, handed out by OnVideoFrameBmp
  bool FConnected = false;
  HWND FCapWnd = nullptr;  // the capture window, a hidden child of ours; ends with our window
  char FErrorText[264] = {};  // last error text the capture window reported, zero-terminated
  BYTE* FBits = nullptr;      // the frame being handled; the driver's buffer, valid during the frame only
  // The format block: the current format as last read, exactly the reported size (at least a whole
  // header, zero-filled beyond what the driver wrote); null before the first read or for size 0.
  std::unique_ptr<BYTE[]> FFormat;
  std::size_t FFormatSize = 0;
  HDRAWDIB FDrawDib = nullptr;  // opened by Connect, closed by Disconnect
  int FFps = 0;
  TTimer* FTimer = nullptr;  // owned (also as a component of ours): the grab timer
  TOnVideoFrame FOnVideoFrame;
  TOnVideoFrameBmp FOnVideoFrameBmp;
  TOnVideoStamp FOnVideoStamp;
};
