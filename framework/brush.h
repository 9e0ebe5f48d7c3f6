#pragma once
// TBrush: the colour and style of fills and text backgrounds; its GDI brush is made on demand.
#include "framework/graphics.h"
#include "framework/graphicsobject.h"
#include "platform/windef.h"

class TBrush : public TGraphicsObject {
 public:
  TBrush();  // solid white
  const char* ClassName() const override { return "TBrush"; }

  // Takes over colour and style of another brush.
  void Assign(TPersistent* Source) override;

  // bsClear: the stock NULL_BRUSH; any other style: a solid brush in Color.
  HBRUSH Handle() { return static_cast<HBRUSH>(ObjectHandle()); }

  TColor Color() const { return FColor; }
  void SetColor(TColor Value);
  TBrushStyle Style() const { return FStyle; }
  void SetStyle(TBrushStyle Value);

 protected:
  HGDIOBJ CreateObject(bool& Owned) override;

 private:
  TColor FColor = clWhite;
  TBrushStyle FStyle = bsSolid;
};
