#include "runtime/format.h"

namespace runtime_detail {

std::string FormatTexts(std::string_view pattern, const std::vector<std::string>& args) {
  std::string out;
  std::size_t next = 0;
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    const char c = pattern[i];
    if (c == '%' && i + 1 < pattern.size()) {
      const char kind = pattern[i + 1];
      if (kind == '%') {
        out += '%';
        ++i;
        continue;
      }
      if ((kind == 's' || kind == 'd') && next < args.size()) {
        out += args[next++];
        ++i;
        continue;
      }
    }
    out += c;
  }
  return out;
}

}  // namespace runtime_detail
