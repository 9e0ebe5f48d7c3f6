#pragma once
// Date and time to text by a format string. Supported parts (letters in either case; a run
// of the same letter is one part):
//   d, dd        day of the month, 1..31 / 01..31
//   m, mm        month number 1..12 / 01..12, or minutes when right after an hour part
//   mmm          short month name; mmmm (or longer) full month name
//   yy, yyyy     year as two / four digits (a run of three or more is the four-digit year)
//   h, hh        hour on a 24-hour clock, 0..23 / 00..23
//   n, nn        minute, 0..59 / 00..59
//   s, ss        second, 0..59 / 00..59
//   :  /         the locale's time and date separators
// Every other character is copied. Seconds are dropped, never rounded into the minute.
// The result is cut after 256 characters.
#include <string>
#include <string_view>

#include "runtime/datetime.h"
#include "runtime/formatsettings.h"

std::string FormatDateTime(std::string_view format, TDateTime value);
std::string FormatDateTime(std::string_view format, TDateTime value, const TFormatSettings& settings);
