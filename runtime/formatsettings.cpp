#include "runtime/formatsettings.h"

#include <langinfo.h>
#include <locale.h>

#include <fstream>

namespace {

const std::array<const char*, 12> kLongMonths = {"January", "February", "March",     "April",   "May",      "June",
                                                 "July",    "August",   "September", "October", "November", "December"};
const std::array<const char*, 12> kShortMonths = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                  "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

std::string Trim(const std::string& s) {
  const auto first = s.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return {};
  const auto last = s.find_last_not_of(" \t\r\n");
  return s.substr(first, last - first + 1);
}

std::string Unquote(std::string s) {
  s = Trim(s);
  if (s.size() >= 2 && (s.front() == '"' || s.front() == '\'') && s.back() == s.front()) s = s.substr(1, s.size() - 2);
  return s;
}

// A name of the locale: the first of `items` that the locale gives non-empty.
std::string LocaleText(locale_t loc, std::initializer_list<nl_item> items) {
  for (nl_item item : items) {
    const char* text = nl_langinfo_l(item, loc);
    if (text != nullptr && text[0] != '\0') return text;
  }
  return {};
}

// The character between the hour and the minute field of the locale's time format ("%H:%M:%S").
char TimeSeparatorOf(const std::string& timeFormat) {
  const auto hour = timeFormat.find_first_of("HIkl", 0);
  if (hour == std::string::npos) return ':';
  const auto minute = timeFormat.find("%M", hour);
  if (minute == std::string::npos) return ':';
  const std::string between = timeFormat.substr(hour + 1, minute - hour - 1);
  return between.size() == 1 ? between[0] : ':';
}

char DateSeparatorOf(const std::string& dateFormat) {
  for (std::size_t i = 0; i + 2 < dateFormat.size(); ++i) {
    if (dateFormat[i] == '%' && dateFormat[i + 2] != '%') return dateFormat[i + 2];
  }
  return '/';
}

}  // namespace

TFormatSettings LoadFormatSettings(const std::string& localeName) {
  TFormatSettings settings;
  for (std::size_t i = 0; i < 12; ++i) {
    settings.LongMonthNames[i] = kLongMonths[i];
    settings.ShortMonthNames[i] = kShortMonths[i];
  }
  locale_t loc = newlocale(LC_TIME_MASK, localeName.c_str(), static_cast<locale_t>(0));
  if (loc == static_cast<locale_t>(0)) return settings;
  for (int i = 0; i < 12; ++i) {
    // Standalone names ("März" rather than a genitive form) where glibc has them.
    std::string longName = LocaleText(loc, {static_cast<nl_item>(ALTMON_1 + i), static_cast<nl_item>(MON_1 + i)});
    std::string shortName =
        LocaleText(loc, {static_cast<nl_item>(_NL_ABALTMON_1 + i), static_cast<nl_item>(ABMON_1 + i)});
    if (!longName.empty()) settings.LongMonthNames[static_cast<std::size_t>(i)] = longName;
    if (!shortName.empty()) settings.ShortMonthNames[static_cast<std::size_t>(i)] = shortName;
  }
  settings.TimeSeparator = TimeSeparatorOf(LocaleText(loc, {T_FMT}));
  settings.DateSeparator = DateSeparatorOf(LocaleText(loc, {D_FMT}));
  freelocale(loc);
  return settings;
}

std::string ReadSystemLocaleName(const std::string& configPath) {
  std::ifstream in(configPath);
  if (!in) return {};
  std::string lang, lcTime, line;
  while (std::getline(in, line)) {
    line = Trim(line);
    if (line.empty() || line[0] == '#') continue;
    if (line.rfind("export ", 0) == 0) line = Trim(line.substr(7));
    const auto eq = line.find('=');
    if (eq == std::string::npos) continue;
    const std::string key = Trim(line.substr(0, eq));
    const std::string value = Unquote(line.substr(eq + 1));
    if (key == "LC_TIME") lcTime = value;
    if (key == "LANG") lang = value;
  }
  return !lcTime.empty() ? lcTime : lang;
}

std::string SystemLocaleName() {
  for (const char* path : {"/etc/locale.conf", "/etc/default/locale"}) {
    std::string name = ReadSystemLocaleName(path);
    if (!name.empty()) return name;
  }
  return "C";
}

const TFormatSettings& FormatSettings() {
  static const TFormatSettings settings = LoadFormatSettings(SystemLocaleName());
  return settings;
}
