#pragma once
// TScreen: the display the program runs on and the program's forms, with the one rule of
// activation: a form is activated when the focus comes to it while the form that last had
// the focus was none or another one.
#include <functional>
#include <vector>

#include "framework/component.h"

class TForm;

class TScreen : public TComponent {
 public:
  explicit TScreen(TComponent* AOwner);
  ~TScreen() override;
  const char* ClassName() const override { return "TScreen"; }

  // Logical pixels per inch of the display (the X server's DPI), 96 when it cannot be told.
  int PixelsPerInch();
  // Replaces the display's answer (tests; 0 goes back to asking the display).
  void SetPixelsPerInch(int Value) { FPixelsPerInch = Value; }
  int Width() const;
  int Height() const;

  int FormCount() const { return static_cast<int>(FForms.size()); }
  TForm* Forms(int Index) const;

  // The form that last had the keyboard focus among the program's forms, or null.
  TForm* FocusedForm() const { return FFocusedForm; }
  // The focus came to `Form` (a window of it or of one of its controls): activates it when
  // the focused form was another one. The program losing the focus changes nothing.
  void FocusCameTo(TForm* Form);

 private:
  friend class TForm;
  void AddForm(TForm* Form);
  void RemoveForm(TForm* Form);

  int FPixelsPerInch = 0;         // 0: ask the display on first use
  std::vector<TForm*> FForms;     // not owned: every live form, in creation order
  TForm* FFocusedForm = nullptr;  // not owned; cleared when that form goes
};

// Created while the framework initialises; released by the end-of-program steps.
extern TScreen* Screen;
