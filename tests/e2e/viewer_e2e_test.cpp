// The viewer on a real X server with real GStreamer sources, used as a person would: started
// with command lines, looked at through screenshots and the window's geometry, ended with
// Alt+F4 or a signal.
#include <signal.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

#include "tests/e2e/harness.h"

namespace e2e {
// Geometries in failure messages.
void PrintTo(const Geometry& G, std::ostream* Out) {
  *Out << "(" << G.X << ", " << G.Y << ") " << G.Width << "x" << G.Height;
}
}  // namespace e2e

namespace {

using namespace e2e;

constexpr const char* kTitle = "viewer";       // the application title: the message box's caption
constexpr const char* kFormCaption = "Form1";  // the main window's text
constexpr const char* kSolidSource = "gst:videotestsrc is-live=true pattern=solid-color foreground-color=0xFF3366CC";
constexpr std::uint32_t kSource = 0x3366CC;
constexpr std::uint32_t kYellow = 0xFFFF00;
constexpr std::uint32_t kGreen = 0x00FF00;
constexpr std::uint32_t kBtnFace = 0xF0F0F0;
// Frames pass through 16 bits per pixel (5 bits a channel), which rounds each channel.
constexpr int kTolerance = 8;

bool Near(std::uint32_t Pixel, std::uint32_t Rgb) {
  for (int shift = 0; shift <= 16; shift += 8) {
    const int a = static_cast<int>((Pixel >> shift) & 0xFF);
    const int b = static_cast<int>((Rgb >> shift) & 0xFF);
    if (std::abs(a - b) > kTolerance) return false;
  }
  return true;
}

std::string Hex(std::uint32_t Rgb) {
  std::ostringstream text;
  text << std::hex << Rgb;
  return text.str();
}

std::string Describe(const Geometry& G) {
  return "(" + std::to_string(G.X) + ", " + std::to_string(G.Y) + ") " + std::to_string(G.Width) + "x" +
         std::to_string(G.Height);
}

// The components lie at y 360 of the client area, from GrabbedBmp's left edge (8) to Video1's
// right edge (440): a client area taller than 360 shows them over the frame.
bool InComponents(int ClientX, int ClientY) { return ClientY >= 360 && ClientX >= 8 && ClientX < 440; }

// Points spread over a client area, its edge pixels included, as screen coordinates; none on
// the components.
std::vector<std::pair<int, int>> ClientGrid(const Geometry& G, int Steps = 8) {
  std::vector<std::pair<int, int>> points;
  for (int i = 0; i <= Steps; ++i) {
    for (int j = 0; j <= Steps; ++j) {
      const int x = (G.Width - 1) * i / Steps;
      const int y = (G.Height - 1) * j / Steps;
      if (G.X + x >= 0 && G.Y + y >= 0 && !InComponents(x, y)) points.emplace_back(G.X + x, G.Y + y);
    }
  }
  return points;
}

struct YellowPixels {
  int Count = 0;
  int Right = -1;  // the largest x and y among them, relative to the client area
  int Bottom = -1;
};

YellowPixels FindYellow(const Image& Screen, const Geometry& G) {
  YellowPixels found;
  for (int y = std::max(0, G.Y); y < G.Y + G.Height && y < Screen.Height; ++y) {
    for (int x = std::max(0, G.X); x < G.X + G.Width && x < Screen.Width; ++x) {
      // Image1 shows the frame's corner unscaled, stamp included.
      if (InComponents(x - G.X, y - G.Y) || !Near(Screen.Pixel(x, y), kYellow)) continue;
      ++found.Count;
      found.Right = std::max(found.Right, x - G.X);
      found.Bottom = std::max(found.Bottom, y - G.Y);
    }
  }
  return found;
}

class ViewerTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { Server = new XServer(); }
  static void TearDownTestSuite() {
    delete Server;
    Server = nullptr;
  }

