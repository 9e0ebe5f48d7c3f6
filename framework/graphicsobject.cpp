#include "framework/graphicsobject.h"

#include "platform/wingdi.h"

TGraphicsObject::~TGraphicsObject() { ReleaseObject(); }

void TGraphicsObject::Changed(bool HandleAffected) {
  if (HandleAffected) FStale = true;
  FOnChange(this);
}

HGDIOBJ TGraphicsObject::ObjectHandle() {
  if (FHandle == nullptr || FStale) {
    ReleaseObject();
    bool owned = true;
    FHandle = CreateObject(owned);
    FOwned = owned && FHandle != nullptr;
    FStale = false;
  }
  return FHandle;
}

void TGraphicsObject::ReleaseObject() {
  if (FHandle != nullptr && FOwned) DeleteObject(FHandle);
  FHandle = nullptr;
  FOwned = false;
}
