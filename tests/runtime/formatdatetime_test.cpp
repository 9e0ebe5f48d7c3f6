#include "runtime/formatdatetime.h"

#include <gtest/gtest.h>

#include <limits>

#include "runtime/exception.h"

namespace {

// The built-in English names with ':' and '/', whatever this machine's locale says.
TFormatSettings English() { return LoadFormatSettings("C"); }

struct Row {
  int y, mo, d, h, mi, s, ms;
  const char* format;
  const char* expected;
};

void PrintTo(const Row& r, std::ostream* os) { *os << '"' << r.format << "\" -> \"" << r.expected << '"'; }

class FormatDateTimeTable : public testing::TestWithParam<Row> {};

TEST_P(FormatDateTimeTable, Formats) {
  const Row& r = GetParam();
  EXPECT_EQ(FormatDateTime(r.format, EncodeDateTime(r.y, r.mo, r.d, r.h, r.mi, r.s, r.ms), English()), r.expected);
}

// The stamp's format, with the seconds dropped and never rounded into the minute.
INSTANTIATE_TEST_SUITE_P(
    Stamp, FormatDateTimeTable,
    testing::Values(Row{2024, 3, 5, 7, 9, 59, 0, "dd-mmmm-yyyy  hh:mm", "05-March-2024  07:09"},
                    Row{2024, 3, 5, 7, 9, 59, 999, "dd-mmmm-yyyy  hh:mm", "05-March-2024  07:09"},
                    Row{2023, 12, 31, 23, 59, 30, 0, "dd-mmmm-yyyy  hh:mm", "31-December-2023  23:59"},
                    Row{2023, 12, 31, 23, 59, 59, 999, "dd-mmmm-yyyy  hh:mm", "31-December-2023  23:59"},
                    Row{2024, 1, 1, 0, 0, 0, 0, "dd-mmmm-yyyy  hh:mm", "01-January-2024  00:00"},
                    Row{2024, 11, 9, 8, 5, 0, 0, "dd-mmmm-yyyy  hh:mm", "09-November-2024  08:05"}));

INSTANTIATE_TEST_SUITE_P(
    Parts, FormatDateTimeTable,
    testing::Values(
        // Either case, and a run of mixed case is one part.
        Row{2024, 3, 5, 7, 9, 59, 0, "DD-MMMM-YYYY  HH:MM", "05-March-2024  07:09"},
        Row{2024, 3, 5, 7, 9, 59, 0, "Dd-mMmM-yYyY  hH:Mm", "05-March-2024  07:09"},
        // Without and with leading zeros; runs longer than two read as two.
        Row{2024, 3, 5, 7, 9, 8, 0, "d m yy h n s", "5 3 24 7 9 8"},
        Row{2024, 3, 5, 7, 9, 8, 0, "dd mm yy hh nn ss", "05 03 24 07 09 08"},
        Row{2024, 3, 5, 7, 9, 8, 0, "ddd hhh nnn sss", "05 07 09 08"},
        Row{2024, 12, 25, 17, 45, 33, 0, "d m h n s", "25 12 17 45 33"},
        // Years: one or two y give two digits, three or more four.
        Row{2005, 3, 5, 0, 0, 0, 0, "y|yy|yyy|yyyy|yyyyy", "05|05|2005|2005|2005"},
        Row{5, 3, 5, 0, 0, 0, 0, "yyyy yy", "0005 05"},
        // Month names: three m the short name, four or more the full one.
        Row{2024, 9, 5, 0, 0, 0, 0, "mmm mmmm mmmmmm", "Sep September September"},
        // m after an hour part is the minute, also across literals and separators, in any run length.
        Row{2024, 3, 5, 7, 9, 0, 0, "hh-mm", "07-09"},
        Row{2024, 3, 5, 7, 9, 0, 0, "h:m", "7:9"},
        Row{2024, 3, 5, 7, 9, 0, 0, "hh' at 'mm", "07' at '09"},
        Row{2024, 3, 5, 7, 9, 0, 0, "hh:mmmm", "07:09"},
        // Only right after an hour part: any other part in between, or no hour at all, makes it the month.
        Row{2024, 3, 5, 7, 9, 0, 0, "mm hh", "03 07"},
        Row{2024, 3, 5, 7, 9, 0, 0, "hh:mm mm", "07:09 03"},
        Row{2024, 3, 5, 7, 9, 0, 0, "hh dd mm", "07 05 03"},
        Row{2024, 3, 5, 7, 9, 0, 0, "hh:nn:mm", "07:09:03"},
        // Other characters are copied; ':' and '/' are the separators.
        Row{2024, 11, 9, 18, 5, 0, 0, "[x] dd, 'zz' #1 @ hh:nn", "[x] 09, 'zz' #1 @ 18:05"},
        Row{2024, 3, 5, 7, 9, 8, 0, "d/m/yy h:n:s", "5/3/24 7:9:8"},
        Row{2024, 3, 5, 7, 9, 8, 0, "dd.mm.yyyy // ::", "05.03.2024 // ::"},
        Row{2024, 3, 5, 7, 9, 8, 0, "", ""},
        Row{2024, 3, 5, 7, 9, 8, 0, "Tag: März", "Tag: 3ärz"}));

TEST(FormatDateTime, UsesTheSettingsSeparatorsAndNames) {
  TFormatSettings s = English();
  s.TimeSeparator = '.';
  s.DateSeparator = '-';
  s.LongMonthNames[2] = "März";
  s.ShortMonthNames[2] = "Mär";
  EXPECT_EQ(FormatDateTime("dd-mmmm-yyyy  hh:mm d/m mmm", EncodeDateTime(2024, 3, 5, 7, 9, 0, 0), s),
            "05-März-2024  07.09 5-3 Mär");
}

TEST(FormatDateTime, WithoutSettingsUsesTheSystemDefaultLocale) {
  const TDateTime t = EncodeDateTime(2024, 3, 5, 7, 9, 59, 0);
  EXPECT_EQ(FormatDateTime("dd-mmmm-yyyy  hh:mm", t), FormatDateTime("dd-mmmm-yyyy  hh:mm", t, FormatSettings()));
}

TEST(FormatDateTime, CutsAfter256Characters) {
  const TDateTime t = EncodeDateTime(2024, 3, 5, 7, 9, 0, 0);
  TFormatSettings s = English();
  s.LongMonthNames[2] = std::string(241, 'M');
  // 3 + 241 + 12 characters fit exactly; one more is cut.
  EXPECT_EQ(FormatDateTime("dd-mmmm-yyyy  hh:mm", t, s), "05-" + std::string(241, 'M') + "-2024  07:09");
  s.LongMonthNames[2] = std::string(242, 'M');
  EXPECT_EQ(FormatDateTime("dd-mmmm-yyyy  hh:mm", t, s), "05-" + std::string(242, 'M') + "-2024  07:0");
  // Characters, not bytes: a two-byte name is cut between its characters, never inside one.
  std::string umlauts;
  for (int i = 0; i < 300; ++i) umlauts += "ä";
  s.LongMonthNames[2] = umlauts;
  EXPECT_EQ(FormatDateTime("mmmm", t, s), umlauts.substr(0, 512));
  EXPECT_EQ(FormatDateTime("x mmmm", t, s), "x " + umlauts.substr(0, 508));
  // A long format is cut too, however long it is.
  EXPECT_EQ(FormatDateTime(std::string(100000, 'x'), t, s), std::string(256, 'x'));
  EXPECT_EQ(FormatDateTime(std::string(100000, ':'), t, s), std::string(256, ':'));
}

TEST(FormatDateTime, RefusesAValueThatIsNoDate) {
  EXPECT_THROW(FormatDateTime("dd", std::numeric_limits<double>::quiet_NaN(), English()), EConvertError);
  EXPECT_THROW(FormatDateTime("dd", 1e18, English()), EConvertError);
}

}  // namespace
