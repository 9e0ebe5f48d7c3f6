// The X connection under SDL, so that the loop can wait on it together with the end-signal
// descriptor. Apart from the rest of the window system: Xlib's names (Window, Bool...) would
// clash with ours.
#include <SDL.h>
#include <SDL_syswm.h>

namespace platform::window {

int XConnectionOf(SDL_Window* window) {
#if defined(SDL_VIDEO_DRIVER_X11)
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (SDL_GetWindowWMInfo(window, &info) != SDL_TRUE || info.subsystem != SDL_SYSWM_X11) return -1;
  return ConnectionNumber(info.info.x11.display);
#else
  (void)window;
  return -1;
#endif
}

}  // namespace platform::window
