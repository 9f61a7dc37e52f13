#include "app/PixelRuns.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace orvalis {
namespace {

std::uint64_t RunStarts(const std::uint32_t* pixels) {
    std::uint64_t starts = 0;
#if defined(__SSE2__)
    const __m128i colourBits = _mm_set1_epi32(static_cast<int>(kColourBits));
    const __m128i zero = _mm_setzero_si128();
    for (int i = 0; i < kRunBlock; i += 4) {
        const __m128i these = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pixels + i));
        const __m128i before = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pixels + i - 1));
        const __m128i same = _mm_cmpeq_epi32(_mm_and_si128(_mm_xor_si128(these, before), colourBits), zero);
        starts |= static_cast<std::uint64_t>(_mm_movemask_ps(_mm_castsi128_ps(same)) ^ 0xF) << i;
    }
#else
    for (int i = 0; i < kRunBlock; ++i)
        starts |= static_cast<std::uint64_t>(((pixels[i] ^ pixels[i - 1]) & kColourBits) != 0) << i;
#endif
    return starts;
}

#if defined(__x86_64__)
[[gnu::target("avx2")]] std::uint64_t RunStartsWide(const std::uint32_t* pixels) {
    std::uint64_t starts = 0;
    const __m256i colourBits = _mm256_set1_epi32(static_cast<int>(kColourBits));
    const __m256i zero = _mm256_setzero_si256();
    for (int i = 0; i < kRunBlock; i += 8) {
        const __m256i these = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(pixels + i));
        const __m256i before = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(pixels + i - 1));
        const __m256i same = _mm256_cmpeq_epi32(_mm256_and_si256(_mm256_xor_si256(these, before), colourBits), zero);
        starts |= static_cast<std::uint64_t>(_mm256_movemask_ps(_mm256_castsi256_ps(same)) ^ 0xFF) << i;
    }
    return starts;
}
#endif

}  // namespace

RunStartsFinder RunStartsOfBlock() {
#if defined(__x86_64__)
    if (__builtin_cpu_supports("avx2")) return &RunStartsWide;
#endif
    return &RunStarts;
}

}  // namespace orvalis
