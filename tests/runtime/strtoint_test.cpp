#include "runtime/strtoint.h"

#include <gtest/gtest.h>

#include <climits>

#include "runtime/exception.h"

namespace {

struct ValidCase {
  std::string text;
  int value;
};

void PrintTo(const ValidCase& c, std::ostream* os) { *os << '"' << c.text << "\" -> " << c.value; }

class StrToIntValid : public testing::TestWithParam<ValidCase> {};

TEST_P(StrToIntValid, Converts) { EXPECT_EQ(StrToInt(GetParam().text), GetParam().value); }

INSTANTIATE_TEST_SUITE_P(
    Table, StrToIntValid,
    testing::Values(ValidCase{"0", 0}, ValidCase{"-0", 0}, ValidCase{"320", 320}, ValidCase{" 320", 320},
                    ValidCase{"   -20", -20}, ValidCase{"+30", 30}, ValidCase{"-20", -20},
                    ValidCase{"2147483647", INT_MAX}, ValidCase{"-2147483648", INT_MIN},
                    ValidCase{"$FFFFFFFF", -1}, ValidCase{"$1F4", 500}, ValidCase{"$1f4", 500},
                    ValidCase{"$140", 320}, ValidCase{"  $F0", 240}, ValidCase{"$80000000", INT_MIN},
                    ValidCase{"$7FFFFFFF", INT_MAX}, ValidCase{"$" + std::string(500, '0') + "1F4", 500},
                    ValidCase{std::string(500, '0') + "42", 42}, ValidCase{"-" + std::string(500, '0'), 0}));

class StrToIntInvalid : public testing::TestWithParam<std::string> {};

TEST_P(StrToIntInvalid, RaisesWithTheTextAsGiven) {
  const std::string& text = GetParam();
  try {
    const int value = StrToInt(text);
    FAIL() << "accepted '" << text << "' as " << value;
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "'" + text + "' is not a valid integer value");
  }
}

INSTANTIATE_TEST_SUITE_P(Table, StrToIntInvalid,
                         testing::Values("2147483648", "-2147483649", "$100000000", "4294967296", "320 ", "\t320",
                                         "\n320", "+", "-", "$", "", " ", "0x140", "3e2", "320.0", "$-1", "-$1",
                                         "$ 1F4", "$G", "abc", "--1", "+-1", "- 1", "1-", "1 2", "٣٢٠",
                                         std::string(500, '9'), "-" + std::string(500, '9'),
                                         "$" + std::string(500, 'F'), std::string("32\0" "0", 4)));

}  // namespace
