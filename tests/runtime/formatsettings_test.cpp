#include "runtime/formatsettings.h"

#include <gtest/gtest.h>
#include <langinfo.h>
#include <locale.h>
#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <optional>

#ifdef __SANITIZE_ADDRESS__
#include <sanitizer/lsan_interface.h>
#endif

namespace {

bool HasLocale(const char* name) {
  locale_t loc = newlocale(LC_TIME_MASK, name, static_cast<locale_t>(0));
  if (loc == static_cast<locale_t>(0)) return false;
  freelocale(loc);
  return true;
}

#define REQUIRE_LOCALE(name) \
  if (!HasLocale(name)) GTEST_SKIP() << name << " is not generated on this machine (see scripts/setup.sh)"

// glibc's own strftime in the same locale, as an independent oracle: %OB and %Ob give the
// standalone month names, as the settings hold them.
std::string Strftime(const char* localeName, const char* format, int month) {
  locale_t loc = newlocale(LC_TIME_MASK, localeName, static_cast<locale_t>(0));
  std::tm tm{};
  tm.tm_year = 124;
  tm.tm_mon = month;
  tm.tm_mday = 1;
  char buf[256] = {};
  strftime_l(buf, sizeof buf, format, &tm, loc);
  freelocale(loc);
  return buf;
}

// "de_DE.UTF-8" -> "de_DE_UTF_8", a valid test name.
template <typename Info>
std::string LocaleTestName(const Info& info, const char* name) {
  std::string out = name;
  for (char& c : out)
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  return out + "_" + std::to_string(info.index);
}

class LocaleMonths : public testing::TestWithParam<const char*> {};

TEST_P(LocaleMonths, MatchGlibcsStrftime) {
  const char* name = GetParam();
  REQUIRE_LOCALE(name);
  const TFormatSettings s = LoadFormatSettings(name);
  for (int m = 0; m < 12; ++m) {
    const auto i = static_cast<std::size_t>(m);
    EXPECT_EQ(s.LongMonthNames[i], Strftime(name, "%OB", m)) << name << " month " << m + 1;
    EXPECT_EQ(s.ShortMonthNames[i], Strftime(name, "%Ob", m)) << name << " month " << m + 1;
  }
}

INSTANTIATE_TEST_SUITE_P(Locales, LocaleMonths, testing::Values("de_DE.UTF-8", "fi_FI.UTF-8", "en_US.UTF-8", "C"),
                         [](const auto& info) { return LocaleTestName(info, info.param); });

struct LocaleCase {
  const char* name;
  const char* march;  // full name, standalone
  const char* january;
  char timeSeparator;
  char dateSeparator;
};

void PrintTo(const LocaleCase& c, std::ostream* os) { *os << c.name; }

class LocaleSettings : public testing::TestWithParam<LocaleCase> {};

TEST_P(LocaleSettings, NamesAndSeparators) {
  const LocaleCase& c = GetParam();
  REQUIRE_LOCALE(c.name);
  const TFormatSettings s = LoadFormatSettings(c.name);
  EXPECT_EQ(s.LongMonthNames[2], c.march);
  EXPECT_EQ(s.LongMonthNames[0], c.january);
  EXPECT_EQ(s.TimeSeparator, c.timeSeparator);
  EXPECT_EQ(s.DateSeparator, c.dateSeparator);
}

// fi_FI's time format is "%H.%M.%S", de_DE's "%T", en_US's "%r" (12-hour, "%I:%M:%S %p").
INSTANTIATE_TEST_SUITE_P(Locales, LocaleSettings,
                         testing::Values(LocaleCase{"fi_FI.UTF-8", "maaliskuu", "tammikuu", '.', '.'},
                                         LocaleCase{"de_DE.UTF-8", "März", "Januar", ':', '.'},
                                         LocaleCase{"en_US.UTF-8", "March", "January", ':', '/'},
                                         LocaleCase{"C", "March", "January", ':', '/'}),
                         [](const auto& info) { return LocaleTestName(info, info.param.name); });

TEST(FormatSettings, MissingLocaleFallsBackToEnglishAndColon) {
  const std::array<std::string, 12> longNames = {"January", "February", "March",     "April",   "May",      "June",
                                                 "July",    "August",   "September", "October", "November", "December"};
  const std::array<std::string, 12> shortNames = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                  "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  for (const char* name : {"xx_NOWHERE.UTF-8", "de_DE.NO-SUCH-SET", "../../etc/passwd"}) {
    const TFormatSettings s = LoadFormatSettings(name);
    EXPECT_EQ(s.LongMonthNames, longNames) << name;
    EXPECT_EQ(s.ShortMonthNames, shortNames) << name;
    EXPECT_EQ(s.TimeSeparator, ':') << name;
    EXPECT_EQ(s.DateSeparator, '/') << name;
  }
}

