#include "runtime/datetime.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <ctime>

#include "runtime/exception.h"
#include "runtime/format.h"

namespace {

constexpr std::int64_t kMsPerDay = 86400000;
// Days from 30 December 1899 to 1 January 1970.
constexpr std::int64_t kUnixEpochDays = 25569;
// Day numbers of 1 January 0001 and of 31 December 9999.
constexpr std::int64_t kFirstDay = -693593;
constexpr std::int64_t kLastDay = 2958465;

bool IsLeapYear(int y) { return y % 4 == 0 && (y % 100 != 0 || y % 400 == 0); }

int DaysInMonth(int y, int m) {
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && IsLeapYear(y) ? 29 : kDays[m - 1];
}

// Days since 1970-01-01 of a proleptic Gregorian date (Howard Hinnant's days_from_civil).
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void CivilFromDays(std::int64_t z, int& y, int& m, int& d) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  y = static_cast<int>(static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2));
}

[[noreturn]] void InvalidValue(TDateTime value) {
  char text[64];
  std::snprintf(text, sizeof text, "%.17g", value);
  throw EConvertError(Format("'%s' is not a valid date and time", text));
}

}  // namespace

TDateTime EncodeDateTime(int year, int month, int day, int hour, int minute, int second, int millisecond) {
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month))
    throw EConvertError(Format("Invalid argument to date encode: %d-%d-%d", year, month, day));
  if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 || millisecond < 0 ||
      millisecond > 999)
    throw EConvertError(
        Format("Invalid argument to time encode: %d:%d:%d.%d", hour, minute, second, millisecond));
  const std::int64_t days =
      DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) + kUnixEpochDays;
  const std::int64_t ms = ((std::int64_t{hour} * 60 + minute) * 60 + second) * 1000 + millisecond;
  const double time = static_cast<double>(ms) / static_cast<double>(kMsPerDay);
  return days >= 0 ? static_cast<double>(days) + time : static_cast<double>(days) - time;
}

void DecodeDateTime(TDateTime value, int& year, int& month, int& day, int& hour, int& minute, int& second,
                    int& millisecond) {
  // The first test keeps the conversion to an integer below defined; the exact range follows.
  if (!(std::fabs(value) < 1e7)) InvalidValue(value);
  const double whole = std::trunc(value);
  // Subtracting the whole days is exact, so the rounding sees the fraction at full precision.
  std::int64_t days = static_cast<std::int64_t>(whole);
  std::int64_t ms = std::llround(std::fabs(value - whole) * static_cast<double>(kMsPerDay));
  if (ms >= kMsPerDay) {
    // Rounded up to the next midnight: the fraction counts forward on either side of day 0.
    ms -= kMsPerDay;
    ++days;
  }
  if (days < kFirstDay || days > kLastDay) InvalidValue(value);
  CivilFromDays(days - kUnixEpochDays, year, month, day);
  millisecond = static_cast<int>(ms % 1000);
  ms /= 1000;
  second = static_cast<int>(ms % 60);
  ms /= 60;
  minute = static_cast<int>(ms % 60);
  hour = static_cast<int>(ms / 60);
}

TDateTime Now() {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  std::tm local{};
  if (localtime_r(&now.tv_sec, &local) == nullptr) throw Exception("The local time is not available");
  // A leap second (tm_sec 60) is shown as the last second of its minute.
  const int second = local.tm_sec > 59 ? 59 : local.tm_sec;
  return EncodeDateTime(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, second,
                        static_cast<int>(now.tv_nsec / 1000000));
}
