#include "runtime/paramstr.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

void Use(std::vector<const char*> argv) { SetCommandLine(static_cast<int>(argv.size()), argv.data()); }

TEST(ParamStr, SkipsEmptyEntriesAndKeepsBlanksInside) {
  Use({"/usr/bin/viewer", "/s", "10", "", " 320", "240\t", "5"});
  ASSERT_EQ(ParamCount(), 5);
  EXPECT_EQ(ParamStr(0), "/usr/bin/viewer");
  EXPECT_EQ(ParamStr(1), "/s");
  EXPECT_EQ(ParamStr(3), " 320");
  EXPECT_EQ(ParamStr(4), "240\t");
  EXPECT_EQ(ParamStr(5), "5");
  EXPECT_EQ(ParamStr(6), "");
  EXPECT_EQ(ParamStr(-1), "");
}

TEST(ParamStr, CountsSixArgumentsOrNot) {
  struct Row {
    std::vector<const char*> argv;
    int count;
  };
  const std::vector<Row> rows = {
      {{"viewer"}, 0},
      {{"viewer", "/s", "0", "0", "640", "480", "5"}, 6},
      {{"viewer", "/s", "10", "10", "", "240", "5"}, 5},
      {{"viewer", "", "", "a", "b", "c", "d", "e", "f"}, 6},
      {{"viewer", "1", "2", "3", "4", "5", "6", "7"}, 7},
  };
  for (const Row& row : rows) {
    Use(row.argv);
    EXPECT_EQ(ParamCount(), row.count);
  }
}

TEST(ParamStr, KeepsLongArgumentsWhole) {
  const std::string longArg(100000, 'x');
  Use({"viewer", longArg.c_str()});
  EXPECT_EQ(ParamStr(1), longArg);
}

}  // namespace
