#pragma once
// Window-system services beyond the Windows-shaped API of platform/winuser.h.
#include "platform/winuser.h"

struct SDL_Window;

namespace platform {

// From now on SIGTERM, SIGINT and SIGHUP post WM_QUIT with exit code 0 to the message loop,
// waking it if it waits. Done by itself when the first top-level window is created and at
// the first GetMessageA or PeekMessageA; a program calls it earlier to cover its start-up.
// Idempotent.
void InstallEndSignals();

// The SDL window behind a top-level window; null for a child window or a stale handle.
SDL_Window* SdlWindowOf(HWND hwnd);

}  // namespace platform
