#include "storage/read/field_ends.h"

#include "platform/cpu_features.h"

#if defined(__x86_64__)
#include <immintrin.h>
#elif defined(CEREBRIX_HAS_SIMD16)
#include <tmmintrin.h>
#endif

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

#if defined(CEREBRIX_HAS_SIMD16)
CEREBRIX_SIMD16 FieldEnds fieldEnds16(const char* p, std::size_t n)
{
    FieldEnds e;
    const __m128i lf = _mm_set1_epi8('\n'), comma = _mm_set1_epi8(',');
    std::size_t i = 0, lastBlock = 0;
    unsigned lastMask = 0;
    for (; i + 16 <= n; i += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
        const auto m = unsigned(_mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, lf), _mm_cmpeq_epi8(v, comma))));
        e.count += unsigned(__builtin_popcount(m));
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

#if defined(CEREBRIX_HAS_SIMD16)
CEREBRIX_SIMD16 BlockClasses classifyBlock16(const char* p)
{
    BlockClasses k;
    const __m128i lf = _mm_set1_epi8('\n'), cr = _mm_set1_epi8('\r');
    const __m128i zero = _mm_set1_epi8('0'), nine = _mm_set1_epi8(9);
    for (int i = 0; i < 4; ++i) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * i));
        const __m128i d = _mm_sub_epi8(v, zero);
        const unsigned shift = 16u * unsigned(i);
        k.lf |= std::uint64_t(unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(v, lf)))) << shift;
        k.cr |= std::uint64_t(unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(v, cr)))) << shift;
        k.digit |= std::uint64_t(unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_min_epu8(d, nine), d)))) << shift;
    }
    return k;
}
#endif

#if defined(__x86_64__)
__attribute__((target("avx2,popcnt"))) FieldEnds fieldEnds32(const char* p, std::size_t n)
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
    [[maybe_unused]] const platform::VectorWidth width = platform::vectorWidth();
#if defined(__x86_64__)
    if (int(width) >= int(platform::VectorWidth::Avx2))
        return fieldEnds32(p, n);
#endif
#if defined(CEREBRIX_HAS_SIMD16)
    if (width == platform::VectorWidth::Simd16)
        return fieldEnds16(p, n);
#endif
    return fieldEndsTail(p, 0, n, FieldEnds{});
}

BlockClasses classifyBlock(const char* p)
{
#if defined(CEREBRIX_HAS_SIMD16)
    if (int(platform::vectorWidth()) >= int(platform::VectorWidth::Simd16))
        return classifyBlock16(p);
#endif
    BlockClasses k;
    for (int i = 0; i < kClassifiedBlock; ++i) {
        const unsigned char c = static_cast<unsigned char>(p[i]);
        k.lf |= std::uint64_t(c == '\n') << i;
        k.cr |= std::uint64_t(c == '\r') << i;
        k.digit |= std::uint64_t(c >= '0' && c <= '9') << i;
    }
    return k;
}

}  // namespace storage::detail
