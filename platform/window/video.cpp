// SDL video, started at the first need: top-level windows and the screen's size.
#include <algorithm>
#include <cstdlib>
#include <string_view>

#include "platform/window/window_state.h"

namespace platform::window {

bool EnsureVideo() {
  State& s = S();
  if (s.videoReady) return true;
  // Our own handlers post WM_QUIT for the end signals; SDL's would turn them into SDL_QUIT.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  // Otherwise SDL presents window surfaces through software OpenGL, ten times slower.
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
  SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
  // A desktop's display or none: SDL would otherwise fall back to drawing off screen, and a
  // program without a display would run on unseen. SDL_VIDEODRIVER in the environment wins.
  SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11,wayland");
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    const std::string reason = SDL_GetError();
    SDL_ClearError();
    const char* display = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    const bool noDisplay = (display == nullptr || *display == '\0') && (wayland == nullptr || *wayland == '\0');
    s.error = noDisplay ? "No display (DISPLAY is not set): " : "Cannot open the display: ";
    s.error += reason.empty() ? "SDL video could not be initialised" : reason;
    return false;
  }
  // On X11 the loop waits on the X connection and the end-signal descriptor itself. Elsewhere
  // it waits in SDL, and the end-signal watcher wakes it with an SDL event.
  const char* driver = SDL_GetCurrentVideoDriver();
  if (driver == nullptr || std::string_view(driver) != "x11") {
    const Uint32 wakeType = SDL_RegisterEvents(1);
    if (wakeType != static_cast<Uint32>(-1)) EnableSdlWake(wakeType);
  }
  s.videoReady = true;
  s.error.clear();
  return true;
}

bool CreateSdlWindow(Window* window, const char* title) {
  Uint32 flags = SDL_WINDOW_HIDDEN;
  if ((window->style & WS_CAPTION) != WS_CAPTION) flags |= SDL_WINDOW_BORDERLESS;
  // SDL has no empty windows; ours keeps its own size of 0 and shows nothing of it.
  window->sdlWidth = std::max(window->Width(), 1);
  window->sdlHeight = std::max(window->Height(), 1);
  SDL_Window* sdl =
      SDL_CreateWindow(title, window->rect.left, window->rect.top, window->sdlWidth, window->sdlHeight, flags);
  if (sdl == nullptr) {
    S().error = SDL_GetError();
    SDL_ClearError();
    return false;
  }
  window->sdl = sdl;
  window->sdlId = SDL_GetWindowID(sdl);
  if (S().xConnection < 0) S().xConnection = XConnectionOf(sdl);
  S().error.clear();
  return true;
}

void DestroySdlWindow(Window* window) {
  if (window->sdl == nullptr) return;
  S().bySdlId.erase(window->sdlId);
  SDL_DestroyWindow(window->sdl);
  window->sdl = nullptr;
  window->presentedTo = nullptr;
}

bool HaveSdlWindows() { return !S().topLevels.empty(); }

}  // namespace platform::window

using namespace platform::window;

int GetSystemMetrics(int nIndex) {
  if (nIndex != SM_CXSCREEN && nIndex != SM_CYSCREEN) return 0;
  if (!EnsureVideo()) return 0;
  SDL_Rect bounds{};
  if (SDL_GetDisplayBounds(0, &bounds) != 0) return 0;
  return nIndex == SM_CXSCREEN ? bounds.w : bounds.h;
}

LPCSTR GetWindowSystemError() { return S().error.c_str(); }