// Sets an environment variable for the scope, restoring what was there.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::string& value) : FName(name) {
    if (const char* old = std::getenv(name)) FOld = old;
    setenv(name, value.c_str(), 1);
  }
  ~ScopedEnv() {
    if (FOld) setenv(FName, FOld->c_str(), 1);
    else unsetenv(FName);
  }

 private:
  const char* FName;
  std::optional<std::string> FOld;
};

TEST(FormatSettings, AnEmptyNameIsNeverTheProcessEnvironment) {
  REQUIRE_LOCALE("fi_FI.UTF-8");
  const ScopedEnv all("LC_ALL", "fi_FI.UTF-8");
  const TFormatSettings s = LoadFormatSettings("");
  EXPECT_EQ(s.LongMonthNames[2], "March");
  EXPECT_EQ(s.TimeSeparator, ':');
}

// A locale in a single-byte set, compiled for this test into a folder of its own: the names
// must reach the settings as UTF-8.
class Latin1Locale : public testing::Test {
 protected:
  void SetUp() override {
    FDir = std::filesystem::path(testing::TempDir()) / ("runtime_locales_" + std::to_string(getpid()));
    std::filesystem::create_directories(FDir);
    const std::string command =
        "localedef -i de_DE -f ISO-8859-1 '" + (FDir / "de_DE.ISO-8859-1").string() + "' >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0) GTEST_SKIP() << "localedef cannot build de_DE.ISO-8859-1 here";
    FLocPath.emplace("LOCPATH", FDir.string());
#ifdef __SANITIZE_ADDRESS__
    // glibc's newlocale does not free its copy of LOCPATH; that leak is not ours to report.
    __lsan_disable();
#endif
  }
  void TearDown() override {
#ifdef __SANITIZE_ADDRESS__
    if (FLocPath) __lsan_enable();
#endif
    FLocPath.reset();
    std::error_code ignored;
    std::filesystem::remove_all(FDir, ignored);
  }

  std::filesystem::path FDir;
  std::optional<ScopedEnv> FLocPath;
};

TEST_F(Latin1Locale, NamesAreConvertedToUtf8) {
  ASSERT_TRUE(HasLocale("de_DE.ISO-8859-1"));
  ASSERT_EQ(Strftime("de_DE.ISO-8859-1", "%OB", 2), "M\xe4rz");  // the locale really is Latin-1
  const TFormatSettings s = LoadFormatSettings("de_DE.ISO-8859-1");
  EXPECT_EQ(s.LongMonthNames[2], "März");
  EXPECT_EQ(s.ShortMonthNames[2], "Mär");
  EXPECT_EQ(s.LongMonthNames[0], "Januar");
  EXPECT_EQ(s.TimeSeparator, ':');
}

