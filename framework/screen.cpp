#include "framework/screen.h"

#include <algorithm>
#include <cmath>

#include <SDL.h>

#include "framework/form.h"
#include "platform/winuser.h"
#include "runtime/exception.h"

TScreen::TScreen(TComponent* AOwner) : TComponent(AOwner) {}

// The forms are not the screen's; they only stop being listed.
TScreen::~TScreen() = default;

int TScreen::PixelsPerInch() {
  if (FPixelsPerInch > 0) return FPixelsPerInch;
  // The display is opened by the window system; asking for the screen's size starts it.
  GetSystemMetrics(SM_CXSCREEN);
  int pixelsPerInch = 96;
  float vertical = 0.0f;
  if (SDL_WasInit(SDL_INIT_VIDEO) != 0 && SDL_GetDisplayDPI(0, nullptr, nullptr, &vertical) == 0 &&
      vertical >= 24.0f && vertical <= 2400.0f) {
    pixelsPerInch = static_cast<int>(std::lround(vertical));
  }
  return pixelsPerInch;
}

int TScreen::Width() const { return GetSystemMetrics(SM_CXSCREEN); }
int TScreen::Height() const { return GetSystemMetrics(SM_CYSCREEN); }

TForm* TScreen::Forms(int Index) const {
  if (Index < 0 || Index >= FormCount()) throw Exception("Form index out of bounds (" + std::to_string(Index) + ")");
  return FForms[static_cast<std::size_t>(Index)];
}

void TScreen::FocusCameTo(TForm* Form) {
  // Focus coming back to the form that had it last (after another program, after a message
  // box) is no activation.
  if (Form == nullptr || Form == FFocusedForm) return;
  FFocusedForm = Form;
  Form->Activate();
}

void TScreen::AddForm(TForm* Form) { FForms.push_back(Form); }

void TScreen::RemoveForm(TForm* Form) {
  FForms.erase(std::remove(FForms.begin(), FForms.end(), Form), FForms.end());
  if (FFocusedForm == Form) FFocusedForm = nullptr;
}
