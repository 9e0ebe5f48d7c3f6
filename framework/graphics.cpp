#include "framework/graphics.h"

#include <array>

namespace {

// A classic light scheme, indexed by the system colour index.
constexpr std::array<COLORREF, 21> SystemColors = {
    RGB(200, 200, 200),  // scroll bar
    RGB(0, 0, 0),        // background (desktop)
    RGB(153, 180, 209),  // active caption
    RGB(191, 205, 219),  // inactive caption
    RGB(240, 240, 240),  // menu
    RGB(255, 255, 255),  // window
    RGB(100, 100, 100),  // window frame
    RGB(0, 0, 0),        // menu text
    RGB(0, 0, 0),        // window text
    RGB(0, 0, 0),        // caption text
    RGB(180, 180, 180),  // active border
    RGB(244, 247, 252),  // inactive border
    RGB(171, 171, 171),  // application workspace
    RGB(51, 153, 255),   // highlight
    RGB(255, 255, 255),  // highlight text
    RGB(240, 240, 240),  // button face
    RGB(160, 160, 160),  // button shadow
    RGB(109, 109, 109),  // grey text
    RGB(0, 0, 0),        // button text
    RGB(67, 78, 84),     // inactive caption text
    RGB(255, 255, 255),  // button highlight
};

}  // namespace

COLORREF ColorToRGB(TColor Color) {
  if (Color < 0) {
    const auto index = static_cast<std::uint32_t>(Color) & 0xFFu;
    return index < SystemColors.size() ? SystemColors[index] : RGB(0, 0, 0);
  }
  return static_cast<COLORREF>(Color) & 0x00FFFFFFu;
}
