#include "runtime/formatsettings.h"

#include <gtest/gtest.h>
#include <langinfo.h>
#include <locale.h>

#include <cstdio>
#include <ctime>
#include <fstream>

namespace {

bool HasLocale(const char* name) {
  locale_t loc = newlocale(LC_TIME_MASK, name, static_cast<locale_t>(0));
  if (loc == static_cast<locale_t>(0)) return false;
  freelocale(loc);
  return true;
}

// glibc's own strftime in the same locale: the standalone month name (%OB).
std::string StrftimeMonth(const char* localeName, int month) {
  locale_t loc = newlocale(LC_TIME_MASK, localeName, static_cast<locale_t>(0));
  std::tm tm{};
  tm.tm_year = 124;
  tm.tm_mon = month;
  tm.tm_mday = 1;
  char buf[128] = {};
  strftime_l(buf, sizeof buf, "%OB", &tm, loc);
  freelocale(loc);
  return buf;
}

class LocaleMonths : public testing::TestWithParam<const char*> {};

TEST_P(LocaleMonths, MatchStrftime) {
  const char* name = GetParam();
  if (!HasLocale(name)) GTEST_SKIP() << name << " is not generated on this machine";
  const TFormatSettings s = LoadFormatSettings(name);
  for (int m = 0; m < 12; ++m) EXPECT_EQ(s.LongMonthNames[static_cast<std::size_t>(m)], StrftimeMonth(name, m)) << m;
}

INSTANTIATE_TEST_SUITE_P(Locales, LocaleMonths, testing::Values("de_DE.UTF-8", "fi_FI.UTF-8", "en_US.UTF-8"));

TEST(FormatSettings, FinnishTimeSeparatorIsADot) {
  if (!HasLocale("fi_FI.UTF-8")) GTEST_SKIP() << "fi_FI.UTF-8 is not generated on this machine";
  EXPECT_EQ(LoadFormatSettings("fi_FI.UTF-8").TimeSeparator, '.');
  if (HasLocale("de_DE.UTF-8")) {
    EXPECT_EQ(LoadFormatSettings("de_DE.UTF-8").TimeSeparator, ':');
    EXPECT_EQ(LoadFormatSettings("de_DE.UTF-8").LongMonthNames[2], "März");
  }
}

TEST(FormatSettings, MissingLocaleFallsBackToEnglishAndColon) {
  const TFormatSettings s = LoadFormatSettings("xx_NOWHERE.UTF-8");
  EXPECT_EQ(s.LongMonthNames[0], "January");
  EXPECT_EQ(s.LongMonthNames[11], "December");
  EXPECT_EQ(s.ShortMonthNames[8], "Sep");
  EXPECT_EQ(s.TimeSeparator, ':');
}

TEST(FormatSettings, ReadsTheSystemConfigurationFile) {
  struct Row {
    const char* content;
    const char* expected;
  };
  const Row rows[] = {
      {"LANG=de_DE.UTF-8\n", "de_DE.UTF-8"},
      {"LANG=\"en_US.UTF-8\"\nLC_TIME=\"fi_FI.UTF-8\"\n", "fi_FI.UTF-8"},
      {"# comment\nexport LANG='C.UTF-8'\n", "C.UTF-8"},
      {"LC_ALL_NOT=1\n", ""},
  };
  const std::string path = testing::TempDir() + "locale.conf";
  for (const Row& r : rows) {
    std::ofstream(path) << r.content;
    EXPECT_EQ(ReadSystemLocaleName(path), r.expected) << r.content;
  }
  std::remove(path.c_str());
  EXPECT_EQ(ReadSystemLocaleName("/nonexistent/locale.conf"), "");
}

}  // namespace
