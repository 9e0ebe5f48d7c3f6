#pragma once
// Sets CAPTURE_DRIVERS for the length of a test and puts back what was there.
#include <cstdlib>
#include <optional>
#include <string>

#include "platform/capture/driver_list.h"

namespace capture_test {

class ScopedDriverVariable {
 public:
  // nullopt: the variable is unset for the test.
  explicit ScopedDriverVariable(const std::optional<std::string>& value) {
    if (const char* old = std::getenv(platform::capture::kDriverListVariable)) saved_ = old;
    if (value) {
      setenv(platform::capture::kDriverListVariable, value->c_str(), 1);
    } else {
      unsetenv(platform::capture::kDriverListVariable);
    }
  }
  ~ScopedDriverVariable() {
    if (saved_) {
      setenv(platform::capture::kDriverListVariable, saved_->c_str(), 1);
    } else {
      unsetenv(platform::capture::kDriverListVariable);
    }
  }
  ScopedDriverVariable(const ScopedDriverVariable&) = delete;
  ScopedDriverVariable& operator=(const ScopedDriverVariable&) = delete;

 private:
  std::optional<std::string> saved_;
};

}  // namespace capture_test
