#pragma once
// A count of the frames put on screen, reported on standard error at the program's end when the
// environment asks for it (VIEWER_STATS=1). The benchmark reads it; off, it costs one increment
// a frame and nothing else.
#include <cstdint>

namespace viewer {

// Reads VIEWER_STATS; call once at start.
void InitStatistics();
// Called from the GUI thread for every frame drawn.
inline std::uint64_t FramesShown = 0;
inline void FrameShown() { ++FramesShown; }
// Prints "frames shown: N" when enabled.
void ReportStatistics();

}  // namespace viewer
