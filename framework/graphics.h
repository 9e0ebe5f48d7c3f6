#pragma once
// Colours and the style enumerations shared by fonts, brushes, pens and canvases.
#include <cstdint>
#include <initializer_list>

#include "platform/windef.h"

// A colour: 0x00BBGGRR as COLORREF for an RGB value, or a system colour (negative: the
// top bit set, the system colour index in the low byte), resolved by ColorToRGB.
using TColor = std::int32_t;

constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clOlive = 0x008080;
constexpr TColor clNavy = 0x800000;
constexpr TColor clPurple = 0x800080;
constexpr TColor clTeal = 0x808000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clWhite = 0xFFFFFF;
// "No colour" and "the default colour": markers for properties, not colours to draw with.
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;

// System colours: clSystemColor combined with the system colour index.
constexpr TColor clSystemColor = INT32_MIN;
constexpr TColor clScrollBar = clSystemColor | 0;
constexpr TColor clBackground = clSystemColor | 1;
constexpr TColor clActiveCaption = clSystemColor | 2;
constexpr TColor clInactiveCaption = clSystemColor | 3;
constexpr TColor clMenu = clSystemColor | 4;
constexpr TColor clWindow = clSystemColor | 5;
constexpr TColor clWindowFrame = clSystemColor | 6;
constexpr TColor clMenuText = clSystemColor | 7;
constexpr TColor clWindowText = clSystemColor | 8;
constexpr TColor clCaptionText = clSystemColor | 9;
constexpr TColor clActiveBorder = clSystemColor | 10;
constexpr TColor clInactiveBorder = clSystemColor | 11;
constexpr TColor clAppWorkSpace = clSystemColor | 12;
constexpr TColor clHighlight = clSystemColor | 13;
constexpr TColor clHighlightText = clSystemColor | 14;
constexpr TColor clBtnFace = clSystemColor | 15;
constexpr TColor clBtnShadow = clSystemColor | 16;
constexpr TColor clGrayText = clSystemColor | 17;
constexpr TColor clBtnText = clSystemColor | 18;
constexpr TColor clInactiveCaptionText = clSystemColor | 19;
constexpr TColor clBtnHighlight = clSystemColor | 20;

// The COLORREF to draw `Color` with. System colours have fixed values (there is no
// desktop theme to ask): clBtnFace RGB(240,240,240), clWindow white, clWindowText and
// clBtnText black, and the rest as a classic light scheme; an unknown system index gives
// black. Other values keep their low 24 bits, so clNone draws white and clDefault black.
COLORREF ColorToRGB(TColor Color);

enum TFontStyle : std::uint8_t { fsBold, fsItalic, fsUnderline, fsStrikeOut };

// A set of font styles.
class TFontStyles {
 public:
  constexpr TFontStyles() = default;
  constexpr TFontStyles(std::initializer_list<TFontStyle> Styles) {
    for (TFontStyle s : Styles) Include(s);
  }
  constexpr bool Contains(TFontStyle Style) const { return (FBits & Bit(Style)) != 0; }
  constexpr TFontStyles& Include(TFontStyle Style) {
    FBits = static_cast<std::uint8_t>(FBits | Bit(Style));
    return *this;
  }
  constexpr TFontStyles& Exclude(TFontStyle Style) {
    FBits = static_cast<std::uint8_t>(FBits & ~Bit(Style));
    return *this;
  }
  constexpr bool Empty() const { return FBits == 0; }
  friend constexpr bool operator==(const TFontStyles&, const TFontStyles&) = default;

 private:
  static constexpr std::uint8_t Bit(TFontStyle Style) { return static_cast<std::uint8_t>(1u << Style); }
  std::uint8_t FBits = 0;
};

enum TFontPitch : std::uint8_t { fpDefault, fpVariable, fpFixed };

// Hatched styles fill like bsSolid in the brush colour (the drawing layer has no hatch
// patterns) but, like bsClear, leave text and dash backgrounds untouched.
enum TBrushStyle : std::uint8_t { bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross };

enum TPenStyle : std::uint8_t { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear };
