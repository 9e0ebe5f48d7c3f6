#include "runtime/formatsettings.h"

#include <iconv.h>
#include <langinfo.h>
#include <locale.h>
#include <strings.h>

#include <fstream>
#include <memory>

namespace {

constexpr std::array<const char*, 12> kLongMonths = {
    "January", "February", "March", "April", "May", "June",
    "July", "August", "September", "October", "November", "December"};
constexpr std::array<const char*, 12> kShortMonths = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                      "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

struct LocaleDeleter {
  void operator()(locale_t loc) const { freelocale(loc); }
};
using LocalePtr = std::unique_ptr<std::remove_pointer_t<locale_t>, LocaleDeleter>;

std::string Trim(const std::string& s, const char* blanks = " \t\r\n") {
  const auto first = s.find_first_not_of(blanks);
  if (first == std::string::npos) return {};
  const auto last = s.find_last_not_of(blanks);
  return s.substr(first, last - first + 1);
}

std::string Unquote(std::string s) {
  s = Trim(s);
  if (s.size() >= 2 && (s.front() == '"' || s.front() == '\'') && s.back() == s.front()) s = s.substr(1, s.size() - 2);
  return s;
}

std::string LocaleText(locale_t loc, nl_item item) {
  const char* text = nl_langinfo_l(item, loc);
  return text != nullptr ? text : "";
}

// One conversion of a strftime format ("%H", "%-d", "%OM") with the literal text before it.
struct Field {
  char conversion;
  std::string before;
};

// Splits a strftime format into its fields. Composite conversions are replaced by what they
// stand for, so "%T" yields "%H", ":", "%M", ":", "%S".
void ParseFields(std::string_view format, locale_t loc, int depth, std::vector<Field>& fields, std::string& literal) {
  std::size_t i = 0;
  while (i < format.size()) {
    if (format[i] != '%') {
      literal += format[i++];
      continue;
    }
    std::size_t j = i + 1;
    while (j < format.size() && std::string_view("_-0^#").find(format[j]) != std::string_view::npos) ++j;
    while (j < format.size() && format[j] >= '0' && format[j] <= '9') ++j;
    if (j < format.size() && (format[j] == 'E' || format[j] == 'O')) ++j;
    if (j >= format.size()) {
      literal.append(format.substr(i));
      return;
    }
    const char c = format[j];
    i = j + 1;
    std::string expansion;
    switch (c) {
      case '%': literal += '%'; continue;
      case 'n': literal += '\n'; continue;
      case 't': literal += '\t'; continue;
      case 'T': expansion = "%H:%M:%S"; break;
      case 'R': expansion = "%H:%M"; break;
      case 'D': expansion = "%m/%d/%y"; break;
      case 'F': expansion = "%Y-%m-%d"; break;
      case 'r': expansion = LocaleText(loc, T_FMT_AMPM); break;
      case 'X': expansion = LocaleText(loc, T_FMT); break;
      case 'x': expansion = LocaleText(loc, D_FMT); break;
      default: break;
    }
    if (!expansion.empty() && depth < 4) {
      ParseFields(expansion, loc, depth + 1, fields, literal);
    } else {
      fields.push_back({c, literal});
      literal.clear();
    }
  }
}

std::vector<Field> Fields(locale_t loc, nl_item item) {
  std::vector<Field> fields;
  std::string literal;
  ParseFields(LocaleText(loc, item), loc, 0, fields, literal);
  return fields;
}

// A separator must be one printable ASCII character: the settings hold UTF-8, in which a
// single byte above 127 is no character.
bool IsSeparator(const std::string& text) { return text.size() == 1 && text[0] >= ' ' && text[0] <= '~'; }

// The one character between the hour and the minute field ("%H.%M" gives "."), else ':'.
char TimeSeparatorOf(const std::vector<Field>& fields) {
  for (std::size_t k = 0; k + 1 < fields.size(); ++k) {
    if (std::string_view("HIkl").find(fields[k].conversion) == std::string_view::npos) continue;
    const Field& next = fields[k + 1];
    return next.conversion == 'M' && IsSeparator(next.before) ? next.before[0] : ':';
  }
  return ':';
}

// The one character between the first two numeric fields of the date format ("%d.%m.%Y"
// gives "."), blanks around it ignored ("%d. %m. %Y"), else '/'.
char DateSeparatorOf(const std::vector<Field>& fields) {
  constexpr std::string_view kNumeric = "deGgmYyC";
  for (std::size_t k = 0; k + 1 < fields.size(); ++k) {
    if (kNumeric.find(fields[k].conversion) == std::string_view::npos ||
        kNumeric.find(fields[k + 1].conversion) == std::string_view::npos)
      continue;
    const std::string& between = fields[k + 1].before;
    if (IsSeparator(between)) return between[0];
    const std::string trimmed = Trim(between, " ");
    return IsSeparator(trimmed) ? trimmed[0] : '/';
  }
  return '/';
}

bool IsUtf8(const std::string& codeset) {
  return strcasecmp(codeset.c_str(), "UTF-8") == 0 || strcasecmp(codeset.c_str(), "UTF8") == 0;
}

// The first of the locale's names for `primary` and `secondary` that exists and converts to UTF-8.
void TakeName(locale_t loc, nl_item primary, nl_item secondary, const std::string& codeset, std::string& name) {
  for (nl_item item : {primary, secondary}) {
    const std::string text = LocaleText(loc, item);
    std::string utf8;
    if (!text.empty() && ConvertToUtf8(text, codeset, utf8)) {
      name = std::move(utf8);
      return;
    }
  }
}

}  // namespace

bool ConvertToUtf8(std::string_view text, const std::string& codeset, std::string& utf8) {
  if (IsUtf8(codeset)) {
    utf8.assign(text);
    return true;
  }
  iconv_t cd = iconv_open("UTF-8", codeset.c_str());
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  // Four bytes of UTF-8 per input byte, plus room for a stateful set's final reset, always suffice.
  std::string out(text.size() * 4 + 16, '\0');
  char* in = const_cast<char*>(text.data());
  std::size_t inLeft = text.size();
  char* outPos = out.data();
  std::size_t outLeft = out.size();
  bool ok = iconv(cd, &in, &inLeft, &outPos, &outLeft) != static_cast<std::size_t>(-1);
  if (ok) ok = iconv(cd, nullptr, nullptr, &outPos, &outLeft) != static_cast<std::size_t>(-1);
  iconv_close(cd);
  if (!ok) return false;
  out.resize(out.size() - outLeft);
  utf8 = std::move(out);
  return true;
}

TFormatSettings LoadFormatSettings(const std::string& localeName) {
  TFormatSettings settings;
  for (std::size_t i = 0; i < 12; ++i) {
    settings.LongMonthNames[i] = kLongMonths[i];
    settings.ShortMonthNames[i] = kShortMonths[i];
  }
  // An empty name would make glibc read the process environment.
  const std::string name = localeName.empty() ? "C" : localeName;
  // LC_CTYPE only for the codeset that the names are written in.
  const LocalePtr loc(newlocale(LC_TIME_MASK | LC_CTYPE_MASK, name.c_str(), static_cast<locale_t>(0)));
  if (!loc) return settings;
  const std::string codeset = LocaleText(loc.get(), CODESET);
  for (int i = 0; i < 12; ++i) {
    const auto index = static_cast<std::size_t>(i);
    // Standalone names ("März", "tammikuu") rather than the form used inside a date.
    TakeName(loc.get(), static_cast<nl_item>(ALTMON_1 + i), static_cast<nl_item>(MON_1 + i), codeset,
             settings.LongMonthNames[index]);
    TakeName(loc.get(), static_cast<nl_item>(_NL_ABALTMON_1 + i), static_cast<nl_item>(ABMON_1 + i), codeset,
             settings.ShortMonthNames[index]);
  }
  settings.TimeSeparator = TimeSeparatorOf(Fields(loc.get(), T_FMT));
  settings.DateSeparator = DateSeparatorOf(Fields(loc.get(), D_FMT));
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

std::string SystemLocaleName(const std::vector<std::string>& configPaths) {
  for (const std::string& path : configPaths) {
    std::string name = ReadSystemLocaleName(path);
    if (!name.empty()) return name;
  }
  return "C";
}

std::string SystemLocaleName() { return SystemLocaleName({"/etc/locale.conf", "/etc/default/locale"}); }

const TFormatSettings& FormatSettings() {
  static const TFormatSettings settings = LoadFormatSettings(SystemLocaleName());
  return settings;
}
