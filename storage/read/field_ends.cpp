// 32 bytes at a time where the processor has AVX2, as the one CPU check says.
#include "storage/read/field_ends.h"

#if defined(__x86_64__)
#include <immintrin.h>
#endif

#include "platform/cpu_features.h"

namespace storage::detail {

namespace {

FieldEnds fieldEndsTail(const char* p, std::size_t from, std::size_t n, FieldEnds e)
{
    for (std::size_t i = from; i < n; ++i)
        if (p[i] == '\n' || p[i] == ',') {
            ++e.count;
            e.last = std::ptrdiff_t(i);
        }
    return e;
}

#if defined(__x86_64__)
__attribute__((target("avx2,popcnt"))) FieldEnds fieldEndsAvx2(const char* p, std::size_t n)
{
    FieldEnds e;
    const __m256i lf = _mm256_set1_epi8('\n'), comma = _mm256_set1_epi8(',');
    std::size_t i = 0, lastBlock = 0;
    std::uint32_t lastMask = 0;
    for (; i + 32 <= n; i += 32) {
        const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + i));
        const auto m = std::uint32_t(
            _mm256_movemask_epi8(_mm256_or_si256(_mm256_cmpeq_epi8(v, lf), _mm256_cmpeq_epi8(v, comma))));
        e.count += std::uint64_t(_mm_popcnt_u32(m));
        if (m != 0) {
            lastBlock = i;
            lastMask = m;
        }
    }
    if (lastMask != 0)
        e.last = std::ptrdiff_t(lastBlock + 31 - std::size_t(__builtin_clz(lastMask)));
    return fieldEndsTail(p, i, n, e);
}
#endif

}  // namespace

FieldEnds fieldEnds(const char* p, std::size_t n)
{
#if defined(__x86_64__)
    if (int(platform::vectorWidth()) >= int(platform::VectorWidth::Avx2))
        return fieldEndsAvx2(p, n);
#endif
    return fieldEndsTail(p, 0, n, FieldEnds{});
}

}  // namespace storage::detail
