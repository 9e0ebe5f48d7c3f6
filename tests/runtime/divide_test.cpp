#include "runtime/divide.h"

#include <gtest/gtest.h>

#include <climits>

#include "runtime/exception.h"

namespace {

TEST(IntDiv, TruncatesTowardZero) {
  struct Row {
    int dividend, divisor, quotient;
  };
  for (const Row& r : {Row{1000, 2, 500}, Row{1000, 3, 333}, Row{1000, -3, -333}, Row{-1000, 3, -333},
                       Row{1000, 1001, 0}, Row{1000, -1001, 0}, Row{INT_MIN, 1, INT_MIN}, Row{INT_MAX, -1, -INT_MAX}})
    EXPECT_EQ(IntDiv(r.dividend, r.divisor), r.quotient) << r.dividend << " div " << r.divisor;
}

TEST(IntDiv, RaisesForZeroAndForAQuotientThatDoesNotFit) {
  for (int dividend : {1000, 0, INT_MIN}) {
    try {
      IntDiv(dividend, 0);
      FAIL() << dividend << " div 0 returned";
    } catch (const EDivByZero& e) {
      EXPECT_EQ(e.Message(), "Division by zero");
    }
  }
  try {
    IntDiv(INT_MIN, -1);
    FAIL() << "INT_MIN div -1 returned";
  } catch (const EIntOverflow& e) {
    EXPECT_EQ(e.Message(), "Integer overflow");
  }
}

}  // namespace
