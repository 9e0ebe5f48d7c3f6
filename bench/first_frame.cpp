// Waits for a picture to appear at one point of the screen and prints how long after a given
// start it came, in seconds. "A picture": neither the empty screen (black) nor a window's
// background (240, 240, 240). Polls every millisecond with a 1 x 1 XGetImage, which takes
// well under a millisecond on Xvfb, so the figure is what a person would see, to about 1 ms.
//   first_frame <start, ns since the epoch> <x> <y> [timeout s, default 10]
// Prints "none" when nothing came in time.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <time.h>

#include <cstdio>
#include <cstdlib>

namespace {

double Now() {
  timespec ts{};
  clock_gettime(CLOCK_REALTIME, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: first_frame <start ns> <x> <y> [timeout s]\n");
    return 2;
  }
  const double start = std::strtod(argv[1], nullptr) * 1e-9;
  const int x = std::atoi(argv[2]);
  const int y = std::atoi(argv[3]);
  const double timeout = argc > 4 ? std::strtod(argv[4], nullptr) : 10.0;
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) {
    std::fprintf(stderr, "first_frame: cannot open the display\n");
    return 1;
  }
  const Window root = DefaultRootWindow(display);
  const timespec pause{0, 1000000};
  while (Now() - start < timeout) {
    XImage* image = XGetImage(display, root, x, y, 1, 1, AllPlanes, ZPixmap);
    if (image != nullptr) {
      const unsigned long pixel = XGetPixel(image, 0, 0) & 0xFFFFFF;
      XDestroyImage(image);
      if (pixel != 0 && pixel != 0xF0F0F0) {
        std::printf("%.3f\n", Now() - start);
        XCloseDisplay(display);
        return 0;
      }
    }
    nanosleep(&pause, nullptr);
  }
  std::printf("none\n");
  XCloseDisplay(display);
  return 0;
}
