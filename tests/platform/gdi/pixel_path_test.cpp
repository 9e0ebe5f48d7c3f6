// The 16-bit row conversions agree with their definition on every instruction set,
// including the scalar tails of rows whose length is not a multiple of the vector width.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/gdi/dib.h"

using platform::gdi::PixelPath;

namespace {

std::uint32_t Expanded(std::uint32_t p) {
  auto widen = [](std::uint32_t v) { return (v << 3) | (v >> 2); };
  return (widen((p >> 10) & 31) << 16) | (widen((p >> 5) & 31) << 8) | widen(p & 31);
}

std::vector<PixelPath> Paths() {
  std::vector<PixelPath> paths{PixelPath::kScalar};
#if defined(__SSE2__)
  paths.push_back(PixelPath::kSse2);
#endif
  if (platform::gdi::BestPixelPath() == PixelPath::kAvx2) paths.push_back(PixelPath::kAvx2);
  return paths;
}

class PixelPathTest : public testing::TestWithParam<PixelPath> {};

TEST_P(PixelPathTest, ExpandsAndPacksEverySixteenBitColour) {
  // Bit 15 is set on half of them: it is not part of the colour.
  std::vector<std::uint8_t> in(2 * 32768);
  for (std::uint32_t i = 0; i < 32768; ++i) {
    const auto v = static_cast<std::uint16_t>(i | ((i & 1) << 15));
    std::memcpy(&in[2 * i], &v, 2);
  }
  // Lengths around the vector widths, from an odd pixel offset.
  for (int count : {32767, 1, 7, 8, 9, 15, 16, 17, 33}) {
    SCOPED_TRACE(count);
    std::vector<std::uint32_t> wide(static_cast<std::size_t>(count) + 1, 0xDEADBEEF);
    platform::gdi::Expand555Row(in.data() + 2, wide.data(), count, GetParam());
    for (int i = 0; i < count; ++i) ASSERT_EQ(wide[static_cast<std::size_t>(i)], Expanded(static_cast<std::uint32_t>(i + 1))) << i;
    EXPECT_EQ(wide.back(), 0xDEADBEEFu);

    std::vector<std::uint8_t> back(2 * static_cast<std::size_t>(count) + 2, 0xAB);
    platform::gdi::Pack555Row(wide.data(), back.data(), count, GetParam());
    for (int i = 0; i < count; ++i) {
      std::uint16_t v;
      std::memcpy(&v, &back[2 * static_cast<std::size_t>(i)], 2);
      ASSERT_EQ(v, i + 1) << i;
    }
    EXPECT_EQ(back[back.size() - 1], 0xAB);
    EXPECT_EQ(back[back.size() - 2], 0xAB);
  }
}

TEST_P(PixelPathTest, PackingTruncatesEachChannelAndIgnoresTheFourthByte) {
  const std::vector<std::uint32_t> pixels{0xFFFFFFFF, 0x00070707, 0x00080808, 0xAB123456, 0x00F8F8F8, 0x80000000,
                                          0x00FF0000, 0x0000FF00, 0x000000FF, 0x00123456, 0x00FEDCBA, 0x007F7F7F,
                                          0x00818181, 0x00C0FFEE, 0x00BADA55, 0x00010203, 0x00FCFDFE};
  std::vector<std::uint8_t> out(2 * pixels.size());
  platform::gdi::Pack555Row(pixels.data(), out.data(), static_cast<int>(pixels.size()), GetParam());
  for (std::size_t i = 0; i < pixels.size(); ++i) {
    const std::uint32_t p = pixels[i];
    const std::uint32_t expected = (((p >> 19) & 31) << 10) | (((p >> 11) & 31) << 5) | ((p >> 3) & 31);
    std::uint16_t v;
    std::memcpy(&v, &out[2 * i], 2);
    EXPECT_EQ(v, expected) << std::hex << p;
  }
}

INSTANTIATE_TEST_SUITE_P(InstructionSets, PixelPathTest, testing::ValuesIn(Paths()),
                         [](const testing::TestParamInfo<PixelPath>& info) {
                           switch (info.param) {
                             case PixelPath::kScalar:
                               return "Scalar";
                             case PixelPath::kSse2:
                               return "Sse2";
                             default:
                               return "Avx2";
                           }
                         });

}  // namespace
