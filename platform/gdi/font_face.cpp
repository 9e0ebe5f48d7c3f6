#include "platform/gdi/font_face.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>
#include <tuple>

#include <cairo-ft.h>
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include "platform/gdi/objects.h"

namespace platform::gdi {

namespace {

constexpr int kDefaultCellHeight = 16;  // lfHeight 0: the default height
constexpr std::size_t kMaxCachedFaces = 256;

// Glyphs are drawn without antialiasing. A stamp is burnt into frames of limited
// colour depth (16 bits) and read back from them: blended edge pixels would be new
// colours that neither the text colour nor the picture had, and a transparent stamp
// must change glyph pixels only, each to exactly the text colour. Full hinting keeps
// bilevel glyphs legible at small sizes; hinted metrics keep advances whole pixels,
// so that text extents and drawn text agree.
cairo_font_options_t* NewFontOptions() {
  cairo_font_options_t* options = cairo_font_options_create();
  cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_NONE);
  cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_FULL);
  cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_ON);
  return options;
}

void ForceInt(FcPattern* pattern, const char* object, int value) {
  FcPatternDel(pattern, object);
  FcPatternAddInteger(pattern, object, value);
}

void ForceBool(FcPattern* pattern, const char* object, FcBool value) {
  FcPatternDel(pattern, object);
  FcPatternAddBool(pattern, object, value);
}

// The best face fontconfig has for the LOGFONT: "MS Sans Serif" and other Windows
// faces come out as their configured substitutes.
cairo_font_face_t* MatchFace(const LOGFONTA& lf, double pixelSize, const cairo_font_options_t* options) {
  FcPattern* pattern = FcPatternCreate();
  const char* family = lf.lfFaceName[0] != '\0' ? lf.lfFaceName : "sans-serif";
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
  int weight = FC_WEIGHT_REGULAR;
  if (lf.lfWeight > 0) weight = FcWeightFromOpenType(std::clamp<int>(lf.lfWeight, 1, 1000));
  FcPatternAddInteger(pattern, FC_WEIGHT, weight);
  FcPatternAddInteger(pattern, FC_SLANT, lf.lfItalic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcPatternAddDouble(pattern, FC_PIXEL_SIZE, pixelSize);
  cairo_ft_font_options_substitute(options, pattern);
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  FcPatternDestroy(pattern);
  if (match == nullptr) return nullptr;
  // The system's configuration may ask for antialiasing or light hinting on the match;
  // glyphs must stay bilevel whatever it says.
  ForceBool(match, FC_ANTIALIAS, FcFalse);
  ForceBool(match, FC_HINTING, FcTrue);
  ForceInt(match, FC_HINT_STYLE, FC_HINT_FULL);
  cairo_font_face_t* face = cairo_ft_font_face_create_for_pattern(match);
  FcPatternDestroy(match);
  if (cairo_font_face_status(face) != CAIRO_STATUS_SUCCESS) {
    cairo_font_face_destroy(face);
    return nullptr;
  }
  return face;
}

cairo_scaled_font_t* ScaleFace(cairo_font_face_t* face, double em, const cairo_font_options_t* options) {
  cairo_matrix_t fontMatrix;
  cairo_matrix_t ctm;
  cairo_matrix_init_scale(&fontMatrix, em, em);
  cairo_matrix_init_identity(&ctm);
  cairo_scaled_font_t* scaled = cairo_scaled_font_create(face, &fontMatrix, &ctm, options);
  if (cairo_scaled_font_status(scaled) != CAIRO_STATUS_SUCCESS) {
    cairo_scaled_font_destroy(scaled);
    return nullptr;
  }
  return scaled;
}

// Vertical metrics in font design units, as GDI reads them: the Windows ascent and
// descent of the OS/2 table where there is one.
struct DesignMetrics {
  double unitsPerEm = 0;
  double ascent = 0;
  double descent = 0;
  double averageWidth = 0;
  double underlinePosition = 0;  // centre of the line, above the baseline (negative: below)
  double underlineThickness = 0;
  double strikeOutPosition = 0;  // top of the line above the baseline
  double strikeOutThickness = 0;
};

bool ReadDesignMetrics(cairo_scaled_font_t* scaled, DesignMetrics* m) {
  FT_Face ft = cairo_ft_scaled_font_lock_face(scaled);
  if (ft == nullptr) return false;
  bool ok = ft->units_per_EM > 0;
  if (ok) {
    m->unitsPerEm = ft->units_per_EM;
    m->ascent = ft->ascender;
    m->descent = -ft->descender;
    m->underlinePosition = ft->underline_position;
    m->underlineThickness = ft->underline_thickness;
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(ft, FT_SFNT_OS2));
    if (os2 != nullptr && os2->version != 0xFFFF) {
      if (os2->usWinAscent + os2->usWinDescent > 0) {
        m->ascent = os2->usWinAscent;
        m->descent = os2->usWinDescent;
      }
      m->averageWidth = os2->xAvgCharWidth;
      m->strikeOutPosition = os2->yStrikeoutPosition;
      m->strikeOutThickness = os2->yStrikeoutSize;
    }
    ok = m->ascent + m->descent > 0;
  }
  cairo_ft_scaled_font_unlock_face(scaled);
  return ok;
}

