#include "runtime/divide.h"

#include <climits>

#include "runtime/exception.h"

int IntDiv(int dividend, int divisor) {
  if (divisor == 0) throw EDivByZero("Division by zero");
  if (dividend == INT_MIN && divisor == -1) throw EIntOverflow("Integer overflow");
  return dividend / divisor;
}
