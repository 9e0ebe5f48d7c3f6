#include "runtime/formatdatetime.h"

#include <cctype>
#include <cstdio>

namespace {

constexpr std::size_t kMaxLength = 256;

std::string Number(int value, bool twoDigits) {
  char buf[16];
  std::snprintf(buf, sizeof buf, twoDigits ? "%02d" : "%d", value);
  return buf;
}

std::string Year4(int value) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%04d", value);
  return buf;
}

}  // namespace

std::string FormatDateTime(std::string_view format, TDateTime value) {
  return FormatDateTime(format, value, FormatSettings());
}

std::string FormatDateTime(std::string_view format, TDateTime value, const TFormatSettings& settings) {
  int year, month, day, hour, minute, second, ms;
  DecodeDateTime(value, year, month, day, hour, minute, second, ms);

  std::string out;
  // An "m" part right after an hour part (with anything but other format parts between) is minutes.
  bool afterHour = false;
  std::size_t i = 0;
  while (i < format.size()) {
    const char c = format[i];
    const char lower = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    std::size_t run = 1;
    while (i + run < format.size() &&
           std::tolower(static_cast<unsigned char>(format[i + run])) == static_cast<unsigned char>(lower))
      ++run;
    switch (lower) {
      case 'd':
        out += Number(day, run >= 2);
        afterHour = false;
        break;
      case 'm':
        if (afterHour && run <= 2) {
          out += Number(minute, run == 2);
        } else if (run >= 4) {
          out += settings.LongMonthNames[static_cast<std::size_t>(month - 1)];
        } else if (run == 3) {
          out += settings.ShortMonthNames[static_cast<std::size_t>(month - 1)];
        } else {
          out += Number(month, run == 2);
        }
        afterHour = false;
        break;
      case 'y':
        out += run <= 2 ? Number(year % 100, true) : Year4(year);
        afterHour = false;
        break;
      case 'h':
        out += Number(hour, run >= 2);
        afterHour = true;
        break;
      case 'n':
        out += Number(minute, run >= 2);
        afterHour = false;
        break;
      case 's':
        out += Number(second, run >= 2);
        afterHour = false;
        break;
      case ':':
        out.append(run, settings.TimeSeparator);
        break;
      case '/':
        out.append(run, settings.DateSeparator);
        break;
      default:
        out.append(format.substr(i, run));
        break;
    }
    i += run;
    if (out.size() >= kMaxLength) break;
  }
  if (out.size() > kMaxLength) out.resize(kMaxLength);
  return out;
}