int RoundPixels(double v) { return static_cast<int>(std::lround(v)); }

// Well-formed UTF-8: no stray continuation bytes, overlong forms or surrogates.
bool IsUtf8(const unsigned char* bytes, int count) {
  for (int i = 0; i < count;) {
    const unsigned char c = bytes[i];
    int follow = 0;
    unsigned char low = 0x80;  // allowed range of the second byte
    unsigned char high = 0xBF;
    if (c < 0x80) {
      follow = 0;
    } else if (c >= 0xC2 && c <= 0xDF) {
      follow = 1;
    } else if (c >= 0xE0 && c <= 0xEF) {
      follow = 2;
      if (c == 0xE0) low = 0xA0;
      if (c == 0xED) high = 0x9F;
    } else if (c >= 0xF0 && c <= 0xF4) {
      follow = 3;
      if (c == 0xF0) low = 0x90;
      if (c == 0xF4) high = 0x8F;
    } else {
      return false;
    }
    if (follow > count - 1 - i) return false;
    for (int k = 1; k <= follow; ++k) {
      const unsigned char b = bytes[i + k];
      if (k == 1 ? (b < low || b > high) : (b & 0xC0) != 0x80) return false;
    }
    i += follow + 1;
  }
  return true;
}

}  // namespace

std::shared_ptr<const FontFace> FontFace::For(const LOGFONTA& lf) {
  using Key = std::tuple<std::string, LONG, LONG, bool>;
  static std::map<Key, std::shared_ptr<const FontFace>> cache;
  Key key{lf.lfFaceName, lf.lfHeight, lf.lfWeight, lf.lfItalic != 0};
  auto it = cache.find(key);
  if (it != cache.end()) return it->second;
  auto face = Make(lf);
  if (!face) return nullptr;
  // Fonts in use keep their faces; dropping the whole cache now and then bounds it.
  if (cache.size() >= kMaxCachedFaces) cache.clear();
  cache.emplace(std::move(key), face);
  return face;
}

