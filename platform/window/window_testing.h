#pragma once
// Hooks for tests of the window system and of the layers above it. Not for the program.
#include <cstddef>

#include <pixman.h>

#include "platform/winuser.h"

namespace platform::window_testing {

// The most timers that may live at once (10000 unless changed); returns the previous limit.
std::size_t SetTimerLimit(std::size_t limit);
std::size_t LiveTimerCount();

// The client-area surface of a top-level window (null for any other handle); the window keeps it.
pixman_image_t* ClientSurface(HWND topLevel);

// Back to a fresh start: every window destroyed, every timer killed, the queue and a pending
// quit dropped, the timer limit restored. SDL stays initialised.
void Reset();

}  // namespace platform::window_testing
