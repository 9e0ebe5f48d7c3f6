// Text: TextOutA and the measurements that agree with it.
#include <algorithm>
#include <string>

#include "platform/gdi/draw_target.h"
#include "platform/gdi/font_face.h"
#include "platform/gdi/objects.h"
#include "platform/wingdi.h"

using namespace platform::gdi;

namespace platform::gdi {

const FontFace* Font::Face() {
  if (!face) face = FontFace::For(logFont);
  return face.get();
}

}  // namespace platform::gdi

namespace {

// The selected font's face, or null for a bad DC, a bad string or a font without a face.
const FontFace* FaceFor(const DeviceContext* dc, LPCSTR text, int count) {
  if (dc == nullptr || count < 0 || (count > 0 && text == nullptr)) return nullptr;
  return dc->font.object->Face();
}

}  // namespace

BOOL TextOutA(HDC hdc, int x, int y, LPCSTR lpString, int c) {
  auto dc = Find<DeviceContext>(hdc);
  const FontFace* face = FaceFor(dc.get(), lpString, c);
  if (face == nullptr) return FALSE;
  if (c == 0) return TRUE;
  x = ClampCoord(x);
  y = ClampCoord(y);
  const std::string utf8 = TextToUtf8(lpString, c);
  const int baseline = y + face->Ascent();
  int width = 0;
  const std::vector<cairo_glyph_t> glyphs = face->Glyphs(utf8, x, baseline, &width);
  const RECT cell{x, y, ClampCoord(static_cast<std::int64_t>(x) + width), y + face->Height()};

  DrawTarget target(*dc);
  if (dc->bkMode == OPAQUE) target.Fill(cell, dc->bkColor);
  if (!glyphs.empty()) {
    cairo_t* cr = target.BeginCairo();
    if (cr == nullptr) return FALSE;
    // See FontFace: bilevel glyphs, so every pixel drawn is exactly the text colour.
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
    cairo_set_scaled_font(cr, face->Scaled());
    cairo_set_source_rgb(cr, GetRValue(dc->textColor) / 255.0, GetGValue(dc->textColor) / 255.0,
                         GetBValue(dc->textColor) / 255.0);
    cairo_show_glyphs(cr, glyphs.data(), static_cast<int>(glyphs.size()));
    // Italic overhangs and accents may leave the cell; an em around it covers them.
    const int margin = face->EmSize();
    target.EndCairo(cr, RECT{ClampCoord(static_cast<std::int64_t>(cell.left) - margin),
                             ClampCoord(static_cast<std::int64_t>(cell.top) - margin),
                             ClampCoord(static_cast<std::int64_t>(cell.right) + margin),
                             ClampCoord(static_cast<std::int64_t>(cell.bottom) + margin)});
  }
  const LOGFONTA& lf = dc->font.object->logFont;
  std::vector<RECT> lines;
  if (lf.lfUnderline) {
    const int top = baseline + face->UnderlineOffset();
    lines.push_back(RECT{cell.left, top, cell.right, top + face->UnderlineThickness()});
  }
  if (lf.lfStrikeOut) {
    const int top = baseline + face->StrikeOutOffset();
    lines.push_back(RECT{cell.left, top, cell.right, top + face->StrikeOutThickness()});
  }
  if (!lines.empty()) target.Fill(lines, dc->textColor);
  return TRUE;
}

BOOL GetTextExtentPoint32A(HDC hdc, LPCSTR lpString, int c, SIZE* psizl) {
  auto dc = Find<DeviceContext>(hdc);
  const FontFace* face = FaceFor(dc.get(), lpString, c);
  if (face == nullptr || psizl == nullptr) return FALSE;
  int width = 0;
  if (c > 0) face->Glyphs(TextToUtf8(lpString, c), 0, 0, &width);
  *psizl = SIZE{width, face->Height()};
  return TRUE;
}

BOOL GetTextMetricsA(HDC hdc, TEXTMETRICA* lptm) {
  auto dc = Find<DeviceContext>(hdc);
  const FontFace* face = FaceFor(dc.get(), "", 0);
  if (face == nullptr || lptm == nullptr) return FALSE;
  lptm->tmHeight = face->Height();
  lptm->tmAscent = face->Ascent();
  lptm->tmDescent = face->Descent();
  lptm->tmInternalLeading = face->InternalLeading();
  lptm->tmExternalLeading = 0;
  lptm->tmAveCharWidth = face->AverageCharWidth();
  lptm->tmMaxCharWidth = face->MaxCharWidth();
  return TRUE;
}
