#include "package/sha256_blocks.h"

#include <bit>

#if defined(__x86_64__)
#include <cpuid.h>
#include <immintrin.h>
#define HDGR_SHA_INSTRUCTIONS 1
#endif

namespace hdgr {
namespace {

alignas(16) constexpr std::array<std::uint32_t, 64> kRoundConstants{
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2,
};

std::uint32_t LoadBigEndian(const std::uint8_t* p) {
  return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 |
         std::uint32_t{p[3]};
}

void CompressPortably(Sha256State& state, const std::uint8_t* block) {
  std::array<std::uint32_t, 64> w;
  for (int i = 0; i < 16; ++i) w[i] = LoadBigEndian(block + 4 * i);
  for (int i = 16; i < 64; ++i) {
    const std::uint32_t s0 = std::rotr(w[i - 15], 7) ^ std::rotr(w[i - 15], 18) ^ (w[i - 15] >> 3);
    const std::uint32_t s1 = std::rotr(w[i - 2], 17) ^ std::rotr(w[i - 2], 19) ^ (w[i - 2] >> 10);
    w[i] = w[i - 16] + s0 + w[i - 7] + s1;
  }
  auto [a, b, c, d, e, f, g, h] = state;
  for (int i = 0; i < 64; ++i) {
    const std::uint32_t s1 = std::rotr(e, 6) ^ std::rotr(e, 11) ^ std::rotr(e, 25);
    const std::uint32_t choose = (e & f) ^ (~e & g);
    const std::uint32_t t1 = h + s1 + choose + kRoundConstants[i] + w[i];
    const std::uint32_t s0 = std::rotr(a, 2) ^ std::rotr(a, 13) ^ std::rotr(a, 22);
    const std::uint32_t majority = (a & b) ^ (a & c) ^ (b & c);
    const std::uint32_t t2 = s0 + majority;
    h = g;
    g = f;
    f = e;
    e = d + t1;
    d = c;
    c = b;
    b = a;
    a = t1 + t2;
  }
  const Sha256State round_result{a, b, c, d, e, f, g, h};
  for (std::size_t i = 0; i < state.size(); ++i) state[i] += round_result[i];
}

#if HDGR_SHA_INSTRUCTIONS
bool ProcessorHasShaInstructions() {
  unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
  if (!__get_cpuid(1, &eax, &ebx, &ecx, &edx)) return false;
  const bool sse41 = (ecx & bit_SSE4_1) != 0;
  const bool ssse3 = (ecx & bit_SSSE3) != 0;
  if (!__get_cpuid_count(7, 0, &eax, &ebx, &ecx, &edx)) return false;
  return sse41 && ssse3 && (ebx & bit_SHA) != 0;
}
#endif

}  // namespace

void CompressSha256BlocksPortably(Sha256State& state, const std::uint8_t* blocks, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) CompressPortably(state, blocks + 64 * i);
}

#if HDGR_SHA_INSTRUCTIONS

bool HasSha256Instructions() {
  static const bool has = ProcessorHasShaInstructions();
  return has;
}

// The instructions keep the state as the word pairs ABEF and CDGH and do two rounds per
// sha256rnds2; each group of four message words comes from the four before it through
// sha256msg1 (the sigma-0 part), the words seven back, and sha256msg2 (the sigma-1 part).
__attribute__((target("sha,sse4.1,ssse3"))) void CompressSha256BlocksWithInstructions(
    Sha256State& state, const std::uint8_t* blocks, std::size_t count) {
  const __m128i byte_swap = _mm_set_epi64x(0x0c0d0e0f08090a0bLL, 0x0405060700010203LL);
  __m128i cdab = _mm_shuffle_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(&state[0])), 0xB1);
  __m128i efgh = _mm_shuffle_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(&state[4])), 0x1B);
  __m128i abef = _mm_alignr_epi8(cdab, efgh, 8);
  __m128i cdgh = _mm_blend_epi16(efgh, cdab, 0xF0);

  for (std::size_t block = 0; block < count; ++block) {
    const std::uint8_t* data = blocks + 64 * block;
    const __m128i abef_before = abef;
    const __m128i cdgh_before = cdgh;
    __m128i words[4];
    for (int group = 0; group < 16; ++group) {
      __m128i& current = words[group % 4];
      if (group < 4) {
        current = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(data + 16 * group)), byte_swap);
      } else {
        const __m128i& back1 = words[(group + 3) % 4];
        const __m128i& back2 = words[(group + 2) % 4];
        const __m128i& back3 = words[(group + 1) % 4];
        __m128i next = _mm_sha256msg1_epu32(current, back3);
        next = _mm_add_epi32(next, _mm_alignr_epi8(back1, back2, 4));
        current = _mm_sha256msg2_epu32(next, back1);
      }
      __m128i message = _mm_add_epi32(
          current, _mm_load_si128(reinterpret_cast<const __m128i*>(&kRoundConstants[4 * group])));
      cdgh = _mm_sha256rnds2_epu32(cdgh, abef, message);
      message = _mm_shuffle_epi32(message, 0x0E);
      abef = _mm_sha256rnds2_epu32(abef, cdgh, message);
    }
    abef = _mm_add_epi32(abef, abef_before);
    cdgh = _mm_add_epi32(cdgh, cdgh_before);
  }

  const __m128i feba = _mm_shuffle_epi32(abef, 0x1B);
  const __m128i dchg = _mm_shuffle_epi32(cdgh, 0xB1);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(&state[0]), _mm_blend_epi16(feba, dchg, 0xF0));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(&state[4]), _mm_alignr_epi8(dchg, feba, 8));
}

#else

bool HasSha256Instructions() { return false; }

void CompressSha256BlocksWithInstructions(Sha256State& state, const std::uint8_t* blocks, std::size_t count) {
  CompressSha256BlocksPortably(state, blocks, count);
}

#endif

void CompressSha256Blocks(Sha256State& state, const std::uint8_t* blocks, std::size_t count) {
  if (HasSha256Instructions()) CompressSha256BlocksWithInstructions(state, blocks, count);
  else CompressSha256BlocksPortably(state, blocks, count);
}

}  // namespace hdgr
