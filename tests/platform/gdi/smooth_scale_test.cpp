// The smooth scaler against a plain floating-point bilinear filter, on every instruction
// set, for up- and downscaling, one-pixel pictures and parts of the destination.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "platform/gdi/smooth_scale.h"

using platform::gdi::PixelPath;
using platform::gdi::SmoothScaler;

namespace {

struct Picture {
  int width;
  int height;
  std::vector<std::uint32_t> pixels;
  std::uint32_t At(int x, int y) const {
    return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)];
  }
};

Picture Noise(int width, int height, unsigned seed) {
  std::mt19937 random(seed);
  Picture p{width, height, std::vector<std::uint32_t>(static_cast<std::size_t>(width) * static_cast<std::size_t>(height))};
  for (auto& v : p.pixels) v = random();  // the fourth byte too: it must not leak into the result
  return p;
}

// Pixel centres mapped onto the source, edges repeated: the filter the scaler stands for.
double Reference(const Picture& source, int destWidth, int destHeight, int x, int y, int channel) {
  auto axis = [](int i, int s, int d, int& first, int& second, double& weight) {
    double position = (i + 0.5) * s / d - 0.5;
    position = std::clamp(position, 0.0, static_cast<double>(s - 1));
    first = static_cast<int>(std::floor(position));
    second = std::min(first + 1, s - 1);
    weight = position - first;
  };
  int x0, x1, y0, y1;
  double wx, wy;
  axis(x, source.width, destWidth, x0, x1, wx);
  axis(y, source.height, destHeight, y0, y1, wy);
  auto c = [&](int px, int py) { return static_cast<double>((source.At(px, py) >> (8 * channel)) & 0xFF); };
  const double top = c(x0, y0) * (1 - wx) + c(x1, y0) * wx;
  const double bottom = c(x0, y1) * (1 - wx) + c(x1, y1) * wx;
  return top * (1 - wy) + bottom * wy;
}

std::vector<std::uint32_t> Scale(SmoothScaler& scaler, const Picture& source, int destWidth, int destHeight,
                                 PixelPath path, int partX = 0, int partY = 0, int partWidth = -1, int partHeight = -1) {
  if (partWidth < 0) partWidth = destWidth;
  if (partHeight < 0) partHeight = destHeight;
  std::vector<std::uint32_t> out(static_cast<std::size_t>(partWidth) * static_cast<std::size_t>(partHeight), 0xDEADBEEF);
  scaler.Scale([&](int y) { return source.pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(source.width); },
               source.width, source.height, destWidth, destHeight, partX, partY, partWidth, partHeight, out.data(),
               partWidth * 4, path);
  return out;
}

std::vector<PixelPath> Paths() {
  std::vector<PixelPath> paths{PixelPath::kScalar};
  if (platform::gdi::BestPixelPath() == PixelPath::kAvx2) paths.push_back(PixelPath::kAvx2);
  return paths;
}

struct Case {
  int sourceWidth, sourceHeight, destWidth, destHeight;
};

class SmoothScale : public testing::TestWithParam<PixelPath> {};

TEST_P(SmoothScale, StaysWithinTwoLevelsOfTheExactFilter) {
  // Widths around the vector widths, odd ratios, shrinking, one-pixel rows and columns.
  const Case cases[] = {{400, 300, 1280, 960}, {7, 5, 33, 17}, {13, 9, 13, 40}, {50, 40, 17, 9}, {1, 1, 9, 5},
                        {1, 6, 10, 3},         {6, 1, 3, 10},  {2, 2, 1, 1},   {31, 3, 31, 3},  {64, 48, 65, 47},
                        {1, 4, 1, 9},          {37, 20, 37, 7}};
  SmoothScaler scaler;
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.sourceWidth << "x" << c.sourceHeight << " to " << c.destWidth << "x"
                                    << c.destHeight);
    const Picture source = Noise(c.sourceWidth, c.sourceHeight, static_cast<unsigned>(c.destWidth * 131 + c.destHeight));
    const auto out = Scale(scaler, source, c.destWidth, c.destHeight, GetParam());
    double worst = 0;
    for (int y = 0; y < c.destHeight; ++y) {
      for (int x = 0; x < c.destWidth; ++x) {
        const std::uint32_t p = out[static_cast<std::size_t>(y) * static_cast<std::size_t>(c.destWidth) + static_cast<std::size_t>(x)];
        ASSERT_EQ(p >> 24, 0u) << x << "," << y;
        for (int ch = 0; ch < 3; ++ch) {
          worst = std::max(worst, std::abs(static_cast<double>((p >> (8 * ch)) & 0xFF) -
                                           Reference(source, c.destWidth, c.destHeight, x, y, ch)));
        }
      }
    }
    EXPECT_LE(worst, 2.0);
  }
}

TEST_P(SmoothScale, SolidColoursAndSameSizeCopiesAreExact) {
  SmoothScaler scaler;
  Picture solid{5, 3, std::vector<std::uint32_t>(15, 0xFF123456)};
  for (std::uint32_t p : Scale(scaler, solid, 23, 11, GetParam())) ASSERT_EQ(p, 0x123456u);
  const Picture noise = Noise(37, 21, 7);
  const auto same = Scale(scaler, noise, 37, 21, GetParam());
  for (std::size_t i = 0; i < same.size(); ++i) ASSERT_EQ(same[i], noise.pixels[i] & 0xFFFFFF) << i;
}

TEST_P(SmoothScale, APartIsThatPartOfTheWhole) {
  // Drawing clipped to boxes must give the pixels the whole picture has there.
  SmoothScaler scaler;
  // Scaled both ways, and only downwards (the same width takes a path of its own).
  for (const int sourceWidth : {45, 101}) {
    SCOPED_TRACE(sourceWidth);
    const Picture source = Noise(sourceWidth, 33, 3);
    const auto whole = Scale(scaler, source, 101, 77, GetParam());
    const int parts[][4] = {{0, 0, 101, 1}, {17, 5, 9, 30}, {100, 76, 1, 1}, {3, 40, 98, 37}};
    for (const auto& part : parts) {
      const auto out = Scale(scaler, source, 101, 77, GetParam(), part[0], part[1], part[2], part[3]);
      for (int y = 0; y < part[3]; ++y)
        for (int x = 0; x < part[2]; ++x)
          ASSERT_EQ(out[static_cast<std::size_t>(y * part[2] + x)],
                    whole[static_cast<std::size_t>((part[1] + y) * 101 + part[0] + x)])
              << part[0] + x << "," << part[1] + y;
    }
  }
}

TEST(SmoothScaleInstructionSets, GiveTheSameBytes) {
  if (platform::gdi::BestPixelPath() != PixelPath::kAvx2) GTEST_SKIP() << "no AVX2 here";
  SmoothScaler scaler;
  const Case cases[] = {{400, 300, 1283, 961}, {1920, 1080, 1280, 960}, {3, 200, 300, 2}, {1281, 720, 1281, 960}};
  for (const Case& c : cases) {
    const Picture source = Noise(c.sourceWidth, c.sourceHeight, 11);
    EXPECT_EQ(Scale(scaler, source, c.destWidth, c.destHeight, PixelPath::kScalar),
              Scale(scaler, source, c.destWidth, c.destHeight, PixelPath::kAvx2));
  }
}

INSTANTIATE_TEST_SUITE_P(InstructionSets, SmoothScale, testing::ValuesIn(Paths()),
                         [](const testing::TestParamInfo<PixelPath>& info) {
                           return info.param == PixelPath::kAvx2 ? "Avx2" : "Scalar";
                         });

}  // namespace
