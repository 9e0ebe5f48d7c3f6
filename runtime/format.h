#pragma once
// Message formatting from patterns with "%s" (text) and "%d" (integer); "%%" is a percent sign.
// Arguments are taken in order; a pattern asking for more than given leaves the rest as written.
#include <concepts>
#include <string>
#include <string_view>
#include <vector>

namespace runtime_detail {
inline std::string ToText(const std::string& s) { return s; }
inline std::string ToText(std::string_view s) { return std::string(s); }
inline std::string ToText(const char* s) { return s != nullptr ? std::string(s) : std::string(); }
template <std::integral T>
std::string ToText(T value) {
  return std::to_string(value);
}
std::string FormatTexts(std::string_view pattern, const std::vector<std::string>& args);
}  // namespace runtime_detail

template <typename... Args>
std::string Format(std::string_view pattern, const Args&... args) {
  return runtime_detail::FormatTexts(pattern, {runtime_detail::ToText(args)...});
}
