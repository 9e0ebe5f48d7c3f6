// The viewer: one borderless window showing a capture device's picture.
#include <cstdio>
#include <exception>

#include "framework/application.h"
#include "runtime/paramstr.h"
#include "viewer/statistics.h"
#include "viewer/unit1.h"

int main(int argc, char** argv) {
  SetCommandLine(argc, argv);
  viewer::InitStatistics();
  try {
    Application->Initialize();
    Application->CreateForm(Form1);
    Application->Run();
  } catch (...) {
    // Failures outside any dispatched handler (the window cannot be built, no display) end the
    // program with the run time's own report instead of the exception display.
    std::fprintf(stderr, "%s: %s\n", Application->Title().c_str(),
                 TApplication::ExceptionMessage(std::current_exception()).c_str());
    return 1;
  }
  viewer::ReportStatistics();
  return Application->ExitCode();
}
