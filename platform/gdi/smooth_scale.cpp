#include "platform/gdi/smooth_scale.h"

#include <algorithm>
#include <cstring>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace platform::gdi {

namespace {

// Source position of destination pixel i's centre, less half a pixel, in 16.16 fixed point:
// the point between the two source pixels that are blended for it.
std::int64_t SourcePosition(int i, int source, int dest) {
  return ((2 * static_cast<std::int64_t>(i) + 1) * source * 65536) / (2 * static_cast<std::int64_t>(dest)) - 32768;
}

// The two source rows blended for a destination row, and the second one's weight in Q15.
struct RowPair {
  int first;
  int second;
  int weight;
};

RowPair RowsFor(int y, int source, int dest) {
  const std::int64_t position = SourcePosition(y, source, dest);
  if (position < 0) return RowPair{0, 0, 0};
  const std::int64_t q = (position + 1) >> 1;  // 1/32768ths of a row
  const int first = static_cast<int>(q >> 15);
  if (first >= source - 1) return RowPair{source - 1, source - 1, 0};
  return RowPair{first, first + 1, static_cast<int>(q & 0x7FFF)};
}

// The channels of one pixel pair, blended with bytes (128 - w, w): each channel less 128,
// so that the sum is signed and fits 16 bits; 128 times the channel, less 16384.
void ScaleAcrossScalar(const std::uint32_t* src, const std::int32_t* columns, const std::uint64_t* weights, int from,
                       int count, std::int16_t* out) {
  for (int c = from; c < count; ++c) {
    const std::uint32_t p0 = src[columns[c]];
    const std::uint32_t p1 = src[columns[c] + 1];
    const int w0 = static_cast<int>(weights[c] & 0xFF);
    const int w1 = static_cast<int>((weights[c] >> 8) & 0xFF);
    for (int ch = 0; ch < 4; ++ch) {
      const int a = static_cast<int>((p0 >> (8 * ch)) & 0xFF) - 128;
      const int b = static_cast<int>((p1 >> (8 * ch)) & 0xFF) - 128;
      out[4 * c + ch] = static_cast<std::int16_t>(w0 * a + w1 * b);
    }
  }
}

// One channel of a destination pixel from two horizontally scaled rows.
std::uint32_t BlendDown(int top, int bottom, int weight) {
  const int offset = ((bottom - top) * weight + 16384) >> 15;
  return static_cast<std::uint32_t>((top + offset + 16448) >> 7);
}

void ScaleDownScalar(const std::int16_t* top, const std::int16_t* bottom, int weight, int from, int count,
                     std::uint32_t* out) {
  for (int c = from; c < count; ++c) {
    std::uint32_t pixel = 0;
    for (int ch = 0; ch < 3; ++ch) pixel |= BlendDown(top[4 * c + ch], bottom[4 * c + ch], weight) << (8 * ch);
    out[c] = pixel;
  }
}

// Same width: each channel taken whole, as the blend with weights (128, 0) would.
void CopyAcrossScalar(const std::uint32_t* src, int from, int count, std::int16_t* out) {
  for (int c = from; c < count; ++c) {
    for (int ch = 0; ch < 4; ++ch) {
      out[4 * c + ch] = static_cast<std::int16_t>(128 * (static_cast<int>((src[c] >> (8 * ch)) & 0xFF) - 128));
    }
  }
}

#if defined(__x86_64__)
__attribute__((target("avx2"))) void CopyAcrossAvx2(const std::uint32_t* src, int count, std::int16_t* out) {
  const __m256i bias = _mm256_set1_epi8(static_cast<char>(0x80));
  int c = 0;
  for (; c + 8 <= count; c += 8) {
    const __m256i pixels = _mm256_xor_si256(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + c)), bias);
    const __m256i low = _mm256_cvtepi8_epi16(_mm256_castsi256_si128(pixels));
    const __m256i high = _mm256_cvtepi8_epi16(_mm256_extracti128_si256(pixels, 1));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 4 * c), _mm256_slli_epi16(low, 7));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 4 * c + 16), _mm256_slli_epi16(high, 7));
  }
  _mm256_zeroupper();
  CopyAcrossScalar(src, c, count, out);
}
#endif

