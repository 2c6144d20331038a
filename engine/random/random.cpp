#include "random.h"

#include "../core/engine_thread.h"
#include "platform/cpu.h"
#include "vornek.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

constinit RandomStateRecord RandomState{{}, {}, RandomStateWords, 0, 0};

namespace {

constexpr int N = RandomStateWords;
constexpr int M = 397;
constexpr std::uint32_t MatrixA = 0x9908B0DF;
constexpr std::uint32_t UpperMask = 0x80000000;
constexpr std::uint32_t LowerMask = 0x7FFFFFFF;

std::uint32_t Temper(std::uint32_t y) {
  y ^= y >> 11;
  y ^= (y << 7) & 0x9D2C5680;
  y ^= (y << 15) & 0xEFC60000;
  y ^= y >> 18;
  return y;
}

std::uint32_t Twist(std::uint32_t current, std::uint32_t next, std::uint32_t far) {
  const std::uint32_t y = (current & UpperMask) | (next & LowerMask);
  return far ^ (y >> 1) ^ ((y & 1) ? MatrixA : 0);
}

void RegenerateScalar(std::uint32_t* w) {
  for (int k = 0; k < N; ++k) {
    if (k == N - 1) w[N] = w[0];
    w[k] = Twist(w[k], w[k + 1], w[(k + M) % N]);
  }
  for (int k = 0; k < N; ++k) RandomState.output[k] = Temper(w[k]);
}

#if defined(__SSE2__)
// Four words per step. Word k depends on words k + 1 and k + 397 (mod 624): in the first 227
// steps every input is an old word, after that word k - 227, updated at least 227 words
// earlier, so four neighbouring words never depend on one another.
__m128i TwistVector(__m128i current, __m128i next, __m128i far) {
  const __m128i y = _mm_or_si128(_mm_and_si128(current, _mm_set1_epi32(static_cast<int>(UpperMask))),
                                 _mm_and_si128(next, _mm_set1_epi32(static_cast<int>(LowerMask))));
  const __m128i odd = _mm_sub_epi32(_mm_setzero_si128(), _mm_and_si128(y, _mm_set1_epi32(1)));
  return _mm_xor_si128(_mm_xor_si128(far, _mm_srli_epi32(y, 1)),
                       _mm_and_si128(odd, _mm_set1_epi32(static_cast<int>(MatrixA))));
}

__m128i Load(const std::uint32_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
void Store(std::uint32_t* p, __m128i v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }

void RegenerateVector(std::uint32_t* w) {
  int k = 0;
  for (; k + 4 <= N - M; k += 4) Store(w + k, TwistVector(Load(w + k), Load(w + k + 1), Load(w + k + M)));
  for (; k < N - M; ++k) w[k] = Twist(w[k], w[k + 1], w[k + M]);
  // The last word reads word 0 as already updated, through the spare word.
  for (; k + 4 <= N - 1; k += 4) Store(w + k, TwistVector(Load(w + k), Load(w + k + 1), Load(w + k + M - N)));
  for (; k < N; ++k) {
    if (k == N - 1) w[N] = w[0];
    w[k] = Twist(w[k], w[k + 1], w[k + M - N]);
  }
  for (k = 0; k < N; k += 4) {
    __m128i y = Load(w + k);
    y = _mm_xor_si128(y, _mm_srli_epi32(y, 11));
    y = _mm_xor_si128(y, _mm_and_si128(_mm_slli_epi32(y, 7), _mm_set1_epi32(static_cast<int>(0x9D2C5680u))));
    y = _mm_xor_si128(y, _mm_and_si128(_mm_slli_epi32(y, 15), _mm_set1_epi32(static_cast<int>(0xEFC60000u))));
    y = _mm_xor_si128(y, _mm_srli_epi32(y, 18));
    Store(RandomState.output + k, y);
  }
}
#endif

// The vector path needs SSE2 (leaf 1, EDX bit 26), the baseline of x86-64.
bool ProcessorHasVectorPath() {
#if defined(__SSE2__)
  if (!CpuIdAvailable()) return false;
  std::uint32_t registers[4];
  CpuId(1, registers);
  return (registers[3] & (1u << 26)) != 0;
#else
  return false;
#endif
}

}  // namespace

void SeedRandom(std::uint32_t seed) {
  if (CalledOffEngineThread(__func__)) return;
  std::uint32_t s = seed;
  for (int i = 0; i < N; ++i) {
    RandomState.words[i] = (s & 0xFFFF0000u) | ((s * 69069u + 1u) >> 16);
    s = s * 475559465u + 69070u;
  }
  RandomState.vectorPath = ProcessorHasVectorPath() ? 1 : 0;
  RandomState.seeded = 1;
  RefillRandom();
}

void RefillRandom() {
#if defined(__SSE2__)
  if (RandomState.vectorPath) {
    RegenerateVector(RandomState.words);
    RandomState.readPosition = 0;
    return;
  }
#endif
  RegenerateScalar(RandomState.words);
  RandomState.readPosition = 0;
}

std::uint32_t NextRandom32() {
  if (RandomState.readPosition >= N) {
    if (!RandomState.seeded) SeedRandom(4357);
    RefillRandom();
  }
  return RandomState.output[RandomState.readPosition++];
}

int GetRandom(int max) {
  if (CalledOffEngineThread(__func__)) return -1;
  const std::uint32_t r = NextRandom32();
  const auto n = static_cast<std::int32_t>(static_cast<std::uint32_t>(max) + 1u);
  const std::int64_t product = static_cast<std::int64_t>(r) * static_cast<std::int64_t>(n);
  return static_cast<std::int32_t>(static_cast<std::uint64_t>(product) >> 32);
}