TEST(ConvertToUtf8, ConvertsFromTheLocalesSet) {
  struct Row {
    std::string text;
    std::string codeset;
    std::optional<std::string> utf8;
  };
  const Row rows[] = {
      {"M\xe4rz", "ISO-8859-1", "März"},
      {"\xcd\xc1\xd2\xd4", "KOI8-R", "март"},
      {"März", "UTF-8", "März"},
      {"März", "utf8", "März"},
      {"March", "ANSI_X3.4-1968", "March"},
      {"M\xe4rz", "ANSI_X3.4-1968", std::nullopt},  // not ASCII
      {"March", "NO-SUCH-SET", std::nullopt},
      {"", "ISO-8859-1", ""},
  };
  for (const Row& r : rows) {
    std::string out = "unchanged";
    const bool ok = ConvertToUtf8(r.text, r.codeset, out);
    EXPECT_EQ(ok, r.utf8.has_value()) << r.codeset << ": " << r.text;
    if (r.utf8) {
      EXPECT_EQ(out, *r.utf8) << r.codeset;
    }
  }
}

class SystemConfig : public testing::Test {
 protected:
  void TearDown() override {
    for (const std::string& path : FPaths) std::remove(path.c_str());
  }
  std::string Write(const std::string& content) {
    const std::string path =
        testing::TempDir() + "locale_" + std::to_string(getpid()) + "_" + std::to_string(FPaths.size()) + ".conf";
    std::ofstream(path) << content;
    FPaths.push_back(path);
    return path;
  }

  std::vector<std::string> FPaths;
};

TEST_F(SystemConfig, PrefersLcTimeOverLangAndStripsQuotes) {
  struct Row {
    const char* content;
    const char* expected;
  };
  const Row rows[] = {
      {"LANG=de_DE.UTF-8\n", "de_DE.UTF-8"},
      {"LANG=\"en_US.UTF-8\"\nLC_TIME=\"fi_FI.UTF-8\"\n", "fi_FI.UTF-8"},
      {"LC_TIME='fi_FI.UTF-8'\nLANG=en_US.UTF-8\n", "fi_FI.UTF-8"},
      {"LC_TIME=fi_FI.UTF-8\n", "fi_FI.UTF-8"},
      {"#  File generated by update-locale\nexport LANG='C.UTF-8'\r\n", "C.UTF-8"},
      {"  LANG = de_DE.UTF-8  \n", "de_DE.UTF-8"},
      {"LC_TIME=\nLANG=de_DE.UTF-8\n", "de_DE.UTF-8"},
      {"#LC_TIME=fi_FI.UTF-8\nLC_MESSAGES=fi_FI.UTF-8\nLANGUAGE=fi\n", ""},
      {"", ""},
  };
  for (const Row& r : rows) EXPECT_EQ(ReadSystemLocaleName(Write(r.content)), r.expected) << r.content;
  EXPECT_EQ(ReadSystemLocaleName("/nonexistent/locale.conf"), "");
}

TEST_F(SystemConfig, TakesTheFirstFileThatNamesALocale) {
  const std::string fi = Write("LANG=fi_FI.UTF-8\n");
  const std::string de = Write("LC_TIME=de_DE.UTF-8\n");
  const std::string none = Write("LC_MESSAGES=de_DE.UTF-8\n");
  EXPECT_EQ(SystemLocaleName({fi, de}), "fi_FI.UTF-8");
  EXPECT_EQ(SystemLocaleName({"/nonexistent/locale.conf", de}), "de_DE.UTF-8");
  EXPECT_EQ(SystemLocaleName({none, de}), "de_DE.UTF-8");
  EXPECT_EQ(SystemLocaleName({"/nonexistent/locale.conf", none}), "C");
}

TEST(FormatSettings, AreTheSystemLocalesReadOnce) {
  const TFormatSettings& s = FormatSettings();
  EXPECT_EQ(&s, &FormatSettings());
  const TFormatSettings expected = LoadFormatSettings(SystemLocaleName());
  EXPECT_EQ(s.LongMonthNames, expected.LongMonthNames);
  EXPECT_EQ(s.ShortMonthNames, expected.ShortMonthNames);
  EXPECT_EQ(s.TimeSeparator, expected.TimeSeparator);
}

}  // namespace
