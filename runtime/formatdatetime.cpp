#include "runtime/formatdatetime.h"

#include <cstdio>

namespace {

constexpr std::size_t kMaxCharacters = 256;
// The most bytes that kMaxCharacters UTF-8 characters take.
constexpr std::size_t kMaxBytes = kMaxCharacters * 4;

// Locale-independent, so that a run of bytes above 127 never turns into a format letter.
char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string Number(int value, bool twoDigits) {
  char buf[16];
  std::snprintf(buf, sizeof buf, twoDigits ? "%02d" : "%d", value);
  return buf;
}

std::string Year(int value, bool fourDigits) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%0*d", fourDigits ? 4 : 2, fourDigits ? value : value % 100);
  return buf;
}

bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// The text up to and including its `max`-th UTF-8 character. A lead byte takes the
// continuation bytes it announces; any other byte counts as one character.
std::string CutAfterCharacters(std::string text, std::size_t max) {
  std::size_t pos = 0;
  for (std::size_t count = 0; count < max && pos < text.size(); ++count) {
    const auto lead = static_cast<unsigned char>(text[pos++]);
    std::size_t more = 0;
    if (lead >= 0xC0 && lead < 0xE0) more = 1;
    else if (lead >= 0xE0 && lead < 0xF0) more = 2;
    else if (lead >= 0xF0 && lead < 0xF8) more = 3;
    for (; more > 0 && pos < text.size() && IsContinuation(static_cast<unsigned char>(text[pos])); --more) ++pos;
  }
  text.resize(pos);
  return text;
}

}  // namespace

std::string FormatDateTime(std::string_view format, TDateTime value) {
  return FormatDateTime(format, value, FormatSettings());
}

std::string FormatDateTime(std::string_view format, TDateTime value, const TFormatSettings& settings) {
  int year, month, day, hour, minute, second, ms;
  DecodeDateTime(value, year, month, day, hour, minute, second, ms);
  const auto monthIndex = static_cast<std::size_t>(month - 1);

  std::string out;
  bool afterHour = false;
  std::size_t i = 0;
  while (i < format.size() && out.size() < kMaxBytes) {
    const char lower = AsciiLower(format[i]);
    std::size_t run = 1;
    while (i + run < format.size() && AsciiLower(format[i + run]) == lower) ++run;
    bool isPart = true;
    switch (lower) {
      case 'd': out += Number(day, run >= 2); break;
      case 'm':
        if (afterHour) out += Number(minute, run >= 2);
        else if (run >= 4) out += settings.LongMonthNames[monthIndex];
        else if (run == 3) out += settings.ShortMonthNames[monthIndex];
        else out += Number(month, run == 2);
        break;
      case 'y': out += Year(year, run >= 3); break;
      case 'h': out += Number(hour, run >= 2); break;
      case 'n': out += Number(minute, run >= 2); break;
      case 's': out += Number(second, run >= 2); break;
      case ':':
        out.append(run, settings.TimeSeparator);
        isPart = false;
        break;
      case '/':
        out.append(run, settings.DateSeparator);
        isPart = false;
        break;
      default:
        out.append(format.substr(i, run));
        isPart = false;
        break;
    }
    if (isPart) afterHour = lower == 'h';
    i += run;
  }
  return CutAfterCharacters(std::move(out), kMaxCharacters);
}
