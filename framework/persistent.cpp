#include "framework/persistent.h"

#include "runtime/exception.h"
#include "runtime/format.h"

void TPersistent::Assign(TPersistent* Source) { AssignError(Source); }

void TPersistent::AssignError(const TPersistent* Source) const {
  const char* sourceName = Source != nullptr ? Source->ClassName() : "nil";
  throw EConvertError(Format("Cannot assign a %s to a %s", sourceName, ClassName()));
}
