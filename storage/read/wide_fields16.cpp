// The 32-byte kernel's way (wide_fields32.cpp) in blocks of 16 bytes, with
// SSSE3's byte shuffles: WebAssembly's SIMD128 has each of these operations
// (its compiler maps them one for one), and on x86 they run natively, so
// the ordinary tests exercise the code the web page runs.
#include "storage/read/wide_fields16.h"

#include "platform/cpu_features.h"

#if defined(CEREBRIX_HAS_SIMD16)
#include <tmmintrin.h>
#endif

#include "storage/read/value_row.h"

namespace storage::detail {

#if defined(CEREBRIX_HAS_SIMD16)

namespace {

constexpr std::ptrdiff_t kBlock = 16;
constexpr unsigned kAll = 0xffffu;

CEREBRIX_SIMD16 inline __m128i loadAt(const char* p)
{
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

CEREBRIX_SIMD16 inline __m128i digitsOf(__m128i v, __m128i& value)
{
    value = _mm_sub_epi8(v, _mm_set1_epi8('0'));
    return _mm_cmpeq_epi8(_mm_min_epu8(value, _mm_set1_epi8(9)), value);
}

CEREBRIX_SIMD16 inline unsigned maskOf(__m128i v)
{
    return unsigned(_mm_movemask_epi8(v));
}

// Digit values 0 to 9 from their characters; the line end characters, and
// anything else below '0', read as 0.
CEREBRIX_SIMD16 inline __m128i fromDigits(__m128i v)
{
    return _mm_subs_epu8(v, _mm_set1_epi8('0'));
}

// The values of three digits' worth of lanes, modulo 256 (exact up to 255):
// each lane a digit value 0 to 9; other lanes come out as anything.
CEREBRIX_SIMD16 inline __m128i weigh(__m128i units, __m128i tens, __m128i hundreds)
{
    const __m128i byTen = _mm_setr_epi8(0, 10, 20, 30, 40, 50, 60, 70, 80, 90, 0, 0, 0, 0, 0, 0);
    const __m128i byHundred = _mm_setr_epi8(0, 100, -56, 44, -112, -12, 88, -68, 32, -124, 0, 0, 0, 0, 0, 0);
    return _mm_add_epi8(units, _mm_add_epi8(_mm_shuffle_epi8(byTen, tens), _mm_shuffle_epi8(byHundred, hundreds)));
}

// The lanes whose value is above 255, from the hundreds digit and the value
// modulo 256: 3 hundreds or more, or 2 and a value that came round below 200.
CEREBRIX_SIMD16 inline __m128i above255(__m128i hundreds, __m128i value)
{
    const __m128i two = _mm_set1_epi8(2);
    const __m128i cameRound = _mm_cmpeq_epi8(_mm_min_epu8(value, _mm_set1_epi8(char(199))), value);
    return _mm_or_si128(_mm_cmpgt_epi8(hundreds, two), _mm_and_si128(_mm_cmpeq_epi8(hundreds, two), cameRound));
}

// 48 zero fields with CR LF at p: each 16 bytes on starts one byte further
// into the pattern.
CEREBRIX_SIMD16 inline bool zeroRun(const char* p)
{
    const __m128i phase[3] = {loadAt(kZeroFields), loadAt(kZeroFields + 1), loadAt(kZeroFields + 2)};
    __m128i same = _mm_cmpeq_epi8(loadAt(p), phase[0]);
    for (int i = 1; i < 9; ++i)
        same = _mm_and_si128(same, _mm_cmpeq_epi8(loadAt(p + 16 * i), phase[i % 3]));
    return maskOf(same) == kAll;
}

// The fields that end in the block at c.p, when all of them are plain, onto
// the row: false (and nothing taken) otherwise.
CEREBRIX_SIMD16 inline bool block(FieldCursor& c, ValueRow& row, std::uint64_t fields)
{
    const char* p = c.p;
    const __m128i v = loadAt(p);
    __m128i ignored;
    const unsigned lf = maskOf(_mm_cmpeq_epi8(v, _mm_set1_epi8('\n')));
    const unsigned cr = maskOf(_mm_cmpeq_epi8(v, _mm_set1_epi8('\r')));
    const unsigned digit = maskOf(digitsOf(v, ignored));
    if ((lf | cr | digit) != kAll || lf == 0)
        return false;
    // All lines end with CR LF, or all with LF alone; a CR in the last byte
    // belongs to a field of the next block.
    int e;
    if (cr == 0)
        e = 1;
    else if (((cr << 1) & kAll) == lf)
        e = 2;
    else
        return false;

    __m128i value;
    unsigned bad;  // line ends of fields that are empty, of four digits or more, or above 255
    if (e == 2 && followsLineEnd(p)) {
        // The byte before a field's first digit is a line end's LF, and the
        // one before that its CR: a digit that is not there reads as 0.
        const __m128i hundreds = fromDigits(loadAt(p - 4));
        value = weigh(fromDigits(loadAt(p - 2)), fromDigits(loadAt(p - 3)), hundreds);
        const unsigned units = digit << 2, four = units & (digit << 3) & (digit << 4) & (digit << 5);
        bad = lf & (~units | four | maskOf(above255(hundreds, value)));
    } else {
        __m128i units, tens, hundreds, thousands;
        const __m128i unitIs = digitsOf(loadAt(p - e), units);
        const __m128i tenIs = digitsOf(loadAt(p - e - 1), tens);
        const __m128i hundredIs = _mm_and_si128(tenIs, digitsOf(loadAt(p - e - 2), hundreds));
        const __m128i fourDigits = _mm_and_si128(hundredIs, digitsOf(loadAt(p - e - 3), thousands));
        hundreds = _mm_and_si128(hundreds, hundredIs);
        value = weigh(units, _mm_and_si128(tens, tenIs), hundreds);
        bad = lf & (~maskOf(unitIs) | maskOf(fourDigits) | maskOf(above255(hundreds, value)));
    }
    if (bad != 0)
        return false;
    const unsigned count = unsigned(__builtin_popcount(lf));
    if (c.field + row.count + count > fields)
        return false;

    std::uint8_t* out = row.values + row.count;
    for (int g = 0; g < 2; ++g) {
        const unsigned marked = lf >> (8 * g) & 0xff;
        // The second eight bytes are numbered 8 to 15.
        const std::uint64_t pick = kPacking[marked] + (g ? 0x0808080808080808u : 0);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out), _mm_shuffle_epi8(value, _mm_set_epi64x(0, std::int64_t(pick))));
        out += __builtin_popcount(marked);
    }
    row.count += count;
    c.p = p + 32 - __builtin_clz(lf);  // just past the last line end
    return true;
}

}  // namespace

// In one piece with the block's steps, so that the cursor and the row stay
// in registers.
CEREBRIX_SIMD16 void wideFields16(FieldCursor& c, const char* begin, const char* end, std::uint64_t fields)
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

void wideFields16(FieldCursor&, const char*, const char*, std::uint64_t) {}

#endif

}  // namespace storage::detail