std::shared_ptr<const FontFace> FontFace::Make(const LOGFONTA& lf) {
  const LONG requested = lf.lfHeight == 0 ? kDefaultCellHeight : lf.lfHeight;
  const double magnitude = std::min<double>(std::abs(static_cast<double>(requested)), kMaxDimension);
  cairo_font_options_t* options = NewFontOptions();
  std::shared_ptr<FontFace> font(new FontFace());
  font->face_ = MatchFace(lf, magnitude, options);
  DesignMetrics m;
  cairo_scaled_font_t* probe = font->face_ != nullptr ? ScaleFace(font->face_, magnitude, options) : nullptr;
  const bool measured = probe != nullptr && ReadDesignMetrics(probe, &m);
  if (!measured) {
    if (probe != nullptr) cairo_scaled_font_destroy(probe);
    cairo_font_options_destroy(options);
    return nullptr;
  }

  // Negative heights give the em size; positive ones the cell height (ascent + descent).
  const double cell = m.ascent + m.descent;
  double em = magnitude;
  if (requested > 0) {
    em = magnitude * m.unitsPerEm / cell;
    font->ascent_ = RoundPixels(magnitude * m.ascent / cell);
    font->descent_ = static_cast<int>(magnitude) - font->ascent_;
  } else {
    font->ascent_ = RoundPixels(em * m.ascent / m.unitsPerEm);
    font->descent_ = RoundPixels(em * m.descent / m.unitsPerEm);
  }
  font->emSize_ = std::max(1, RoundPixels(em));
  font->internalLeading_ = std::max(0, font->Height() - font->emSize_);

  if (em == magnitude) {
    font->scaled_ = probe;
  } else {
    cairo_scaled_font_destroy(probe);
    font->scaled_ = ScaleFace(font->face_, em, options);
  }
  cairo_font_options_destroy(options);
  if (font->scaled_ == nullptr) return nullptr;

  const double scale = em / m.unitsPerEm;
  cairo_font_extents_t extents;
  cairo_scaled_font_extents(font->scaled_, &extents);
  font->maxCharWidth_ = RoundPixels(extents.max_x_advance);
  if (m.averageWidth > 0) {
    font->averageCharWidth_ = std::max(1, RoundPixels(m.averageWidth * scale));
  } else {
    int width = 0;
    font->Glyphs("x", 0, 0, &width);
    font->averageCharWidth_ = width;
  }

  // Lines stay inside the cell: underline below the baseline, strike-out above it.
  font->underlineThickness_ = std::max(1, RoundPixels(m.underlineThickness * scale));
  font->underlineOffset_ =
      std::clamp(RoundPixels(-m.underlinePosition * scale - font->underlineThickness_ / 2.0), 1,
                 std::max(1, font->descent_ - font->underlineThickness_));
  if (m.strikeOutThickness > 0) {
    font->strikeOutThickness_ = std::max(1, RoundPixels(m.strikeOutThickness * scale));
    font->strikeOutOffset_ = -RoundPixels(m.strikeOutPosition * scale);
  } else {
    font->strikeOutThickness_ = font->underlineThickness_;
    font->strikeOutOffset_ = -RoundPixels(font->ascent_ * 0.3);
  }
  font->strikeOutOffset_ = std::clamp(font->strikeOutOffset_, -font->ascent_, -1);
  return font;
}

FontFace::~FontFace() {
  if (scaled_ != nullptr) cairo_scaled_font_destroy(scaled_);
  if (face_ != nullptr) cairo_font_face_destroy(face_);
}

std::vector<cairo_glyph_t> FontFace::Glyphs(const std::string& utf8, double x, double baseline, int* width) const {
  *width = 0;
  cairo_glyph_t* glyphs = nullptr;
  int count = 0;
  if (utf8.empty() ||
      cairo_scaled_font_text_to_glyphs(scaled_, x, baseline, utf8.data(), static_cast<int>(utf8.size()), &glyphs,
                                       &count, nullptr, nullptr, nullptr) != CAIRO_STATUS_SUCCESS) {
    return {};
  }
  std::vector<cairo_glyph_t> result(glyphs, glyphs + count);
  cairo_glyph_free(glyphs);
  if (count > 0) {
    // Advances are whole pixels (hinted metrics), so the text ends where the last glyph's advance does.
    cairo_text_extents_t last;
    cairo_scaled_font_glyph_extents(scaled_, &result.back(), 1, &last);
    *width = RoundPixels(result.back().x + last.x_advance - x);
  }
  return result;
}

std::string TextToUtf8(const char* text, int count) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(text);
  const bool valid = IsUtf8(bytes, count);
  if (valid) return std::string(text, static_cast<std::size_t>(count));

  // Windows-1252: Latin-1 with printable characters in 0x80..0x9F.
  static constexpr char16_t k80To9F[32] = {
      0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
      0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
      0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
  std::string out;
  out.reserve(static_cast<std::size_t>(count) * 2);
  for (int i = 0; i < count; ++i) {
    char32_t cp = bytes[i];
    if (cp >= 0x80 && cp <= 0x9F) cp = k80To9F[cp - 0x80];
    if (cp < 0x80) {
      out += static_cast<char>(cp);
    } else if (cp < 0x800) {
      out += static_cast<char>(0xC0 | (cp >> 6));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
      out += static_cast<char>(0xE0 | (cp >> 12));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    }
  }
  return out;
}

}  // namespace platform::gdi
