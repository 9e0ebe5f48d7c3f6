#include "platform/capture/gst_support.h"

#include <mutex>

namespace platform::capture {

void EnsureGstInitialised() {
  static std::once_flag once;
  std::call_once(once, [] { gst_init(nullptr, nullptr); });
}

std::string TakeErrorText(GError* error, const std::string& fallback) {
  if (error == nullptr) return fallback;
  std::string text = error->message != nullptr && error->message[0] != '\0' ? error->message : fallback;
  g_error_free(error);
  return text;
}

}  // namespace platform::capture