  std::unique_ptr<Program> Start(std::vector<std::string> Args, std::string Drivers = kSolidSource,
                                 std::vector<std::pair<std::string, std::string>> Env = {}) {
    Args.insert(Args.begin(), VIEWER_PATH);
    Env.emplace_back("CAPTURE_DRIVERS", std::move(Drivers));
    return RunProgram(Server, std::move(Args), std::move(Env));
  }

  unsigned long WaitForWindow() {
    std::optional<unsigned long> window;
    EXPECT_TRUE(WaitFor([&] { return (window = FindWindow(*Server, kFormCaption)).has_value(); }, 15s))
        << "the viewer's window never showed";
    return window.value_or(0);
  }

  // The client area once it has settled on `Expected` (or the last one seen).
  Geometry WaitForGeometry(unsigned long Window, const Geometry& Expected) {
    std::optional<Geometry> geometry;
    WaitFor([&] { return (geometry = WindowGeometry(*Server, Window)) == Expected; }, 10s, 100ms);
    return geometry.value_or(Geometry{});
  }

  // Waits until every sampled point of the client area (outside the stamp's corner when
  // `SkipStampCorner`) shows the source colour; the last screenshot.
  Image WaitForFrames(const Geometry& G, bool SkipStampCorner, std::uint32_t Colour = kSource) {
    Image screen;
    std::string wrong;
    const bool drawn = WaitFor(
        [&] {
          screen = Screenshot(*Server);
          for (const auto& [x, y] : ClientGrid(G)) {
            if (SkipStampCorner && y - G.Y < 40) continue;
            if (!Near(screen.Pixel(x, y), Colour)) {
              wrong = "(" + std::to_string(x) + ", " + std::to_string(y) + ") is " + Hex(screen.Pixel(x, y));
              return false;
            }
          }
          return true;
        },
        15s, 200ms);
    EXPECT_TRUE(drawn) << "the frame does not fill the client area " << Describe(G) << ": " << wrong;
    return screen;
  }

  // Looks at the client area several times over `Duration`: it must never show the source colour.
  void ExpectNoFrames(const Geometry& G, const std::optional<Geometry>& Box = std::nullopt,
                      Milliseconds Duration = 2000ms) {
    const auto inBox = [&](int x, int y) {
      return Box && x >= Box->X && y >= Box->Y && x < Box->X + Box->Width && y < Box->Y + Box->Height;
    };
    // The window is painted shortly after it is mapped: wait for its background before looking.
    for (const auto& [x, y] : ClientGrid(G)) {
      if (inBox(x, y)) continue;
      WaitFor([&, x = x, y = y] { return Near(Screenshot(*Server).Pixel(x, y), kBtnFace); }, 3000ms, 100ms);
      break;
    }
    int looks = 0;
    // The predicate never holds; WaitFor only paces the looks.
    WaitFor(
        [&] {
          const Image screen = Screenshot(*Server);
          ++looks;
          EXPECT_GT(screen.Width, 0);
          for (const auto& [x, y] : ClientGrid(G)) {
            if (inBox(x, y)) continue;
            EXPECT_FALSE(Near(screen.Pixel(x, y), kSource)) << "a frame at (" << x << ", " << y << ")";
            EXPECT_TRUE(Near(screen.Pixel(x, y), kBtnFace))
                << "(" << x << ", " << y << ") is " << Hex(screen.Pixel(x, y)) << ", not the window's colour";
          }
          return false;
        },
        Duration, 400ms);
    EXPECT_GE(looks, 2);
  }

  void EndWithSigterm(Program& Viewer) {
    Viewer.Signal(SIGTERM);
    EXPECT_EQ(Viewer.Wait(10s), 0);
  }

  static XServer* Server;
};

XServer* ViewerTest::Server = nullptr;

// ---------------------------------------------------------------------------------------------
// Command lines that apply (or do not apply) position, size, rate and stamp.

struct LineRow {
  const char* Name;
  std::vector<std::string> Args;
  Geometry Client;
  bool Frames;  // false: a rate that never ticks
  bool Stamp;
};

class CommandLineTest : public ViewerTest, public ::testing::WithParamInterface<LineRow> {};

