#pragma once
// Date and time format settings of the system's default locale (the locale configured for
// the whole system, not the user's), read once when first asked for.
#include <array>
#include <string>

struct TFormatSettings {
  std::array<std::string, 12> LongMonthNames;   // "January"..., as the locale writes them (UTF-8)
  std::array<std::string, 12> ShortMonthNames;  // "Jan"...
  char TimeSeparator = ':';
  char DateSeparator = '/';
};

// The settings of the system's default locale, loaded on first use.
const TFormatSettings& FormatSettings();

// Settings of the named locale ("de_DE.UTF-8"); a missing locale, or a name or separator the
// locale lacks, falls back to the English month names, ":" and "/".
TFormatSettings LoadFormatSettings(const std::string& localeName);

// The system's default locale name from a configuration file in the /etc/locale.conf
// format (LC_TIME preferred over LANG, quotes stripped); empty when there is none.
std::string ReadSystemLocaleName(const std::string& configPath);
// The system's default locale name: /etc/locale.conf, else /etc/default/locale; else "C".
std::string SystemLocaleName();
