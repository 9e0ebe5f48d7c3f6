#pragma once
// TPen: the colour, style and width of outlines; its GDI pen is made on demand.
#include "framework/graphics.h"
#include "framework/graphicsobject.h"
#include "platform/windef.h"

class TPen : public TGraphicsObject {
 public:
  TPen();  // black, solid, 1 pixel wide
  const char* ClassName() const override { return "TPen"; }

  // Takes over colour, style and width of another pen.
  void Assign(TPersistent* Source) override;

  // psClear: the stock NULL_PEN; any other style: a pen in Color, at least 1 pixel wide.
  HPEN Handle() { return static_cast<HPEN>(ObjectHandle()); }

  TColor Color() const { return FColor; }
  void SetColor(TColor Value);
  TPenStyle Style() const { return FStyle; }
  void SetStyle(TPenStyle Value);
  int Width() const { return FWidth; }
  void SetWidth(int Value);  // values below 1 are ignored

 protected:
  HGDIOBJ CreateObject(bool& Owned) override;

 private:
  TColor FColor = clBlack;
  TPenStyle FStyle = psSolid;
  int FWidth = 1;
};
