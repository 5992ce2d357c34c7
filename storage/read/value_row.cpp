#include "storage/read/value_row.h"

#include "platform/cpu_features.h"

#if defined(CEREBRIX_HAS_SIMD16)
#include <tmmintrin.h>
#endif

namespace storage::detail {

namespace {

constexpr std::array<std::uint64_t, 256> makePacking()
{
    std::array<std::uint64_t, 256> table{};
    for (unsigned m = 0; m < 256; ++m) {
        std::uint64_t t = 0;
        unsigned n = 0;
        for (unsigned i = 0; i < 8; ++i)
            if (m >> i & 1)
                t |= std::uint64_t(i) << (8 * n++);
        for (; n < 8; ++n)
            t |= std::uint64_t(0x80) << (8 * n);
        table[m] = t;
    }
    return table;
}

#if defined(CEREBRIX_HAS_SIMD16)
// Shuffles that take 48 values of 16 cells apart into the 16 of each
// channel: for channel k and each third of the 48, where its bytes go.
struct Dealing {
    std::uint8_t from[3][3][16];
};
constexpr Dealing makeDealing()
{
    Dealing d{};
    for (int k = 0; k < 3; ++k)
        for (int third = 0; third < 3; ++third)
            for (int j = 0; j < 16; ++j) {
                const int source = 3 * j + k - 16 * third;
                d.from[k][third][j] = std::uint8_t(source >= 0 && source < 16 ? source : 0x80);
            }
    return d;
}
constexpr Dealing kDealing = makeDealing();
#endif

}  // namespace

const char kZeroFields[49] = "0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n";

const std::array<std::uint64_t, 256> kPacking = makePacking();

// Where no wide kernel is built, nothing fills the row; it still deals right.
#if defined(CEREBRIX_HAS_SIMD16)
CEREBRIX_SIMD16
#endif
void dealRow(FieldCursor& cursor, ValueRow& row)
{
    FieldCursor c = cursor;  // in registers: the byte stores could alias the caller's
    const std::uint8_t* v = row.values;
    const std::uint8_t* const end = v + row.count;
    while (v < end && c.field % 3 != 0)
        c.store(*v++);
#if defined(CEREBRIX_HAS_SIMD16)
    for (; end - v >= 48; v += 48) {
        const __m128i third[3] = {_mm_loadu_si128(reinterpret_cast<const __m128i*>(v)),
                                  _mm_loadu_si128(reinterpret_cast<const __m128i*>(v + 16)),
                                  _mm_loadu_si128(reinterpret_cast<const __m128i*>(v + 32))};
        std::uint8_t* const to[3] = {c.here, c.then, c.after};
        for (int k = 0; k < 3; ++k) {
            __m128i channel = _mm_setzero_si128();
            for (int t = 0; t < 3; ++t)
                channel = _mm_or_si128(channel, _mm_shuffle_epi8(third[t], _mm_loadu_si128(reinterpret_cast<const __m128i*>(
                                                                               kDealing.from[k][t]))));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(to[k]), channel);
        }
        c.here += 16;
        c.then += 16;
        c.after += 16;
        c.field += 48;
    }
#endif
    while (v < end)
        c.store(*v++);
    row.count = 0;
    cursor = c;
}

}  // namespace storage::detail