TEST_P(CommandLineTest, PlacesTheWindowAndDrawsTheFrameOverTheWholeClientArea) {
  const LineRow& row = GetParam();
  auto viewer = Start(row.Args, kSolidSource, {{"VIEWER_STATS", "1"}});
  const unsigned long window = WaitForWindow();
  ASSERT_NE(window, 0u);
  const Geometry client = WaitForGeometry(window, row.Client);
  EXPECT_EQ(client, row.Client);

  if (row.Frames) {
    const Image screen = WaitForFrames(row.Client, row.Stamp);
    const YellowPixels yellow = FindYellow(screen, row.Client);
    if (row.Stamp) {
      // The stamp's text lies in the picture's top-left corner, scaled with the picture.
      EXPECT_GT(yellow.Count, 20);
      EXPECT_LT(yellow.Right, row.Client.Width * 3 / 4);
      EXPECT_LT(yellow.Bottom, 20 * row.Client.Height / 300 + 2);
    } else {
      EXPECT_EQ(yellow.Count, 0) << "a stamp where none was asked for";
    }
  } else {
    ExpectNoFrames(row.Client);
  }

  EndWithSigterm(*viewer);
  EXPECT_EQ(viewer->Stderr().rfind("frames shown: ", 0), 0u) << viewer->Stderr();
  if (!row.Frames) {
    EXPECT_EQ(viewer->Stderr(), "frames shown: 0\n");
  }
}

constexpr Geometry kDefined{191, 101, 400, 300};

INSTANTIATE_TEST_SUITE_P(
    Rows, CommandLineTest,
    ::testing::Values(
        // Without exactly six arguments nothing of the line is read, not even the switch.
        LineRow{"NoArguments", {}, kDefined, true, false},
        LineRow{"FiveArguments", {"/s", "10", "10", "320", "240"}, kDefined, true, false},
        LineRow{"SevenArguments", {"/s", "10", "10", "320", "240", "5", "5"}, kDefined, true, false},
        LineRow{"LoneEmptyArgumentIsNoArgument", {"/s", "10", "10", "", "240", "5"}, kDefined, true, false},
        LineRow{"Unstamped", {"x", "100", "50", "320", "240", "2"}, {100, 50, 320, 240}, true, false},
        LineRow{"Stamped", {"/s", "0", "0", "400", "300", "5"}, {0, 0, 400, 300}, true, true},
        LineRow{"HexadecimalSizes", {"/s", "10", "10", "$140", "$F0", "5"}, {10, 10, 320, 240}, true, true},
        LineRow{"NegativeLeftEdge", {"/s", "-20", "+30", "320", "240", "5"}, {-20, 30, 320, 240}, true, true},
        LineRow{"UpperCaseSwitchIsNoStamp", {"/S", "10", "10", "320", "240", "5"}, {10, 10, 320, 240}, true, false},
        LineRow{"LeadingBlanksAreValid", {"x", " 20", "  30", " 320", "240", " 5"}, {20, 30, 320, 240}, true, false},
        // A 400 x 300 frame enlarged in both directions, and in one.
        LineRow{"Fills640x480", {"x", "0", "0", "640", "480", "10"}, {0, 0, 640, 480}, true, false},
        LineRow{"Fills800x300", {"x", "0", "0", "800", "300", "10"}, {0, 0, 800, 300}, true, false},
        LineRow{"StampScaledWith640x480", {"/s", "0", "0", "640", "480", "10"}, {0, 0, 640, 480}, true, true},
        // The rate takes effect: above 1000 the interval is 0, at -1 the first tick is days away.
        LineRow{"RateAbove1000NeverTicks", {"x", "5", "5", "320", "240", "2000"}, {5, 5, 320, 240}, false, false},
        LineRow{"NegativeRateNeverTicksSoon", {"x", "5", "5", "320", "240", "-1"}, {5, 5, 320, 240}, false, false}),
    [](const ::testing::TestParamInfo<LineRow>& info) { return std::string(info.param.Name); });

