// Every field end (LF) in a block of 32 bytes gets its value from the bytes
// just before it, all at once: the units digit right before the line end,
// the tens and hundreds before that where they are digits. The values at the
// line ends are packed together, eight bytes of the block at a time, into a
// row of values in file order, which is then dealt out to the three planes.
// No branch depends on how many fields a block holds. Lines ended by CR LF,
// as the program writes them, need no digit tests in the lanes: the line end
// before a short field reads as leading zeros.
#include "storage/read/wide_fields32.h"

#if defined(__x86_64__)
#include <immintrin.h>
#endif

#include "storage/read/value_row.h"

namespace storage::detail {

#if defined(__x86_64__)

namespace {

constexpr std::ptrdiff_t kBlock = 32;

__attribute__((target("avx2"))) inline __m256i loadAt(const char* p)
{
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}

__attribute__((target("avx2"))) inline __m256i digitsOf(__m256i v, __m256i& value)
{
    value = _mm256_sub_epi8(v, _mm256_set1_epi8('0'));
    return _mm256_cmpeq_epi8(_mm256_min_epu8(value, _mm256_set1_epi8(9)), value);
}

__attribute__((target("avx2"))) inline unsigned maskOf(__m256i v)
{
    return unsigned(_mm256_movemask_epi8(v));
}

// Digit values 0 to 9 from their characters; the line end characters, and
// anything else below '0', read as 0.
__attribute__((target("avx2"))) inline __m256i fromDigits(__m256i v)
{
    return _mm256_subs_epu8(v, _mm256_set1_epi8('0'));
}

// The values of three digits' worth of lanes, modulo 256 (exact up to 255):
// each lane a digit value 0 to 9; other lanes come out as anything.
__attribute__((target("avx2"))) inline __m256i weigh(__m256i units, __m256i tens, __m256i hundreds)
{
    const __m256i byTen = _mm256_setr_epi8(0, 10, 20, 30, 40, 50, 60, 70, 80, 90, 0, 0, 0, 0, 0, 0,  //
                                           0, 10, 20, 30, 40, 50, 60, 70, 80, 90, 0, 0, 0, 0, 0, 0);
    const __m256i byHundred = _mm256_setr_epi8(0, 100, -56, 44, -112, -12, 88, -68, 32, -124, 0, 0, 0, 0, 0, 0,  //
                                               0, 100, -56, 44, -112, -12, 88, -68, 32, -124, 0, 0, 0, 0, 0, 0);
    return _mm256_add_epi8(units,
                           _mm256_add_epi8(_mm256_shuffle_epi8(byTen, tens), _mm256_shuffle_epi8(byHundred, hundreds)));
}

// The lanes whose value is above 255, from the hundreds digit and the value
// modulo 256: 3 hundreds or more, or 2 and a value that came round below 200.
__attribute__((target("avx2"))) inline __m256i above255(__m256i hundreds, __m256i value)
{
    const __m256i two = _mm256_set1_epi8(2);
    const __m256i cameRound = _mm256_cmpeq_epi8(_mm256_min_epu8(value, _mm256_set1_epi8(char(199))), value);
    return _mm256_or_si256(_mm256_cmpgt_epi8(hundreds, two), _mm256_and_si256(_mm256_cmpeq_epi8(hundreds, two), cameRound));
}

// 48 zero fields with CR LF at p.
__attribute__((target("avx2"))) inline bool zeroRun(const char* p)
{
    const char* const z = kZeroFields;
    const __m256i a = loadAt(z), b = loadAt(z + 2), c = loadAt(z + 1);
    __m256i same = _mm256_and_si256(_mm256_cmpeq_epi8(loadAt(p), a), _mm256_cmpeq_epi8(loadAt(p + 32), b));
    same = _mm256_and_si256(same, _mm256_cmpeq_epi8(loadAt(p + 64), c));
    same = _mm256_and_si256(same, _mm256_cmpeq_epi8(loadAt(p + 96), a));
    same = _mm256_and_si256(same, _mm256_cmpeq_epi8(loadAt(p + 112), loadAt(z + 16)));
    return maskOf(same) == 0xffffffffu;
}

// The fields that end in the block at c.p, when all of them are plain, onto
// the row: false (and nothing taken) otherwise.
__attribute__((target("avx2,popcnt"))) inline bool block(FieldCursor& c, ValueRow& row, std::uint64_t fields)
{
    const char* p = c.p;
    const __m256i v = loadAt(p);
    __m256i ignored;
    const unsigned lf = maskOf(_mm256_cmpeq_epi8(v, _mm256_set1_epi8('\n')));
    const unsigned cr = maskOf(_mm256_cmpeq_epi8(v, _mm256_set1_epi8('\r')));
    const unsigned digit = maskOf(digitsOf(v, ignored));
    if ((lf | cr | digit) != 0xffffffffu || lf == 0)
        return false;
    // All lines end with CR LF, or all with LF alone; a CR in the last byte
    // belongs to a field of the next block.
    int e;
    if (cr == 0)
        e = 1;
    else if (std::uint32_t(cr << 1) == lf)
        e = 2;
    else
        return false;

    __m256i value;
    std::uint32_t bad;  // line ends of fields that are empty, of four digits or more, or above 255
    if (e == 2 && followsLineEnd(p)) {
        // The byte before a field's first digit is a line end's LF, and the
        // one before that its CR: a digit that is not there reads as 0.
        const __m256i hundreds = fromDigits(loadAt(p - 4));
        value = weigh(fromDigits(loadAt(p - 2)), fromDigits(loadAt(p - 3)), hundreds);
        const std::uint32_t units = digit << 2, four = units & (digit << 3) & (digit << 4) & (digit << 5);
        bad = lf & (~units | four | maskOf(above255(hundreds, value)));
    } else {
        __m256i units, tens, hundreds, thousands;
        const __m256i unitIs = digitsOf(loadAt(p - e), units);
        const __m256i tenIs = digitsOf(loadAt(p - e - 1), tens);
        const __m256i hundredIs = _mm256_and_si256(tenIs, digitsOf(loadAt(p - e - 2), hundreds));
        const __m256i fourDigits = _mm256_and_si256(hundredIs, digitsOf(loadAt(p - e - 3), thousands));
        hundreds = _mm256_and_si256(hundreds, hundredIs);
        value = weigh(units, _mm256_and_si256(tens, tenIs), hundreds);
        bad = lf & (~maskOf(unitIs) | maskOf(fourDigits) | maskOf(above255(hundreds, value)));
    }
    if (bad != 0)
        return false;
    const unsigned count = unsigned(_mm_popcnt_u32(lf));
    if (c.field + row.count + count > fields)
        return false;

    const __m128i halves[2] = {_mm256_castsi256_si128(value), _mm256_extracti128_si256(value, 1)};
    std::uint8_t* out = row.values + row.count;
    for (int g = 0; g < 4; ++g) {
        const unsigned marked = lf >> (8 * g) & 0xff;
        // The second eight bytes of a half are numbered 8 to 15 in it.
        const std::uint64_t pick = kPacking[marked] + (g & 1 ? 0x0808080808080808u : 0);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out),
                         _mm_shuffle_epi8(halves[g >> 1], _mm_cvtsi64_si128(std::int64_t(pick))));
        out += _mm_popcnt_u32(marked);
    }
    row.count += count;
    c.p = p + kBlock - __builtin_clz(lf);  // just past the last line end
    return true;
}

}  // namespace

// In one piece with the block's steps, so that the cursor and the row stay
// in registers.
__attribute__((target("avx2,popcnt"))) void wideFields32(FieldCursor& c, const char* begin, const char* end,
                                                         std::uint64_t fields)
{
    ValueRow row;
    for (;;) {
        if (end - c.p >= kZeroRun && startsZeroRun(c.p)) {
            dealRow(c, row);
            while (end - c.p >= kZeroRun && fields - c.field >= 48 && zeroRun(c.p))
                passZeroRun(c);
        }
        if (row.count > ValueRow::kCapacity - kBlock)
            dealRow(c, row);
        if (end - c.p < kBlock || c.p - begin < kLookBack || !block(c, row, fields))
            break;
    }
    dealRow(c, row);
}

#else

void wideFields32(FieldCursor&, const char*, const char*, std::uint64_t) {}

#endif

}  // namespace storage::detail
