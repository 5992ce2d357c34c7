// Every field end (LF) in a block of 32 bytes gets its value from the bytes
// just before it, all at once: the units digit right before the line end,
// the tens and hundreds before that where they are digits. The values at the
// line ends are then stored one by one in file order.
#include "files/wide_fields.h"

#include <cstring>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace files::detail {

#if defined(__x86_64__)

namespace {

constexpr std::ptrdiff_t kBlock = 32;
// The block's fields may start up to this far before it (a line end of two
// bytes and three digits), and the byte before those is looked at too.
constexpr std::ptrdiff_t kLookBack = 6;
// "0\r\n" 48 times: 16 cells of zeros.
constexpr std::ptrdiff_t kZeroRun = 144;

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

// Whether p starts with "0\r\n0\r\n0\r": one load, so that blocks of other
// values pay next to nothing for the zero runs.
inline bool startsZeroRun(const char* p)
{
    std::uint64_t head;
    std::memcpy(&head, p, 8);
    std::uint64_t want;
    std::memcpy(&want, "0\r\n0\r\n0\r", 8);
    return head == want;
}

// 48 zero fields with CR LF at p.
__attribute__((target("avx2"))) bool zeroRun(const char* p)
{
    static constexpr char z[] = "0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n";
    const __m256i a = loadAt(z), b = loadAt(z + 2), c = loadAt(z + 1);
    __m256i same = _mm256_and_si256(_mm256_cmpeq_epi8(loadAt(p), a), _mm256_cmpeq_epi8(loadAt(p + 32), b));
    same = _mm256_and_si256(same, _mm256_cmpeq_epi8(loadAt(p + 64), c));
    same = _mm256_and_si256(same, _mm256_cmpeq_epi8(loadAt(p + 96), a));
    same = _mm256_and_si256(same, _mm256_cmpeq_epi8(loadAt(p + 112), loadAt(z + 16)));
    return maskOf(same) == 0xffffffffu;
}

// The fields that end in the block at c.p, when all of them are plain: false
// (and nothing stored) otherwise.
__attribute__((target("avx2,bmi,bmi2,popcnt,lzcnt"))) bool block(FieldCursor& c, std::uint64_t fields)
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

    __m256i units, tens, hundreds, thousands;
    const __m256i unitIs = digitsOf(loadAt(p - e), units);
    const __m256i tenIs = digitsOf(loadAt(p - e - 1), tens);
    const __m256i hundredIs = _mm256_and_si256(tenIs, digitsOf(loadAt(p - e - 2), hundreds));
    const __m256i fourDigits = _mm256_and_si256(hundredIs, digitsOf(loadAt(p - e - 3), thousands));
    tens = _mm256_and_si256(tens, tenIs);
    hundreds = _mm256_and_si256(hundreds, hundredIs);
    // Above 255: more than 2 hundreds, or 2 and then more than 55.
    const __m256i two = _mm256_set1_epi8(2), five = _mm256_set1_epi8(5);
    const __m256i over = _mm256_or_si256(
        _mm256_cmpgt_epi8(hundreds, two),
        _mm256_and_si256(_mm256_cmpeq_epi8(hundreds, two),
                         _mm256_or_si256(_mm256_cmpgt_epi8(tens, five),
                                         _mm256_and_si256(_mm256_cmpeq_epi8(tens, five),
                                                          _mm256_cmpgt_epi8(units, five)))));
    if ((lf & (~maskOf(unitIs) | maskOf(fourDigits) | maskOf(over))) != 0)
        return false;  // an empty field, four digits or more, or above 255
    const unsigned count = unsigned(_mm_popcnt_u32(lf));
    if (c.field + count > fields)
        return false;

    // Times ten and times a hundred (mod 256, exact for values up to 255).
    const __m256i byTen = _mm256_setr_epi8(0, 10, 20, 30, 40, 50, 60, 70, 80, 90, 0, 0, 0, 0, 0, 0,  //
                                           0, 10, 20, 30, 40, 50, 60, 70, 80, 90, 0, 0, 0, 0, 0, 0);
    const __m256i byHundred = _mm256_setr_epi8(0, 100, -56, 44, -112, -12, 88, -68, 32, -124, 0, 0, 0, 0, 0, 0,  //
                                               0, 100, -56, 44, -112, -12, 88, -68, 32, -124, 0, 0, 0, 0, 0, 0);
    const __m256i value = _mm256_add_epi8(
        units, _mm256_add_epi8(_mm256_shuffle_epi8(byTen, tens), _mm256_shuffle_epi8(byHundred, hundreds)));
    alignas(32) std::uint8_t values[kBlock];
    _mm256_store_si256(reinterpret_cast<__m256i*>(values), value);
    // In locals: the byte stores could alias the cursor and force it through
    // memory at every field.
    std::uint8_t* here = c.here;
    std::uint8_t* then = c.then;
    std::uint8_t* after = c.after;
    for (unsigned ends = lf; ends != 0; ends = _blsr_u32(ends)) {
        *here = values[_tzcnt_u32(ends)];
        std::uint8_t* const next = here + 1;
        here = then;
        then = after;
        after = next;
    }
    c.here = here;
    c.then = then;
    c.after = after;
    c.field += count;
    c.p = p + kBlock - _lzcnt_u32(lf);
    return true;
}

}  // namespace

void wideFields(FieldCursor& c, const char* begin, const char* end, std::uint64_t fields)
{
    static const bool avx2 = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("bmi")
        && __builtin_cpu_supports("bmi2") && __builtin_cpu_supports("popcnt") && __builtin_cpu_supports("lzcnt");
    if (!avx2)
        return;
    for (;;) {
        while (end - c.p >= kZeroRun && fields - c.field >= 48 && startsZeroRun(c.p) && zeroRun(c.p)) {
            c.p += kZeroRun;
            c.here += 16;
            c.then += 16;
            c.after += 16;
            c.field += 48;
        }
        if (end - c.p < kBlock || c.p - begin < kLookBack || !block(c, fields))
            return;
    }
}

#else

void wideFields(FieldCursor&, const char*, const char*, std::uint64_t) {}

#endif

}  // namespace files::detail