#if defined(__x86_64__)
// Lambdas would not take the target attribute, so the vector steps are functions.
__attribute__((target("avx2"), always_inline)) inline __m128i LoadPair(const std::uint32_t* src) {
  return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(src));
}

__attribute__((target("avx2"), always_inline)) inline __m256i BlendDown8(const std::int16_t* top,
                                                                          const std::int16_t* bottom, __m256i weight) {
  const __m256i t = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(top));
  const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(bottom));
  const __m256i v = _mm256_add_epi16(t, _mm256_mulhrs_epi16(_mm256_sub_epi16(b, t), weight));
  return _mm256_srli_epi16(_mm256_add_epi16(v, _mm256_set1_epi16(16448)), 7);
}

__attribute__((target("avx2"))) void ScaleAcrossAvx2(const std::uint32_t* src, const std::int32_t* columns,
                                                     const std::uint64_t* weights, int count, std::int16_t* out) {
  // Pixel pair p0 p1 (bytes b g r x each) to b0 b1 g0 g1 r0 r1 x0 x1, two pairs per lane.
  const __m256i interleave = _mm256_setr_epi8(0, 4, 1, 5, 2, 6, 3, 7, 8, 12, 9, 13, 10, 14, 11, 15, 0, 4, 1, 5, 2, 6,
                                              3, 7, 8, 12, 9, 13, 10, 14, 11, 15);
  const __m256i bias = _mm256_set1_epi8(static_cast<char>(0x80));
  int c = 0;
  for (; c + 4 <= count; c += 4) {
    const __m128i lo = _mm_unpacklo_epi64(LoadPair(src + columns[c]), LoadPair(src + columns[c + 1]));
    const __m128i hi = _mm_unpacklo_epi64(LoadPair(src + columns[c + 2]), LoadPair(src + columns[c + 3]));
    __m256i pixels = _mm256_inserti128_si256(_mm256_castsi128_si256(lo), hi, 1);
    pixels = _mm256_xor_si256(_mm256_shuffle_epi8(pixels, interleave), bias);
    const __m256i w = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(weights + c));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 4 * c), _mm256_maddubs_epi16(w, pixels));
  }
  // GCC leaves the upper halves dirty before a tail call, which slows every later SSE
  // instruction of the thread (pixman's among them) several times over.
  _mm256_zeroupper();
  ScaleAcrossScalar(src, columns, weights, c, count, out);
}

__attribute__((target("avx2"))) void ScaleDownAvx2(const std::int16_t* top, const std::int16_t* bottom, int weight,
                                                   int count, std::uint32_t* out) {
  const __m256i w = _mm256_set1_epi16(static_cast<short>(weight));
  const __m256i colour = _mm256_set1_epi32(0x00FFFFFF);
  int c = 0;
  for (; c + 8 <= count; c += 8) {
    const __m256i first = BlendDown8(top + 4 * c, bottom + 4 * c, w);
    const __m256i second = BlendDown8(top + 4 * c + 16, bottom + 4 * c + 16, w);
    // packus works within 128-bit lanes; the permute puts the four quarters back in order.
    const __m256i packed = _mm256_permute4x64_epi64(_mm256_packus_epi16(first, second), 0xD8);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + c), _mm256_and_si256(packed, colour));
  }
  _mm256_zeroupper();
  ScaleDownScalar(top, bottom, weight, c, count, out);
}
#endif

}  // namespace

std::uint32_t* SmoothScaler::RowBuffer(int width) {
  if (rowBuffer_.size() < static_cast<std::size_t>(width)) rowBuffer_.resize(static_cast<std::size_t>(width));
  return rowBuffer_.data();
}

