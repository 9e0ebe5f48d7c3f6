#include "runtime/divide.h"

#include <climits>

#include "runtime/exception.h"

int IntDiv(int dividend, int divisor) {
  if (divisor == 0) throw EDivByZero("Division by zero");
  if (dividend == INT_MIN && divisor == -1) throw EConvertError("Integer overflow");
  return dividend / divisor;
}
