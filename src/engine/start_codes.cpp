#include "start_codes.h"

#include <bit>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace splitwick {

namespace {

bool prefixEndsAt(const uint8_t* data, size_t at) {
    return data[at] == 0x01 && data[at - 1] == 0 && data[at - 2] == 0;
}

size_t nextOneByOne(const uint8_t* data, size_t at, size_t end) {
    while (at < end && !prefixEndsAt(data, at))
        ++at;
    return at;
}

#if defined(__x86_64__)
// Thirty-two offsets at a time, keeping those where 00 01 stands: in coded video that is hardly
// anywhere but at start codes, so the few left are looked at one by one.
__attribute__((target("avx2"))) size_t nextWide(const uint8_t* data, size_t at, size_t end) {
    const __m256i ones = _mm256_set1_epi8(1);
    const __m256i zeros = _mm256_setzero_si256();
    for (; at + 32 <= end; at += 32) {
        const __m256i here = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(data + at));
        const __m256i before = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(data + at - 1));
        auto hits = unsigned(_mm256_movemask_epi8(
            _mm256_and_si256(_mm256_cmpeq_epi8(here, ones), _mm256_cmpeq_epi8(before, zeros))));
        for (; hits != 0; hits &= hits - 1) {
            const size_t hit = at + size_t(std::countr_zero(hits));
            if (data[hit - 2] == 0) return hit;
        }
    }
    return nextOneByOne(data, at, end);
}

const bool HasAvx2 = __builtin_cpu_supports("avx2");
#endif

} // namespace

size_t nextStartCodePrefix(const uint8_t* data, size_t from, size_t end) {
#if defined(__x86_64__)
    if (HasAvx2) return nextWide(data, from, end);
#endif
    return nextOneByOne(data, from, end);
}

} // namespace splitwick
