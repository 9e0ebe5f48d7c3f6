#include "viewer/statistics.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace viewer {
namespace {
bool Enabled = false;
}  // namespace

void InitStatistics() {
  const char* value = std::getenv("VIEWER_STATS");
  Enabled = value != nullptr && std::strcmp(value, "1") == 0;
}

void ReportStatistics() {
  if (Enabled) std::fprintf(stderr, "frames shown: %llu\n", static_cast<unsigned long long>(FramesShown));
}

}  // namespace viewer
