#include "runtime/formatdatetime.h"

#include <gtest/gtest.h>

namespace {

TFormatSettings English() { return LoadFormatSettings("C"); }

struct Row {
  int y, mo, d, h, mi, s;
  const char* format;
  const char* expected;
};

class FormatDateTimeTable : public testing::TestWithParam<Row> {};

TEST_P(FormatDateTimeTable, Formats) {
  const Row& r = GetParam();
  EXPECT_EQ(FormatDateTime(r.format, EncodeDateTime(r.y, r.mo, r.d, r.h, r.mi, r.s, 0), English()), r.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, FormatDateTimeTable,
    testing::Values(Row{2024, 3, 5, 7, 9, 59, "dd-mmmm-yyyy  hh:mm", "05-March-2024  07:09"},
                    Row{2023, 12, 31, 23, 59, 30, "dd-mmmm-yyyy  hh:mm", "31-December-2023  23:59"},
                    Row{2024, 1, 1, 0, 0, 0, "dd-mmmm-yyyy  hh:mm", "01-January-2024  00:00"},
                    Row{2024, 3, 5, 7, 9, 59, "DD-MMMM-YYYY  HH:MM", "05-March-2024  07:09"},
                    Row{2024, 3, 5, 7, 9, 59, "d/m/yy h:n:s", "5/3/24 7:9:59"},
                    Row{2024, 3, 5, 7, 9, 59, "dd.mm.yyyy hh:nn:ss", "05.03.2024 07:09:59"},
                    Row{2024, 3, 5, 7, 9, 59, "mmm mmmmmm", "Mar March"},
                    Row{2024, 3, 5, 7, 9, 59, "hh-mm", "07-09"},
                    Row{2024, 3, 5, 7, 9, 59, "mm hh", "03 07"},
                    Row{2024, 11, 9, 18, 5, 0, "[x] dd", "[x] 09"},
                    Row{1899, 12, 30, 0, 0, 0, "yyyy-mm-dd", "1899-12-30"},
                    Row{2000, 2, 29, 12, 0, 0, "yyyy-mm-dd", "2000-02-29"}));

TEST(FormatDateTime, DropsSecondsWithoutRoundingAcrossDays) {
  // 23:59:59.999 stays in the old day and minute.
  const TDateTime t = EncodeDateTime(2023, 12, 31, 23, 59, 59, 999);
  EXPECT_EQ(FormatDateTime("dd-mmmm-yyyy  hh:mm", t, English()), "31-December-2023  23:59");
}

TEST(FormatDateTime, UsesTheSettingsSeparatorsAndNames) {
  TFormatSettings s = English();
  s.TimeSeparator = '.';
  s.DateSeparator = '-';
  s.LongMonthNames[2] = "März";
  EXPECT_EQ(FormatDateTime("dd mmmm hh:mm d/m", EncodeDateTime(2024, 3, 5, 7, 9, 0, 0), s), "05 März 07.09 5-3");
}

TEST(FormatDateTime, CutsAfter256Characters) {
  TFormatSettings s = English();
  s.LongMonthNames[2] = std::string(300, 'M');
  const std::string text = FormatDateTime("dd-mmmm-yyyy", EncodeDateTime(2024, 3, 5, 0, 0, 0, 0), s);
  EXPECT_EQ(text.size(), 256u);
  EXPECT_EQ(text.substr(0, 4), "05-M");
}

TEST(DateTime, EncodesDaysSince1899AndRoundTrips) {
  EXPECT_DOUBLE_EQ(EncodeDateTime(1899, 12, 30, 0, 0, 0, 0), 0.0);
  EXPECT_DOUBLE_EQ(EncodeDateTime(1900, 1, 1, 12, 0, 0, 0), 2.5);
  int y, mo, d, h, mi, s, ms;
  DecodeDateTime(EncodeDateTime(2024, 3, 5, 7, 9, 59, 0), y, mo, d, h, mi, s, ms);
  EXPECT_EQ((std::vector<int>{y, mo, d, h, mi, s, ms}), (std::vector<int>{2024, 3, 5, 7, 9, 59, 0}));
}

TEST(DateTime, NowIsToday) {
  const TDateTime now = Now();
  EXPECT_GT(now, EncodeDateTime(2020, 1, 1, 0, 0, 0, 0));
  EXPECT_LT(now, EncodeDateTime(2200, 1, 1, 0, 0, 0, 0));
}

}  // namespace
