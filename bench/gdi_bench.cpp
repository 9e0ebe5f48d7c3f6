// Per-frame cost of the DIB transfer and of DrawDib, each beside a reference measured
// in the same run: a memcpy of the frame's bytes for the conversions (target: within
// 10x), a plain pixman bilinear scale of a 32-bit picture of the same sizes for DrawDib
// (target: within 1.5x). Counters: us_per_frame, ref_us (the reference), x_ref (ratio).
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <cstring>
#include <vector>

#include <pixman.h>

#include "platform/surface.h"
#include "platform/vfw.h"
#include "platform/wingdi.h"

namespace {

using Clock = std::chrono::steady_clock;

// A 16-bit bottom-up frame with varied pixels, as a capture driver delivers it.
struct Frame {
  Frame(int width, int height) {
    header.biSize = sizeof(BITMAPINFOHEADER);
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = 16;
    header.biCompression = BI_RGB;
    const std::size_t stride = static_cast<std::size_t>((width * 16 + 31) / 32 * 4);
    header.biSizeImage = static_cast<DWORD>(stride * static_cast<std::size_t>(height));
    bits.resize(header.biSizeImage);
    std::uint32_t seed = 12345;
    for (auto& b : bits) {
      seed = seed * 1664525u + 1013904223u;
      b = static_cast<std::uint8_t>(seed >> 24);
    }
  }
  const BITMAPINFO* info() const { return reinterpret_cast<const BITMAPINFO*>(&header); }
  BITMAPINFOHEADER header{};
  std::vector<std::uint8_t> bits;
};

// A memory DC drawing into a bitmap of its own.
struct Target {
  Target(int width, int height) : dc(CreateCompatibleDC(nullptr)), bitmap(CreateCompatibleBitmap(dc, width, height)) {
    old = SelectObject(dc, bitmap);
  }
  ~Target() {
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
  }
  HDC dc;
  HBITMAP bitmap;
  HGDIOBJ old;
};

// Runs the benchmark loop over `work`, then `reference` as many times, and reports both.
template <typename Work, typename Reference>
void Measure(benchmark::State& state, Work work, Reference reference) {
  const auto start = Clock::now();
  for (auto _ : state) work();
  const double workUs = std::chrono::duration<double, std::micro>(Clock::now() - start).count();
  const auto iterations = static_cast<std::int64_t>(state.iterations());
  reference();  // warm up
  const auto refStart = Clock::now();
  for (std::int64_t i = 0; i < iterations; ++i) reference();
  const double refUs = std::chrono::duration<double, std::micro>(Clock::now() - refStart).count();
  state.counters["us_per_frame"] = workUs / static_cast<double>(iterations);
  state.counters["ref_us"] = refUs / static_cast<double>(iterations);
  state.counters["x_ref"] = workUs / refUs;
}

void MemcpyReference(const std::vector<std::uint8_t>& from, std::vector<std::uint8_t>& to) {
  std::memcpy(to.data(), from.data(), from.size());
  benchmark::ClobberMemory();
}

void BM_StretchDIBits16(benchmark::State& state) {
  const int width = static_cast<int>(state.range(0));
  const int height = static_cast<int>(state.range(1));
  Frame frame(width, height);
  Target target(width, height);
  std::vector<std::uint8_t> copy(frame.bits.size());
  Measure(
      state,
      [&] {
        benchmark::DoNotOptimize(StretchDIBits(target.dc, 0, 0, width, height, 0, 0, width, height, frame.bits.data(),
                                               frame.info(), DIB_RGB_COLORS, SRCCOPY));
        benchmark::ClobberMemory();
      },
      [&] { MemcpyReference(frame.bits, copy); });
}

void BM_GetDIBits16(benchmark::State& state) {
  const int width = static_cast<int>(state.range(0));
  const int height = static_cast<int>(state.range(1));
  Frame frame(width, height);
  Target target(width, height);
  StretchDIBits(target.dc, 0, 0, width, height, 0, 0, width, height, frame.bits.data(), frame.info(), DIB_RGB_COLORS,
                SRCCOPY);
  std::vector<std::uint8_t> out(frame.bits.size());
  std::vector<std::uint8_t> copy(frame.bits.size());
  auto* info = reinterpret_cast<BITMAPINFO*>(&frame.header);
  Measure(
      state,
      [&] {
        benchmark::DoNotOptimize(GetDIBits(target.dc, target.bitmap, 0, static_cast<UINT>(height), out.data(), info,
                                           DIB_RGB_COLORS));
        benchmark::ClobberMemory();
      },
      [&] { MemcpyReference(frame.bits, copy); });
}

void BM_DrawDibDraw16(benchmark::State& state) {
  const int srcWidth = static_cast<int>(state.range(0));
  const int srcHeight = static_cast<int>(state.range(1));
  const int dstWidth = static_cast<int>(state.range(2));
  const int dstHeight = static_cast<int>(state.range(3));
  Frame frame(srcWidth, srcHeight);
  Target target(dstWidth, dstHeight);
  HDRAWDIB drawDib = DrawDibOpen();

  // The reference: the same scale of a 32-bit picture straight through pixman.
  pixman_image_t* source = pixman_image_create_bits(PIXMAN_x8r8g8b8, srcWidth, srcHeight, nullptr, 0);
  pixman_image_t* dest = pixman_image_create_bits(PIXMAN_x8r8g8b8, dstWidth, dstHeight, nullptr, 0);
  pixman_transform_t transform;
  pixman_transform_init_scale(&transform, pixman_double_to_fixed(static_cast<double>(srcWidth) / dstWidth),
                              pixman_double_to_fixed(static_cast<double>(srcHeight) / dstHeight));
  pixman_image_set_transform(source, &transform);
  pixman_image_set_filter(source, PIXMAN_FILTER_BILINEAR, nullptr, 0);
  pixman_image_set_repeat(source, PIXMAN_REPEAT_PAD);

  Measure(
      state,
      [&] {
        benchmark::DoNotOptimize(DrawDibDraw(drawDib, target.dc, 0, 0, dstWidth, dstHeight,
                                             const_cast<BITMAPINFOHEADER*>(&frame.header), frame.bits.data(), 0, 0,
                                             srcWidth, srcHeight, 0));
        benchmark::ClobberMemory();
      },
      [&] {
        pixman_image_composite32(PIXMAN_OP_SRC, source, nullptr, dest, 0, 0, 0, 0, 0, 0, dstWidth, dstHeight);
        benchmark::ClobberMemory();
      });
  pixman_image_unref(source);
  pixman_image_unref(dest);
  DrawDibClose(drawDib);
}

BENCHMARK(BM_StretchDIBits16)->Args({400, 300})->Args({640, 480})->Args({1920, 1080})->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_GetDIBits16)->Args({400, 300})->Args({640, 480})->Args({1920, 1080})->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DrawDibDraw16)
    ->Args({400, 300, 1280, 960})
    ->Args({640, 480, 1920, 1080})
    ->Args({1920, 1080, 1920, 1080})
    ->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
