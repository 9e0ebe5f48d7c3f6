#pragma once
// Internal to platform/gdi: a font resolved through fontconfig into a cairo scaled
// font with GDI-style metrics, cached per LOGFONT.
#include <memory>
#include <string>
#include <vector>

#include <cairo.h>

#include "platform/wingdi.h"

namespace platform::gdi {

class FontFace {
 public:
  // The face for `logFont`, from the cache or made now; null when no face can be made.
  static std::shared_ptr<const FontFace> For(const LOGFONTA& logFont);

  ~FontFace();
  FontFace(const FontFace&) = delete;
  FontFace& operator=(const FontFace&) = delete;

  cairo_scaled_font_t* Scaled() const { return scaled_; }
  // Whole pixels: the cell is ascent + descent high, the baseline `ascent` below its top.
  int Ascent() const { return ascent_; }
  int Descent() const { return descent_; }
  int Height() const { return ascent_ + descent_; }
  int InternalLeading() const { return internalLeading_; }
  int AverageCharWidth() const { return averageCharWidth_; }
  int MaxCharWidth() const { return maxCharWidth_; }
  int EmSize() const { return emSize_; }
  // Lines drawn for underline and strike-out: offset of the line's top below the baseline
  // (negative: above it) and thickness, in pixels.
  int UnderlineOffset() const { return underlineOffset_; }
  int UnderlineThickness() const { return underlineThickness_; }
  int StrikeOutOffset() const { return strikeOutOffset_; }
  int StrikeOutThickness() const { return strikeOutThickness_; }

  // The glyphs of `utf8` with the first origin at (x, baseline), and the advance width.
  std::vector<cairo_glyph_t> Glyphs(const std::string& utf8, double x, double baseline, int* width) const;

 private:
  FontFace() = default;
  static std::shared_ptr<const FontFace> Make(const LOGFONTA& logFont);

  cairo_font_face_t* face_ = nullptr;
  cairo_scaled_font_t* scaled_ = nullptr;
  int ascent_ = 0;
  int descent_ = 0;
  int internalLeading_ = 0;
  int averageCharWidth_ = 0;
  int maxCharWidth_ = 0;
  int emSize_ = 0;
  int underlineOffset_ = 0;
  int underlineThickness_ = 1;
  int strikeOutOffset_ = 0;
  int strikeOutThickness_ = 1;
};

// The bytes of an "A" string as UTF-8: taken as they are when they are valid UTF-8 (what
// the run time's locale texts are on Linux), otherwise read as Windows-1252.
std::string TextToUtf8(const char* text, int count);

}  // namespace platform::gdi
