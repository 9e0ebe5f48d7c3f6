#include "framework/control.h"

#include "framework/wincontrol.h"

TControl::TControl(TComponent* AOwner) : TComponent(AOwner) {}

TControl::~TControl() {
  // The parent is still whole here: a parent that goes first lets its controls go.
  if (FParent != nullptr) FParent->RemoveControl(this);
}

void TControl::SetLeft(int Value) { SetBounds(Value, FTop, FWidth, FHeight); }
void TControl::SetTop(int Value) { SetBounds(FLeft, Value, FWidth, FHeight); }
void TControl::SetWidth(int Value) { SetBounds(FLeft, FTop, Value, FHeight); }
void TControl::SetHeight(int Value) { SetBounds(FLeft, FTop, FWidth, Value); }

void TControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  if (ALeft == FLeft && ATop == FTop && AWidth == FWidth && AHeight == FHeight) return;
  const RECT old = BoundsRect();
  UpdateBoundsFields(ALeft, ATop, AWidth, AHeight);
  BoundsChanged(old);
}

void TControl::UpdateBoundsFields(int ALeft, int ATop, int AWidth, int AHeight) {
  FLeft = ALeft;
  FTop = ATop;
  FWidth = AWidth;
  FHeight = AHeight;
}

void TControl::SetParent(TWinControl* AParent) {
  if (AParent == FParent) return;
  for (TControl* p = AParent; p != nullptr; p = p->FParent) {
    if (p == this) throw Exception(std::string("A control cannot be its own parent: ") + ClassName());
  }
  if (FParent != nullptr) FParent->RemoveControl(this);
  if (AParent != nullptr) AParent->InsertControl(this);
  if (FParentColor && FParent != nullptr) ApplyColor(FParent->Color());
}

void TControl::SetVisible(bool Value) {
  if (Value == FVisible) return;
  FVisible = Value;
  // Shown or hidden, the area on the parent has to be drawn again.
  if (FParent != nullptr && FParent->HandleAllocated()) {
    const RECT r = BoundsRect();
    InvalidateRect(FParent->Handle(), &r, TRUE);
  }
}

void TControl::SetColor(TColor Value) {
  FParentColor = false;
  ApplyColor(Value);
}

void TControl::SetParentColor(bool Value) {
  FParentColor = Value;
  if (FParentColor && FParent != nullptr) ApplyColor(FParent->Color());
}

void TControl::ApplyColor(TColor Value) {
  if (Value == FColor) return;
  FColor = Value;
  Invalidate();
  // Children that follow their parent's colour follow this change too.
  if (auto* self = dynamic_cast<TWinControl*>(this)) {
    for (int i = 0; i < self->ControlCount(); ++i) {
      TControl* child = self->Controls(i);
      if (child->FParentColor) child->ApplyColor(Value);
    }
  }
}

void TControl::Invalidate() {
  if (FParent != nullptr && FParent->HandleAllocated()) {
    const RECT r = BoundsRect();
    InvalidateRect(FParent->Handle(), &r, TRUE);
  }
}
