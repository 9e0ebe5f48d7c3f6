#include "runtime/paramstr.h"

#include <vector>

namespace {
// [0] is the program's name, the rest the arguments; empty until SetCommandLine runs.
std::vector<std::string>& Arguments() {
  static std::vector<std::string> args;
  return args;
}
}  // namespace

void SetCommandLine(int argc, const char* const* argv) {
  auto& args = Arguments();
  args.clear();
  if (argv == nullptr || argc <= 0) {
    args.emplace_back();
    return;
  }
  args.emplace_back(argv[0] != nullptr ? argv[0] : "");
  for (int i = 1; i < argc; ++i) {
    // A null entry would end argv early; an empty one is no argument.
    if (argv[i] == nullptr) break;
    if (argv[i][0] == '\0') continue;
    args.emplace_back(argv[i]);
  }
}

int ParamCount() {
  const auto& args = Arguments();
  return args.empty() ? 0 : static_cast<int>(args.size()) - 1;
}

std::string ParamStr(int index) {
  const auto& args = Arguments();
  if (index < 0 || static_cast<std::size_t>(index) >= args.size()) return {};
  return args[static_cast<std::size_t>(index)];
}