const std::int16_t* SmoothScaler::ScaledRow(const SourceRow& row, int y, int sourceWidth, PixelPath path) {
  const std::uint32_t* src = row(y);
  if (sourceWidth == 1) {
    pair_[0] = pair_[1] = src[0];
    src = pair_;
  }
  const int slot = nextSlot_;
  nextSlot_ = 1 - nextSlot_;
  rowOf_[slot] = y;
  std::int16_t* out = rows_[slot].data();
  const int count = static_cast<int>(columns_.size());
  if (sameWidth_) {
#if defined(__x86_64__)
    if (path == PixelPath::kAvx2) {
      CopyAcrossAvx2(src + columns_[0], count, out);
      return out;
    }
#endif
    CopyAcrossScalar(src + columns_[0], 0, count, out);
    return out;
  }
#if defined(__x86_64__)
  if (path == PixelPath::kAvx2) {
    ScaleAcrossAvx2(src, columns_.data(), weights_.data(), count, out);
    return out;
  }
#endif
  (void)path;
  ScaleAcrossScalar(src, columns_.data(), weights_.data(), 0, count, out);
  return out;
}

void SmoothScaler::Scale(const SourceRow& row, int sourceWidth, int sourceHeight, int destWidth, int destHeight,
                         int partX, int partY, int partWidth, int partHeight, std::uint32_t* dst, int dstStride,
                         PixelPath path) {
  if (sourceWidth < 1 || sourceHeight < 1 || partWidth < 1 || partHeight < 1) return;
  const auto width = static_cast<std::size_t>(partWidth);
  columns_.resize(width);
  weights_.resize(width);
  for (std::size_t c = 0; c < width; ++c) {
    const std::int64_t position = SourcePosition(partX + static_cast<int>(c), sourceWidth, destWidth);
    const std::int64_t q = position < 0 ? 0 : (position + 256) >> 9;  // 1/128ths of a pixel
    int first = static_cast<int>(q >> 7);
    int w = static_cast<int>(q & 127);
    if (first >= sourceWidth - 1) {
      // The last pixel, read as the second of the last pair so that no read passes the row.
      first = std::max(sourceWidth - 2, 0);
      w = sourceWidth >= 2 ? 128 : 0;
    }
    columns_[c] = first;
    const std::uint64_t pair = static_cast<std::uint64_t>(128 - w) | (static_cast<std::uint64_t>(w) << 8);
    weights_[c] = pair * 0x0001000100010001ull;
  }
  // Same width: every weight is (128, 0), and column c of the part is source pixel partX + c.
  sameWidth_ = sourceWidth == destWidth;
  if (sameWidth_) columns_[0] = partX;
  for (auto& r : rows_) r.resize(4 * width);
  rowOf_[0] = rowOf_[1] = -1;
  nextSlot_ = 0;

  auto* out = reinterpret_cast<std::uint8_t*>(dst);
  for (int j = 0; j < partHeight; ++j, out += dstStride) {
    const RowPair rows = RowsFor(partY + j, sourceHeight, destHeight);
    // Two scaled rows are kept; a missing one replaces the row this destination row does not use.
    const std::int16_t* top = nullptr;
    const std::int16_t* bottom = nullptr;
    for (int s = 0; s < 2; ++s) {
      if (rowOf_[s] == rows.first) top = rows_[s].data();
      if (rowOf_[s] == rows.second) bottom = rows_[s].data();
    }
    if (top == nullptr) {
      if (bottom != nullptr) nextSlot_ = rows_[0].data() == bottom ? 1 : 0;
      top = ScaledRow(row, rows.first, sourceWidth, path);
    }
    if (bottom == nullptr) {
      if (rows.second == rows.first) {
        bottom = top;
      } else {
        nextSlot_ = rows_[0].data() == top ? 1 : 0;
        bottom = ScaledRow(row, rows.second, sourceWidth, path);
      }
    }
    auto* pixels = reinterpret_cast<std::uint32_t*>(out);
#if defined(__x86_64__)
    if (path == PixelPath::kAvx2) {
      ScaleDownAvx2(top, bottom, rows.weight, partWidth, pixels);
      continue;
    }
#endif
    ScaleDownScalar(top, bottom, rows.weight, 0, partWidth, pixels);
  }
}

}  // namespace platform::gdi
