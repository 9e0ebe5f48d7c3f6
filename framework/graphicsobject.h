#pragma once
// TGraphicsObject: the common part of fonts, brushes and pens: a GDI object made on
// demand from the settings, and OnChange, raised after every change of a setting.
#include "framework/method.h"
#include "framework/persistent.h"
#include "platform/windef.h"

class TGraphicsObject : public TPersistent {
 public:
  ~TGraphicsObject() override;
  const char* ClassName() const override { return "TGraphicsObject"; }

  const TNotifyEvent& OnChange() const { return FOnChange; }
  void SetOnChange(TNotifyEvent Value) { FOnChange = Value; }

 protected:
  // Called after a setting changed. `HandleAffected`: the GDI object no longer matches and
  // is made anew on the next request. The old one is kept until then, so that a canvas told
  // by OnChange can take it out of its DC before it is deleted.
  void Changed(bool HandleAffected);

  // The GDI object for the current settings, made by CreateObject when none matches.
  HGDIOBJ ObjectHandle();
  // Makes the GDI object; `Owned` false for a stock object, which is never deleted.
  virtual HGDIOBJ CreateObject(bool& Owned) = 0;

 private:
  void ReleaseObject();

  TNotifyEvent FOnChange;
  HGDIOBJ FHandle = nullptr;
  bool FOwned = false;   // FHandle was made here and is deleted here
  bool FStale = false;   // FHandle no longer matches the settings
};
