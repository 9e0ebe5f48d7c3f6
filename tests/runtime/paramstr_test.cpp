#include "runtime/paramstr.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

void Use(std::vector<const char*> argv) { SetCommandLine(static_cast<int>(argv.size()), argv.data()); }

std::vector<std::string> Params() {
  std::vector<std::string> params;
  for (int i = 0; i <= ParamCount(); ++i) params.push_back(ParamStr(i));
  return params;
}

TEST(ParamStr, SkipsEmptyEntriesAndKeepsEverythingElseInAnEntry) {
  Use({"/usr/bin/viewer", "/s", "10", "", " 320", "240\t", "\x01" "5\n", " "});
  EXPECT_EQ(Params(), (std::vector<std::string>{"/usr/bin/viewer", "/s", "10", " 320", "240\t", "\x01" "5\n", " "}));
  EXPECT_EQ(ParamStr(ParamCount() + 1), "");
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
      {{"viewer", "", "", "a", "b", "c", "d", "e", "f", ""}, 6},
      {{"viewer", "1", "2", "3", "4", "5"}, 5},
      {{"viewer", "1", "2", "3", "4", "5", "6", "7"}, 7},
  };
  for (const Row& row : rows) {
    Use(row.argv);
    EXPECT_EQ(ParamCount(), row.count) << row.argv.size() << " entries";
  }
}

TEST(ParamStr, KeepsLongArgumentsWhole) {
  const std::string longArg(100000, 'x');
  Use({"viewer", longArg.c_str(), "2"});
  ASSERT_EQ(ParamCount(), 2);
  EXPECT_EQ(ParamStr(1), longArg);
  EXPECT_EQ(ParamStr(2), "2");
}

TEST(ParamStr, CopiesTheEntries) {
  std::string entry = "320";
  Use({"viewer", entry.c_str()});
  entry[0] = '9';
  EXPECT_EQ(ParamStr(1), "320");
}

TEST(ParamStr, NoEntriesMeanNoNameAndNoArguments) {
  SetCommandLine(0, nullptr);
  EXPECT_EQ(ParamCount(), 0);
  EXPECT_EQ(ParamStr(0), "");
  // An argv cut short by a null entry ends there.
  const char* argv[] = {"viewer", "a", nullptr};
  SetCommandLine(5, argv);
  EXPECT_EQ(Params(), (std::vector<std::string>{"viewer", "a"}));
}

}  // namespace
