#include "runtime/paramstr.h"

#include <vector>

namespace {
std::vector<std::string>& Arguments() {
  static std::vector<std::string> args;
  return args;
}
}  // namespace

void SetCommandLine(int argc, const char* const* argv) {
  auto& args = Arguments();
  args.clear();
  for (int i = 0; i < argc; ++i) {
    const char* entry = argv[i] != nullptr ? argv[i] : "";
    // The program's name always stands at 0; later empty entries make no argument.
    if (i > 0 && entry[0] == '\0') continue;
    args.emplace_back(entry);
  }
  if (args.empty()) args.emplace_back();
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
