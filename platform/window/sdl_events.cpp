// SDL events become window messages: input is queued for the window it is meant for,
// exposure invalidates, and focus and geometry changes come back through the loop as
// messages of our own (see kFocusChangedMessage) whose dispatch sends the real ones.
#include "platform/window/window_state.h"

namespace platform::window {

namespace {

constexpr WPARAM kMouseLeftButton = 0x0001;  // MK_LBUTTON
constexpr WPARAM kVirtualKeyF10 = 0x79;

WPARAM VirtualKey(SDL_Keycode key) {
  if (key >= SDLK_a && key <= SDLK_z) return static_cast<WPARAM>('A' + (key - SDLK_a));
  if (key >= SDLK_0 && key <= SDLK_9) return static_cast<WPARAM>('0' + (key - SDLK_0));
  if (key >= SDLK_F1 && key <= SDLK_F12) return static_cast<WPARAM>(0x70 + (key - SDLK_F1));
  switch (key) {
    case SDLK_RETURN:
    case SDLK_KP_ENTER:
      return VK_RETURN;
    case SDLK_ESCAPE:
      return VK_ESCAPE;
    case SDLK_SPACE:
      return VK_SPACE;
    case SDLK_BACKSPACE:
      return 0x08;
    case SDLK_TAB:
      return 0x09;
    case SDLK_LSHIFT:
    case SDLK_RSHIFT:
      return 0x10;
    case SDLK_LCTRL:
    case SDLK_RCTRL:
      return 0x11;
    case SDLK_LALT:
    case SDLK_RALT:
      return 0x12;
    case SDLK_PAGEUP:
      return 0x21;
    case SDLK_PAGEDOWN:
      return 0x22;
    case SDLK_END:
      return 0x23;
    case SDLK_HOME:
      return 0x24;
    case SDLK_LEFT:
      return 0x25;
    case SDLK_UP:
      return 0x26;
    case SDLK_RIGHT:
      return 0x27;
    case SDLK_DOWN:
      return 0x28;
    case SDLK_INSERT:
      return 0x2D;
    case SDLK_DELETE:
      return 0x2E;
    default:
      return 0;
  }
}

void RaiseModalBox() {
  State& s = S();
  if (s.modalBoxes.empty()) return;
  if (Window* box = Find(s.modalBoxes.back()); box != nullptr && box->sdl != nullptr) {
    SDL_RaiseWindow(box->sdl);
    SDL_SetWindowInputFocus(box->sdl);
  }
}

bool Queued(HWND hwnd, UINT message) {
  for (const MSG& msg : S().queue) {
    if (msg.hwnd == hwnd && msg.message == message) return true;
  }
  return false;
}

void TranslateWindowEvent(const SDL_WindowEvent& event) {
  Window* window = FindBySdlId(event.windowID);
  if (window == nullptr) return;
  switch (event.event) {
    case SDL_WINDOWEVENT_SHOWN:
    case SDL_WINDOWEVENT_EXPOSED:
      // The window keeps no picture of its own on screen: what X uncovered is painted anew.
      if (window->visible) InvalidateAll(window, true);
      break;
    case SDL_WINDOWEVENT_MOVED:
    case SDL_WINDOWEVENT_RESIZED:
    case SDL_WINDOWEVENT_SIZE_CHANGED:
      if (!Queued(window->handle, kGeometryChangedMessage)) Enqueue(window->handle, kGeometryChangedMessage, 0, 0);
      break;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
      Enqueue(window->handle, kFocusChangedMessage, TRUE, 0);
      break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
      Enqueue(window->handle, kFocusChangedMessage, FALSE, 0);
      break;
    case SDL_WINDOWEVENT_CLOSE:
      if (window->enabled) {
        Enqueue(window->handle, WM_CLOSE, 0, 0);
      } else {
        RaiseModalBox();
      }
      break;
    default:
      break;
  }
}

void TranslateKey(const SDL_KeyboardEvent& event) {
  State& s = S();
  const WPARAM key = VirtualKey(event.keysym.sym);
  if (key == 0) return;
  Window* top = FindBySdlId(event.windowID);
  if (top == nullptr) top = Find(s.active);
  if (top == nullptr) return;
  Window* target = top;
  if (Window* focus = Find(s.focus); focus != nullptr && TopLevelOf(focus) == top) target = focus;
  if (!IsEnabledChain(target)) {
    if (event.type == SDL_KEYDOWN) RaiseModalBox();
    return;
  }
  const bool down = event.type == SDL_KEYDOWN;
  const bool alt = (event.keysym.mod & KMOD_ALT) != 0;
  const bool ctrl = (event.keysym.mod & KMOD_CTRL) != 0;
  const bool system = (alt && !ctrl) || key == kVirtualKeyF10;
  // Repeat count 1, scan code, context code (Alt held), previous state, transition.
  std::uint32_t bits = 1u | ((static_cast<std::uint32_t>(event.keysym.scancode) & 0xFFu) << 16);
  if (alt) bits |= 1u << 29;
  if (!down || event.repeat != 0) bits |= 1u << 30;
  if (!down) bits |= 1u << 31;
  const UINT message = down ? (system ? WM_SYSKEYDOWN : WM_KEYDOWN) : (system ? WM_SYSKEYUP : WM_KEYUP);
  Enqueue(target->handle, message, key, static_cast<LPARAM>(bits));
}

Window* ChildAt(Window* window, int x, int y) {
  for (auto it = window->children.rbegin(); it != window->children.rend(); ++it) {
    Window* child = *it;
    const RECT& r = child->rect;
    if (child->visible && x >= r.left && x < r.right && y >= r.top && y < r.bottom) {
      return ChildAt(child, x - r.left, y - r.top);
    }
  }
  return window;
}

void TranslateButton(const SDL_MouseButtonEvent& event) {
  Window* top = FindBySdlId(event.windowID);
  if (top == nullptr) return;
  S().cursor = POINT{top->rect.left + event.x, top->rect.top + event.y};
  if (event.button != SDL_BUTTON_LEFT) return;
  Window* target = ChildAt(top, event.x, event.y);
  if (!IsEnabledChain(target)) {
    if (event.type == SDL_MOUSEBUTTONDOWN) RaiseModalBox();
    return;
  }
  const POINT offset = SurfaceOffset(target);
  const bool down = event.type == SDL_MOUSEBUTTONDOWN;
  Enqueue(target->handle, down ? WM_LBUTTONDOWN : WM_LBUTTONUP, down ? kMouseLeftButton : 0,
          MakeLParam(event.x - offset.x, event.y - offset.y));
}

}  // namespace

void TranslateSdlEvent(const SDL_Event& event) {
  switch (event.type) {
    case SDL_WINDOWEVENT:
      TranslateWindowEvent(event.window);
      break;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
      TranslateKey(event.key);
      break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
      TranslateButton(event.button);
      break;
    case SDL_MOUSEMOTION:
      if (Window* top = FindBySdlId(event.motion.windowID)) {
        S().cursor = POINT{top->rect.left + event.motion.x, top->rect.top + event.motion.y};
      }
      break;
    default:
      // SDL_QUIT among others: closing is each window's own business (WM_CLOSE).
      break;
  }
}

void HandleSystemMessage(const MSG& msg) {
  if (msg.message == kFocusChangedMessage) {
    OnSystemFocus(msg.hwnd, msg.wParam != 0);
    return;
  }
  const std::shared_ptr<Window> window = Hold(msg.hwnd);
  if (!window || !window->TopLevel() || window->sdl == nullptr) return;
  // SDL's view now, not the event's: later events may have been folded into this one.
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  SDL_GetWindowPosition(window->sdl, &x, &y);
  SDL_GetWindowSize(window->sdl, &width, &height);
  RECT rect = window->rect;
  const int oldWidth = window->Width();
  const int oldHeight = window->Height();
  rect.left = x;
  rect.top = y;
  rect.right = x + oldWidth;
  rect.bottom = y + oldHeight;
  if (width != window->sdlWidth || height != window->sdlHeight) {
    window->sdlWidth = width;
    window->sdlHeight = height;
    rect.right = x + width;
    rect.bottom = y + height;
  }
  // The framebuffer may be a new one: all of it is presented again.
  window->damage.Union(RECT{0, 0, window->Width(), window->Height()});
  ApplyGeometry(window.get(), rect, true);
}

}  // namespace platform::window
