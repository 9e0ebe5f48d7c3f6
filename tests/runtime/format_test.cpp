#include "runtime/format.h"

#include <gtest/gtest.h>

#include <cstdint>

#include "runtime/exception.h"

namespace {

TEST(Format, FillsTextsAndNumbersInOrder) {
  const std::string text = "no driver";
  EXPECT_EQ(Format("Can't connect to DeviceId: %d\r%s", 0, text), "Can't connect to DeviceId: 0\rno driver");
  EXPECT_EQ(Format("Cannot assign a %s to a %s", std::string("nil"), "TBrush"), "Cannot assign a nil to a TBrush");
  EXPECT_EQ(Format("'%s' is not a valid integer value", std::string_view("abc")), "'abc' is not a valid integer value");
  EXPECT_EQ(Format("%d %d %d", -7, std::int64_t{-9000000000}, 4294967295u), "-7 -9000000000 4294967295");
  EXPECT_EQ(Format("100%% of %d", 3), "100% of 3");
}

TEST(Format, LeavesMissingArgumentsAndStrayPercentsAsWritten) {
  EXPECT_EQ(Format("%s and %s", "one"), "one and %s");
  EXPECT_EQ(Format("50% %x %", 1), "50% %x %");
  // An argument's own percent signs are not read as a pattern.
  EXPECT_EQ(Format("%s|%d", "%d%s", 5), "%d%s|5");
  EXPECT_EQ(Format("%s", static_cast<const char*>(nullptr)), "");
}

TEST(Exception, CarriesItsMessageThroughEveryClass) {
  auto check = [](const Exception& e, const char* message) {
    EXPECT_EQ(e.Message(), message);
    EXPECT_STREQ(e.what(), message);
  };
  check(EConvertError("'x' is not a valid integer value"), "'x' is not a valid integer value");
  check(EDivByZero("Division by zero"), "Division by zero");
  check(EOutOfResources("Not enough timers available"), "Not enough timers available");
  check(EIntOverflow("Integer overflow"), "Integer overflow");
  try {
    throw EDivByZero("Division by zero");
  } catch (const std::exception& e) {
    EXPECT_STREQ(e.what(), "Division by zero");
  }
}

}  // namespace
