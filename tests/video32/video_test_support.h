#pragma once
// Shared by the TVideo tests: a private X server with a watchdog for the whole run, access to
// the control's private state, a spy on the messages the control sends to its capture
// window, recorders in place of the system timer, and a fixture with a form as parent.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "framework/form.h"
#include "framework/timer.h"
#include "platform/capture/dib_format.h"
#include "platform/capture/scripted_driver.h"
#include "platform/vfw.h"
#include "platform/winuser.h"
#include "video32/video32.h"

class TVideoTestAccess {
 public:
  static HWND CapWnd(const TVideo& v) { return v.FCapWnd; }
  static TTimer* Timer(const TVideo& v) { return v.FTimer; }
  static const char* ErrorText(const TVideo& v) { return v.FErrorText; }
  static const BYTE* Format(const TVideo& v) { return v.FFormat.get(); }
  static std::size_t FormatSize(const TVideo& v) { return v.FFormatSize; }
  static const BYTE* Bits(const TVideo& v) { return v.FBits; }
  static HDRAWDIB DrawDib(const TVideo& v) { return v.FDrawDib; }
  static TBitmap* WorkBitmap(const TVideo& v) { return v.FBitmap; }
  static void GrabFrame(TVideo& v) { v.GrabFrame(v.FTimer); }
  static void Paint(TVideo& v) { v.Paint(); }
  static bool GetFormat(TVideo& v, BITMAPINFOHEADER& header) { return v.GetFormat(header); }
  static LRESULT ErrorCallback(HWND hwnd, int id, LPCSTR text) { return TVideo::ErrorCallback(hwnd, id, text); }
  static TNotifyEvent GrabFrameEvent(TVideo& v) { return TNotifyEvent::Of<&TVideo::GrabFrame>(&v); }
};

namespace video_test {

// One message as the capture window received it; the bytes of a format request are kept.
struct SpiedMessage {
  UINT msg = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  std::vector<BYTE> block;  // WM_CAP_SET_VIDEOFORMAT: the wParam bytes at lParam
  friend bool operator==(const SpiedMessage& a, const SpiedMessage& b) {
    return a.msg == b.msg && a.wParam == b.wParam;
  }
};

// Subclasses capture windows; every message goes on to the window's own procedure.
class MessageSpy {
 public:
  static MessageSpy& Instance() {
    static MessageSpy spy;
    return spy;
  }
  void Attach(HWND hwnd) {
    if (hwnd == nullptr || old_.count(hwnd) != 0) return;
    old_[hwnd] = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Proc)));
  }
  void Clear() { messages.clear(); }
  void Reset() {
    messages.clear();
    old_.clear();
  }
  // The WM_CAP_* messages only: the window system's own traffic is left out.
  std::vector<UINT> CaptureMessages() const {
    std::vector<UINT> out;
    for (const auto& m : messages)
      if (m.msg >= WM_CAP_START && m.msg < WM_CAP_START + 200) out.push_back(m.msg);
    return out;
  }
  std::vector<SpiedMessage> messages;

 private:
  static LRESULT Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    MessageSpy& spy = Instance();
    SpiedMessage m{msg, wParam, lParam, {}};
    if (msg == WM_CAP_SET_VIDEOFORMAT && lParam != 0) {
      const BYTE* p = reinterpret_cast<const BYTE*>(lParam);
      m.block.assign(p, p + wParam);
    }
    spy.messages.push_back(std::move(m));
    return spy.old_.at(hwnd)(hwnd, msg, wParam, lParam);
  }
  std::unordered_map<HWND, WNDPROC> old_;
};

// Stands in for the system timer: records what the timer asks and starts nothing.
struct TimerRecorder {
  static TimerRecorder& Instance() {
    static TimerRecorder recorder;
    return recorder;
  }
  std::vector<UINT> started;  // the interval of every start
  int stopped = 0;
  UINT_PTR nextId = 1;
  static UINT_PTR Set(HWND, UINT_PTR, UINT interval, TIMERPROC) {
    Instance().started.push_back(interval);
    return Instance().nextId++;
  }
  static BOOL Kill(HWND, UINT_PTR) {
    ++Instance().stopped;
    return TRUE;
  }
};

inline BITMAPINFOHEADER HeaderOf(const BYTE* block) {
  BITMAPINFOHEADER h;
  std::memcpy(&h, block, sizeof(h));
  return h;
}

// A frame of `layout` whose every pixel is the 16-bit value `colour`.
inline std::vector<BYTE> SolidFrame16(const platform::capture::FrameLayout& layout, std::uint16_t colour) {
  std::vector<BYTE> frame(layout.ImageSize(), 0);
  for (LONG row = 0; row < layout.height; ++row)
    for (LONG x = 0; x < layout.width; ++x) {
      BYTE* p = frame.data() + static_cast<std::size_t>(row) * layout.Stride() + static_cast<std::size_t>(x) * 2;
      p[0] = static_cast<BYTE>(colour & 0xFF);
      p[1] = static_cast<BYTE>(colour >> 8);
    }
  return frame;
}

// The 16-bit pixel at column x, row y counted from the picture's top (rows are stored bottom-up).
inline std::uint16_t Pixel16(const std::vector<BYTE>& frame, const platform::capture::FrameLayout& layout, int x,
                             int y) {
  const std::size_t row = static_cast<std::size_t>(layout.height - 1 - y);
  const BYTE* p = frame.data() + row * layout.Stride() + static_cast<std::size_t>(x) * 2;
  return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

// A form with a TVideo on it, the scripted driver at index 0, the spy ready to attach to the
// capture window as soon as the driver is asked for, and recorders in place of the system timer.
class VideoFixture : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Connects; the spy is attached from the driver connection on.
  void Connect(std::uint8_t depth = 1, int deviceId = 0) { video->Connect(depth, deviceId); }
  // Sets the control's size and makes the scripted driver take on what is asked.
  void UseAdoptingDriver(int width, int height) {
    video->SetWidth(width);
    video->SetHeight(height);
    script->adoptAcceptedFormat = true;
  }
  void Grab() { TVideoTestAccess::GrabFrame(*video); }

  std::shared_ptr<platform::capture::DriverScript> script = std::make_shared<platform::capture::DriverScript>();
  TForm* form = nullptr;
  TVideo* video = nullptr;
  MessageSpy& spy = MessageSpy::Instance();

 private:
  TTimer::TSystemTimerCalls savedTimerCalls_;
};

}  // namespace video_test
