#pragma once
// TPersistent: an object whose settings can be copied from another object of its class.
#include "framework/object.h"

class TPersistent : public TObject {
 public:
  const char* ClassName() const override { return "TPersistent"; }

  // Takes over the settings of `Source`. Here nothing can be copied, so every call raises
  // EConvertError "Cannot assign a <source class or nil> to a <this class>"; classes that
  // can copy override this and call it for sources they do not know.
  virtual void Assign(TPersistent* Source);

 protected:
  // Raises the EConvertError of a failed Assign from `Source` (null allowed).
  [[noreturn]] void AssignError(const TPersistent* Source) const;
};
