#include "runtime/strtoint.h"

#include <cstdint>

#include "runtime/exception.h"
#include "runtime/format.h"

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

[[noreturn]] void Invalid(const std::string& text) {
  throw EConvertError(Format("'%s' is not a valid integer value", text));
}

}  // namespace

int StrToInt(const std::string& text) {
  std::size_t i = 0;
  const std::size_t n = text.size();
  while (i < n && text[i] == ' ') ++i;
  if (i == n) Invalid(text);

  if (text[i] == '$') {
    ++i;
    if (i == n) Invalid(text);
    std::uint64_t value = 0;
    for (; i < n; ++i) {
      const int d = HexDigit(text[i]);
      if (d < 0) Invalid(text);
      value = value * 16 + static_cast<unsigned>(d);
      if (value > 0xFFFFFFFFu) Invalid(text);  // stops long digit strings before they overflow
    }
    return static_cast<int>(static_cast<std::uint32_t>(value));
  }

  bool negative = false;
  if (text[i] == '+' || text[i] == '-') {
    negative = text[i] == '-';
    ++i;
  }
  if (i == n) Invalid(text);
  const std::uint64_t limit = negative ? 2147483648u : 2147483647u;
  std::uint64_t value = 0;
  for (; i < n; ++i) {
    const char c = text[i];
    if (c < '0' || c > '9') Invalid(text);
    value = value * 10 + static_cast<unsigned>(c - '0');
    if (value > limit) Invalid(text);
  }
  return negative ? static_cast<int>(-static_cast<std::int64_t>(value)) : static_cast<int>(value);
}
