#pragma once
// Date and time format settings of the system's default locale (the locale configured for
// the whole system, not the user's or the process environment's), read once when first asked for.
#include <array>
#include <string>
#include <string_view>
#include <vector>

struct TFormatSettings {
  std::array<std::string, 12> LongMonthNames;   // "January"..., standalone form, UTF-8
  std::array<std::string, 12> ShortMonthNames;  // "Jan"..., standalone form, UTF-8
  char TimeSeparator = ':';                     // between hours and minutes
  char DateSeparator = '/';                     // between the fields of a numeric date
};

// The settings of the system's default locale, loaded on first use and kept for the run.
const TFormatSettings& FormatSettings();

// Settings of the named locale ("de_DE.UTF-8"), opened through glibc. Month names come in
// their standalone form where the locale has one ("März", "tammikuu"), converted from the
// locale's codeset to UTF-8. A missing locale, or a name the locale lacks or that cannot be
// converted, falls back to the English names; the separators fall back to ":" and "/"
// unless the locale's time and date formats put exactly one character between their fields.
// An empty name means "C", never the process environment.
TFormatSettings LoadFormatSettings(const std::string& localeName);

// The locale name a configuration file in the /etc/locale.conf format gives for dates and
// times: LC_TIME, else LANG (quotes stripped, "export" allowed); empty when the file is
// missing or names neither.
std::string ReadSystemLocaleName(const std::string& configPath);
// The name from the first of `configPaths` that gives one; "C" when none does.
std::string SystemLocaleName(const std::vector<std::string>& configPaths);
// The system's default locale name: /etc/locale.conf, else /etc/default/locale, else "C".
std::string SystemLocaleName();

// `text`, written in the character set `codeset` as glibc names it ("ISO-8859-1"), as UTF-8.
// Text in UTF-8 is taken byte for byte. False when the text is not valid in its set or the
// set is unknown.
bool ConvertToUtf8(std::string_view text, const std::string& codeset, std::string& utf8);
