#pragma once
// TForm: a top-level window. Without a frame (bsNone) the window is all client area, so its
// size equals its client size. Canvas draws on the client area, leaving child windows out.
// OnActivate runs when the keyboard focus comes to the window while the window that last had
// it among the program's windows was none or another one: not when the whole program is
// reactivated, not when the focus comes back after a message box. OnDestroy runs when the
// form is destroyed, before its window and its components go. A close request on the main
// form ends the program (no handler can refuse it); on any other form it hides the form.
#include <functional>
#include <string>

#include "framework/customcontrol.h"
#include "framework/method.h"

class TFont;

enum TFormBorderStyle : std::uint8_t { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };

class TForm : public TCustomControl {
 public:
  explicit TForm(TComponent* AOwner);
  ~TForm() override;
  const char* ClassName() const override { return "TForm"; }

  TFormBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TFormBorderStyle Value);
  // The window's title.
  const std::string& Caption() const { return FCaption; }
  void SetCaption(const std::string& Value);

  // Setting one resizes the window so that its client area has that extent, keeping the
  // position and the other extent.
  int ClientWidth() const override;
  int ClientHeight() const override;
  void SetClientWidth(int Value);
  void SetClientHeight(int Value);

  // The form's font, copied into by SetFont.
  TFont* Font() const { return FFont; }
  void SetFont(TFont* Value);

  // The resolution and text height a window definition was made at; see Loaded.
  int PixelsPerInch() const { return FPixelsPerInch; }
  void SetPixelsPerInch(int Value) { FPixelsPerInch = Value; }
  int TextHeight() const { return FTextHeight; }
  void SetTextHeight(int Value) { FTextHeight = Value; }

  TNotifyEvent OnActivate() const { return FOnActivate; }
  void SetOnActivate(TNotifyEvent Value) { FOnActivate = Value; }
  TNotifyEvent OnDestroy() const { return FOnDestroy; }
  void SetOnDestroy(TNotifyEvent Value) { FOnDestroy = Value; }

  // True while this form is the program's focused form.
  bool Active() const;
  // A close request: ends the program for the main form, hides any other form.
  void Close();

  void SetVisible(bool Value) override;
  void BeforeDestruction() override;
  // After a window definition: scales the font to the screen, then every control's edges and
  // the client size to the text height measured on this system (see windowdefinition.h).
  void Loaded() override;
  // Multiplies every owned control's edges and the client size by M / D, each rounded.
  void ScaleBy(int M, int D);

  // Measures the text height of a font on this system (the height of "0" on a bitmap's
  // canvas in that font); a test may put its own measurement in place.
  using TTextHeightMeasure = std::function<int(TFont* Font)>;
  static TTextHeightMeasure& TextHeightMeasure();

 protected:
  // Runs OnActivate; called by the screen when the focus comes to this form from elsewhere.
  virtual void Activate();
  // Runs OnDestroy, once.
  virtual void DoDestroy();

  void CreateParams(TCreateParams& Params) override;
  void HandleCreated() override;
  LRESULT WndProc(UINT Msg, WPARAM wParam, LPARAM lParam) override;

 private:
  friend class TScreen;

  // The frame's share of the window's size (0 without a frame).
  SIZE FrameSize() const;

  TFormBorderStyle FBorderStyle = bsSizeable;
  std::string FCaption;
  TFont* FFont = nullptr;  // owned: created by the constructor, released by the destructor
  int FPixelsPerInch = 0;  // 0: not given by a definition
  int FTextHeight = 0;     // 0: not given by a definition
  int FClientWidth = -1;   // asked-for client size kept until the frame is known; -1: none
  int FClientHeight = -1;
  TNotifyEvent FOnActivate;
  TNotifyEvent FOnDestroy;
  bool FDestroyDone = false;
};
