#pragma once
// TFont: face, height, style, colour and pitch of text; its GDI font is made on demand.
#include <string>

#include "framework/graphics.h"
#include "framework/graphicsobject.h"
#include "platform/windef.h"

// The pixels per inch that new fonts take (96 until set), so that their 8 points become
// a pixel height; values below 1 are ignored. Fonts made earlier keep theirs.
int DefaultPixelsPerInch();
void SetDefaultPixelsPerInch(int Value);

class TFont : public TGraphicsObject {
 public:
  // "MS Sans Serif", 8 points at DefaultPixelsPerInch (Height -11 at 96), clWindowText, no style.
  TFont();
  const char* ClassName() const override { return "TFont"; }

  // Takes over face, height, style, colour and pitch of another font; PixelsPerInch stays.
  void Assign(TPersistent* Source) override;

  HFONT Handle() { return static_cast<HFONT>(ObjectHandle()); }

  const std::string& Name() const { return FName; }
  void SetName(const std::string& Value);
  // Negative: the character (em) height in pixels; positive: the cell height.
  int Height() const { return FHeight; }
  void SetHeight(int Value);
  // Points: -Height * 72 / PixelsPerInch, rounded to the nearest.
  int Size() const;
  void SetSize(int Value);
  int PixelsPerInch() const { return FPixelsPerInch; }
  void SetPixelsPerInch(int Value);  // keeps Height; values below 1 are ignored
  TFontStyles Style() const { return FStyle; }
  void SetStyle(TFontStyles Value);
  TColor Color() const { return FColor; }
  void SetColor(TColor Value);
  TFontPitch Pitch() const { return FPitch; }
  void SetPitch(TFontPitch Value);

 protected:
  HGDIOBJ CreateObject(bool& Owned) override;

 private:
  std::string FName = "MS Sans Serif";
  int FPixelsPerInch;  // set with the height by the constructor
  int FHeight;
  TFontStyles FStyle;
  TColor FColor = clWindowText;
  TFontPitch FPitch = fpDefault;
};
