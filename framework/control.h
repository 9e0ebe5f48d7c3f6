#pragma once
// TControl: a component with bounds in its parent's client area, a visibility and a colour.
// The parent keeps a plain list of its controls; a control takes itself out of it when it
// is destroyed or moved to another parent.
#include <cstdint>
#include <string>

#include "framework/component.h"
#include "framework/graphics.h"
#include "platform/windef.h"

class TWinControl;
using TCursor = std::int16_t;

class TControl : public TComponent {
 public:
  explicit TControl(TComponent* AOwner);
  ~TControl() override;
  const char* ClassName() const override { return "TControl"; }

  // Bounds in the parent's client coordinates (screen coordinates for a top-level window).
  int Left() const { return FLeft; }
  int Top() const { return FTop; }
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  void SetLeft(int Value);
  void SetTop(int Value);
  void SetWidth(int Value);
  void SetHeight(int Value);
  // Stores the new bounds and moves or resizes what shows the control; nothing for equal bounds.
  virtual void SetBounds(int ALeft, int ATop, int AWidth, int AHeight);
  RECT BoundsRect() const { return RECT{FLeft, FTop, FLeft + FWidth, FTop + FHeight}; }
  // Size of the area the control draws in; the whole control unless a window frame is around it.
  virtual int ClientWidth() const { return FWidth; }
  virtual int ClientHeight() const { return FHeight; }

  TWinControl* Parent() const { return FParent; }
  virtual void SetParent(TWinControl* AParent);

  bool Visible() const { return FVisible; }
  virtual void SetVisible(bool Value);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }

  TColor Color() const { return FColor; }
  // Setting a colour of its own stops the control following its parent's colour.
  virtual void SetColor(TColor Value);
  // While set (as it is for a new control), the control takes its parent's colour.
  bool ParentColor() const { return FParentColor; }
  void SetParentColor(bool Value);

  TCursor Cursor() const { return FCursor; }
  void SetCursor(TCursor Value) { FCursor = Value; }
  const std::string& Hint() const { return FHint; }
  void SetHint(const std::string& Value) { FHint = Value; }

  // Asks for the control's area to be drawn again (from the message loop).
  virtual void Invalidate();

 protected:
  // The bounds were stored; windowed controls move their window here.
  virtual void BoundsChanged(const RECT& OldBounds) { (void)OldBounds; }
  // Sets the fields without side effects (a window reporting its own move or size).
  void UpdateBoundsFields(int ALeft, int ATop, int AWidth, int AHeight);
  void ApplyColor(TColor Value);

 private:
  friend class TWinControl;

  TWinControl* FParent = nullptr;  // not owned; the parent lists this control among its controls
  int FLeft = 0;
  int FTop = 0;
  int FWidth = 0;
  int FHeight = 0;
  bool FVisible = true;
  TColor FColor = clWindow;
  bool FParentColor = true;
  TCursor FCursor = 0;
  std::string FHint;
};
