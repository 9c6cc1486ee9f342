// SPDX-License-Identifier: GPL-3.0-or-later
#include "viewer/LineBreakCount.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define VANTOREL_X86 1
#endif

namespace {

std::int64_t countPlain(const char* p, std::size_t n, bool& sawCR) {
    std::int64_t lfs = 0;
    bool cr = false;
    for (std::size_t i = 0; i < n; ++i) {
        lfs += p[i] == '\n';
        cr |= p[i] == '\r';
    }
    sawCR = sawCR || cr;
    return lfs;
}

#ifdef VANTOREL_X86
__attribute__((target("avx2"))) std::int64_t countAvx2(const char* p, std::size_t n, bool& sawCR) {
    const __m256i lf = _mm256_set1_epi8('\n');
    const __m256i cr = _mm256_set1_epi8('\r');
    std::int64_t lfs = 0;
    __m256i anyCR = _mm256_setzero_si256();
    std::size_t i = 0;
    for (; i + 32 <= n; i += 32) {
        const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + i));
        lfs += __builtin_popcount(unsigned(_mm256_movemask_epi8(_mm256_cmpeq_epi8(v, lf))));
        anyCR = _mm256_or_si256(anyCR, _mm256_cmpeq_epi8(v, cr));
    }
    sawCR = sawCR || !_mm256_testz_si256(anyCR, anyCR);
    return lfs + countPlain(p + i, n - i, sawCR);
}

std::int64_t countSse2(const char* p, std::size_t n, bool& sawCR) {
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i cr = _mm_set1_epi8('\r');
    std::int64_t lfs = 0;
    int anyCR = 0;
    std::size_t i = 0;
    for (; i + 16 <= n; i += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
        lfs += __builtin_popcount(unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(v, lf))));
        anyCR |= _mm_movemask_epi8(_mm_cmpeq_epi8(v, cr));
    }
    sawCR = sawCR || anyCR != 0;
    return lfs + countPlain(p + i, n - i, sawCR);
}
#endif

} // namespace

std::int64_t CountLineFeeds(const char* bytes, std::size_t size, bool& sawCarriageReturn) {
#ifdef VANTOREL_X86
    static const bool avx2 = __builtin_cpu_supports("avx2");
    return avx2 ? countAvx2(bytes, size, sawCarriageReturn) : countSse2(bytes, size, sawCarriageReturn);
#else
    return countPlain(bytes, size, sawCarriageReturn);
#endif
}
