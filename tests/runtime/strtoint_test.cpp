#include "runtime/strtoint.h"

#include <gtest/gtest.h>

#include "runtime/divide.h"
#include "runtime/exception.h"
#include "runtime/format.h"

namespace {

struct ValidCase {
  const char* text;
  int value;
};

class StrToIntValid : public testing::TestWithParam<ValidCase> {};

TEST_P(StrToIntValid, Converts) { EXPECT_EQ(StrToInt(GetParam().text), GetParam().value); }

INSTANTIATE_TEST_SUITE_P(Table, StrToIntValid,
                         testing::Values(ValidCase{"0", 0}, ValidCase{"320", 320}, ValidCase{" 320", 320},
                                         ValidCase{"   -20", -20}, ValidCase{"+30", 30},
                                         ValidCase{"2147483647", 2147483647}, ValidCase{"-2147483648", INT32_MIN},
                                         ValidCase{"$FFFFFFFF", -1}, ValidCase{"$1F4", 500}, ValidCase{"$140", 320},
                                         ValidCase{"$f0", 240}, ValidCase{"$80000000", INT32_MIN},
                                         ValidCase{"000000000000000000000000000042", 42}));

class StrToIntInvalid : public testing::TestWithParam<std::string> {};

TEST_P(StrToIntInvalid, RaisesWithTheTextAsGiven) {
  const std::string text = GetParam();
  try {
    StrToInt(text);
    FAIL() << "accepted '" << text << "'";
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "'" + text + "' is not a valid integer value");
  }
}

INSTANTIATE_TEST_SUITE_P(Table, StrToIntInvalid,
                         testing::Values("2147483648", "-2147483649", "$100000000", "320 ", "\t320", "+", "-", "$",
                                         "", " ", "0x140", "3e2", "320.0", "$-1", "abc", "--1", "+-1", "1 2",
                                         std::string(500, '9'), "$" + std::string(500, 'F'),
                                         std::string("32\0" "0", 4)));

TEST(IntDiv, TruncatesTowardZeroAndRefusesZero) {
  EXPECT_EQ(IntDiv(1000, 3), 333);
  EXPECT_EQ(IntDiv(1000, -3), -333);
  EXPECT_EQ(IntDiv(1000, 1001), 0);
  EXPECT_EQ(IntDiv(1000, -1001), 0);
  try {
    IntDiv(1000, 0);
    FAIL();
  } catch (const EDivByZero& e) {
    EXPECT_EQ(e.Message(), "Division by zero");
  }
  EXPECT_THROW(IntDiv(INT32_MIN, -1), EConvertError);
}

TEST(Format, FillsTextsAndNumbersInOrder) {
  EXPECT_EQ(Format("Can't connect to DeviceId: %d\r%s", 0, "no driver"), "Can't connect to DeviceId: 0\rno driver");
  EXPECT_EQ(Format("Cannot assign a %s to a %s", std::string("nil"), "TBrush"), "Cannot assign a nil to a TBrush");
  EXPECT_EQ(Format("100%% of %d", -7), "100% of -7");
  EXPECT_EQ(Format("%s and %s", "one"), "one and %s");
}

}  // namespace