TEST_F(ViewerTest, WithoutStatisticsWritesNothing) {
  auto viewer = Start({});
  ASSERT_NE(WaitForWindow(), 0u);
  WaitForFrames(kDefined, false);
  EndWithSigterm(*viewer);
  EXPECT_EQ(viewer->Stderr(), "");
}

// ---------------------------------------------------------------------------------------------
// Failures: the text on standard error and in a box, what was applied, and never a frame.

struct FailureRow {
  const char* Name;
  std::vector<std::string> Args;
  const char* Drivers;
  std::string Error;        // standard error starts with it
  std::string ErrorAlso;    // and holds this
  Geometry Client;
};

class FailureTest : public ViewerTest, public ::testing::WithParamInterface<FailureRow> {};

TEST_P(FailureTest, ShowsTheMessageAndStaysIdle) {
  const FailureRow& row = GetParam();
  auto viewer = Start(row.Args, row.Drivers);
  const unsigned long window = WaitForWindow();
  ASSERT_NE(window, 0u);
  std::optional<unsigned long> box;
  EXPECT_TRUE(WaitFor([&] { return (box = FindWindow(*Server, kTitle)).has_value(); }, 15s))
      << "no message box titled " << kTitle;
  EXPECT_TRUE(WaitFor([&] { return viewer->Stderr().find('\n') != std::string::npos; }, 10s));
  const std::string err = viewer->Stderr();
  EXPECT_EQ(err.rfind(row.Error, 0), 0u) << err;
  EXPECT_NE(err.find(row.ErrorAlso), std::string::npos) << err;
  EXPECT_EQ(CountOccurrences(err, "\n"), 1) << err;

  EXPECT_EQ(WaitForGeometry(window, row.Client), row.Client);
  std::optional<Geometry> boxGeometry;
  if (box) boxGeometry = WindowGeometry(*Server, *box);
  ExpectNoFrames(row.Client, boxGeometry);

  // Ending while the box is open.
  EXPECT_TRUE(viewer->Running());
  EndWithSigterm(*viewer);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, FailureTest,
    ::testing::Values(
        // Moved, not resized: the arguments before the bad one are applied, nothing after it.
        FailureRow{"BadWidth", {"/s", "10", "10", "abc", "240", "5"}, kSolidSource,
                   "'abc' is not a valid integer value.\n", "", {10, 10, 400, 300}},
        FailureRow{"BadHeightAfterWidth", {"x", "10", "10", " 320", "240.0", "5"}, kSolidSource,
                   "'240.0' is not a valid integer value.\n", "", {10, 10, 320, 300}},
        FailureRow{"RateZero", {"/s", "10", "10", "320", "240", "0"}, kSolidSource, "Division by zero.\n", "",
                   {10, 10, 320, 240}},
        FailureRow{"DriverRefusesConnection", {}, "/dev/video99", "Can't connect to DeviceId: 0", "/dev/video99",
                   kDefined}),
    [](const ::testing::TestParamInfo<FailureRow>& info) { return std::string(info.param.Name); });

// ---------------------------------------------------------------------------------------------
// A client area tall enough to show the components that the defined one hides.

