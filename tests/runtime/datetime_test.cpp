#include "runtime/datetime.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <ctime>
#include <limits>

#include "runtime/exception.h"

namespace {

using Fields = std::array<int, 7>;  // year, month, day, hour, minute, second, millisecond

Fields Decode(TDateTime value) {
  Fields f{};
  DecodeDateTime(value, f[0], f[1], f[2], f[3], f[4], f[5], f[6]);
  return f;
}

TDateTime Encode(const Fields& f) { return EncodeDateTime(f[0], f[1], f[2], f[3], f[4], f[5], f[6]); }

TEST(DateTime, CountsDaysSince30December1899) {
  struct Row {
    Fields fields;
    TDateTime value;
  };
  const Row rows[] = {
      {{1899, 12, 30, 0, 0, 0, 0}, 0.0},
      {{1900, 1, 1, 12, 0, 0, 0}, 2.5},
      {{1970, 1, 1, 0, 0, 0, 0}, 25569.0},
      {{2024, 3, 5, 6, 0, 0, 0}, 45356.25},
      {{2000, 2, 29, 18, 0, 0, 0}, 36585.75},
      {{1899, 12, 29, 6, 0, 0, 0}, -1.25},  // days count back, the time still forward
      {{1, 1, 1, 0, 0, 0, 0}, -693593.0},
      {{9999, 12, 31, 0, 0, 0, 0}, 2958465.0},
  };
  for (const Row& r : rows) {
    EXPECT_DOUBLE_EQ(Encode(r.fields), r.value) << r.fields[0] << "-" << r.fields[1] << "-" << r.fields[2];
    EXPECT_EQ(Decode(r.value), r.fields) << r.value;
  }
}

TEST(DateTime, EverySecondOfADayReadsBackUnchanged) {
  // The float sum of day and fraction must never decode a second early (07:09:58.999).
  for (const int year : {1899, 2024}) {
    for (int s = 0; s < 86400; ++s) {
      const Fields f{year, 12, 29, s / 3600, s / 60 % 60, s % 60, 0};
      ASSERT_EQ(Decode(Encode(f)), f) << year << " second " << s;
    }
  }
  const Fields lastMs{2023, 12, 31, 23, 59, 59, 999};
  EXPECT_EQ(Decode(Encode(lastMs)), lastMs);
}

TEST(DateTime, RoundsTheTimeToTheNearestMillisecond) {
  const TDateTime nineFiftyNine = EncodeDateTime(2024, 3, 5, 7, 9, 59, 0);
  EXPECT_EQ(Decode(nineFiftyNine - 1e-10), (Fields{2024, 3, 5, 7, 9, 59, 0}));
  EXPECT_EQ(Decode(nineFiftyNine + 1e-10), (Fields{2024, 3, 5, 7, 9, 59, 0}));
  // Computed seconds land on the intended second, not a hair below it.
  EXPECT_EQ(Decode(EncodeDateTime(2024, 3, 5, 7, 9, 0, 0) + 59.0 / 86400), (Fields{2024, 3, 5, 7, 9, 59, 0}));
  // Half a millisecond before midnight is midnight of the next day, also before day 0.
  EXPECT_EQ(Decode(EncodeDateTime(2023, 12, 31, 0, 0, 0, 0) + (86400000 - 0.4) / 86400000),
            (Fields{2024, 1, 1, 0, 0, 0, 0}));
  EXPECT_EQ(Decode(-1.99999999999), (Fields{1899, 12, 30, 0, 0, 0, 0}));
}

TEST(DateTime, RefusesFieldsOutOfRange) {
  const Fields bad[] = {
      {0, 1, 1, 0, 0, 0, 0},        {10000, 1, 1, 0, 0, 0, 0},  {2024, 0, 1, 0, 0, 0, 0},
      {2024, 13, 1, 0, 0, 0, 0},    {2024, 1, 0, 0, 0, 0, 0},   {2023, 2, 29, 0, 0, 0, 0},
      {2024, 4, 31, 0, 0, 0, 0},    {2024, 1, 1, 24, 0, 0, 0},  {2024, 1, 1, 0, 60, 0, 0},
      {2024, 1, 1, 0, 0, 60, 0},    {2024, 1, 1, 0, 0, 0, 1000}, {2024, 1, 1, -1, 0, 0, 0},
  };
  for (const Fields& f : bad) EXPECT_THROW(Encode(f), EConvertError) << f[0] << "-" << f[1] << "-" << f[2];
  EXPECT_NO_THROW(EncodeDateTime(2024, 2, 29, 23, 59, 59, 999));
}

TEST(DateTime, RefusesValuesThatAreNoDate) {
  const double bad[] = {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                        -std::numeric_limits<double>::infinity(), 1e300, -1e300, 2958466.0, -693594.0};
  for (const double v : bad) {
    try {
      Decode(v);
      FAIL() << v << " decoded";
    } catch (const EConvertError& e) {
      EXPECT_NE(e.Message().find("is not a valid date and time"), std::string::npos) << e.Message();
    }
  }
}

std::time_t ClockSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_REALTIME, &ts);
  return ts.tv_sec;
}

TEST(DateTime, NowIsTheLocalClock) {
  std::time_t before = ClockSeconds();
  Fields now = Decode(Now());
  // Read again if a second boundary fell between the readings.
  if (ClockSeconds() != before) {
    before = ClockSeconds();
    now = Decode(Now());
  }
  std::tm local{};
  localtime_r(&before, &local);
  const Fields expected{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                        local.tm_sec > 59 ? 59 : local.tm_sec, now[6]};
  EXPECT_EQ(now, expected);
}

}  // namespace
