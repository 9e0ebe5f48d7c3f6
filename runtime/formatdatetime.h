#pragma once
// Date and time to text by a format string. Format letters mean the same in either case, and
// a run of the same letter (in any mix of cases) is one part:
//   d, dd      day of the month: 5 / 05; a longer run reads as dd
//   m, mm      month number: 3 / 03
//   mmm        short month name; mmmm or longer: full month name (from the settings)
//              A run of m that follows an hour part is the minute instead: m gives 9, a longer
//              run 09. Characters that are no parts may stand between ("hh:mm", "hh - mm");
//              any other part in between (d, m, n, s, y) ends the hour's reach.
//   yy, yyyy   year: 24 / 2024; one y reads as yy, three or more as yyyy
//   h, hh      hour on a 24-hour clock: 7 / 07; a longer run reads as hh
//   n, nn      minute: 9 / 09; a longer run reads as nn
//   s, ss      second: 5 / 05; a longer run reads as ss
//   : and /    the time and the date separator of the settings
// Every other character, other letters included, is copied as it stands: there are no
// quoted literals, day names or am/pm parts. The time's fields are shown as they are, so
// "hh:mm" drops the seconds and never rounds into the next minute. The result is cut after
// 256 characters (UTF-8 characters: a cut never splits one).
#include <string>
#include <string_view>

#include "runtime/datetime.h"
#include "runtime/formatsettings.h"

// With the settings of the system's default locale. Raises EConvertError for a value that
// is no valid TDateTime.
std::string FormatDateTime(std::string_view format, TDateTime value);
std::string FormatDateTime(std::string_view format, TDateTime value, const TFormatSettings& settings);