TEST_F(ViewerTest, TallClientAreaShowsTheControlsBackgroundAndImage1sCorner) {
  // The upper half of each frame is the source colour, the lower half green: where the scaled
  // frame shows green, Image1 still shows the frame's unscaled top-left corner.
  const std::string drivers = std::string(kSolidSource) +
                              " ! video/x-raw,width=400,height=150 ! videobox bottom=-150 fill=green";
  auto viewer = Start({"x", "0", "0", "500", "700", "5"}, drivers);
  const unsigned long window = WaitForWindow();
  ASSERT_NE(window, 0u);
  ASSERT_EQ(WaitForGeometry(window, {0, 0, 500, 700}), (Geometry{0, 0, 500, 700}));

  Image screen;
  const bool drawn = WaitFor(
      [&] {
        screen = Screenshot(*Server);
        return Near(screen.Pixel(200, 100), kSource) && Near(screen.Pixel(470, 600), kGreen) &&
               Near(screen.Pixel(27, 363), kSource);
      },
      15s, 200ms);
  EXPECT_TRUE(drawn) << "top " << Hex(screen.Pixel(200, 100)) << ", bottom " << Hex(screen.Pixel(470, 600))
                     << ", Image1 " << Hex(screen.Pixel(27, 363));
  // Image1: 8 x 8 at (24, 360), the frame's corner unscaled; around it the scaled frame.
  for (const auto& [x, y] : std::vector<std::pair<int, int>>{{24, 360}, {31, 360}, {24, 367}, {31, 367}}) {
    EXPECT_TRUE(Near(screen.Pixel(x, y), kSource)) << "Image1 at (" << x << ", " << y << ") " << Hex(screen.Pixel(x, y));
  }
  EXPECT_TRUE(Near(screen.Pixel(20, 364), kGreen)) << Hex(screen.Pixel(20, 364));
  EXPECT_TRUE(Near(screen.Pixel(24, 369), kGreen)) << Hex(screen.Pixel(24, 369));
  // Video1's window, 400 x 300 at (40, 360): its background, never painted over by the frames.
  for (const auto& [x, y] : std::vector<std::pair<int, int>>{{40, 360}, {240, 510}, {439, 659}, {40, 659}}) {
    EXPECT_EQ(screen.Pixel(x, y), kBtnFace) << "Video1 at (" << x << ", " << y << ") " << Hex(screen.Pixel(x, y));
  }
  EXPECT_TRUE(Near(screen.Pixel(440, 500), kGreen)) << Hex(screen.Pixel(440, 500));
  EXPECT_TRUE(Near(screen.Pixel(240, 660), kGreen)) << Hex(screen.Pixel(240, 660));
  EndWithSigterm(*viewer);
}

// ---------------------------------------------------------------------------------------------
// The ways the program ends.

TEST_F(ViewerTest, AltF4EndsWithExitCode0) {
  auto viewer = Start({});
  const unsigned long window = WaitForWindow();
  ASSERT_NE(window, 0u);
  WaitForFrames(kDefined, false);
  EXPECT_TRUE(SendKeys(*Server, window, "alt+F4"));
  EXPECT_EQ(viewer->Wait(10s), 0);
  EXPECT_EQ(viewer->Stderr(), "");
}

class EndingSignalTest : public ViewerTest, public ::testing::WithParamInterface<int> {};

TEST_P(EndingSignalTest, EndsWithExitCode0WhileCapturing) {
  auto viewer = Start({"/s", "0", "0", "320", "240", "10"});
  ASSERT_NE(WaitForWindow(), 0u);
  WaitForFrames({0, 0, 320, 240}, true);
  viewer->Signal(GetParam());
  EXPECT_EQ(viewer->Wait(10s), 0);
  EXPECT_EQ(viewer->Stderr(), "");
}

INSTANTIATE_TEST_SUITE_P(Signals, EndingSignalTest, ::testing::Values(SIGTERM, SIGINT, SIGHUP));

class NoDisplayTest : public ::testing::TestWithParam<const char*> {};

TEST_P(NoDisplayTest, EndsWithExitCode1AndSaysWhy) {
  ProgramOptions options;
  options.Argv = {VIEWER_PATH};
  options.Display = GetParam();
  options.Env = {{"CAPTURE_DRIVERS", "test"}};
  options.Unset = {"WAYLAND_DISPLAY", "SDL_VIDEODRIVER"};
  Program viewer(options);
  EXPECT_EQ(viewer.Wait(20s), 1);
  EXPECT_NE(viewer.Stderr().find("viewer: cannot open the window: "), std::string::npos) << viewer.Stderr();
}

// No DISPLAY at all, and one naming a server that does not exist.
INSTANTIATE_TEST_SUITE_P(Rows, NoDisplayTest, ::testing::Values("", ":4093"));

}  // namespace
