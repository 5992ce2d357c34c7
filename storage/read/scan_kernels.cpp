// Every field end (LF) in a block of 32 bytes gets its value from the bytes
// just before it, all at once: the units digit right before the line end,
// the tens and hundreds before that where they are digits. The values at the
// line ends are packed together, eight bytes of the block at a time, into a
// row of values in file order, which is then dealt out to the three planes
// 16 cells at a time. No branch depends on how many fields a block holds.
// Lines ended by CR LF, as the program writes them, need no digit tests in
// the lanes: the line end before a short field reads as leading zeros.
#include "storage/read/scan_kernels.h"

#include <array>
#include <cstring>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

#include "platform/cpu_features.h"

namespace storage::detail {

#if defined(__x86_64__)

namespace {

constexpr std::ptrdiff_t kBlock = 32;
// The block's fields may start up to this far before it (a line end of two
// bytes and three digits), and the byte before those is looked at too.
constexpr std::ptrdiff_t kLookBack = 6;
// "0\r\n" 48 times: 16 cells of zeros.
constexpr std::ptrdiff_t kZeroRun = 144;

// Values decoded and not yet stored, in file order.
struct Row {
    static constexpr unsigned kCapacity = 64 * 48;
    alignas(32) std::uint8_t values[kCapacity + 8];  // room for the 8-byte stores
    unsigned count = 0;
};

// For each set of marked bytes among eight, the shuffle that packs them to
// the front: their positions in order, then 0x80 for "none".
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
constexpr std::array<std::uint64_t, 256> kPacking = makePacking();

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

// Whether the bytes just before p are a CR LF line end.
inline bool followsLineEnd(const char* p)
{
    return p[-2] == '\r' && p[-1] == '\n';
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
__attribute__((target("avx2"))) inline bool zeroRun(const char* p)
{
    static constexpr char z[] = "0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n";
    const __m256i a = loadAt(z), b = loadAt(z + 2), c = loadAt(z + 1);
    __m256i same = _mm256_and_si256(_mm256_cmpeq_epi8(loadAt(p), a), _mm256_cmpeq_epi8(loadAt(p + 32), b));
    same = _mm256_and_si256(same, _mm256_cmpeq_epi8(loadAt(p + 64), c));
    same = _mm256_and_si256(same, _mm256_cmpeq_epi8(loadAt(p + 96), a));
    same = _mm256_and_si256(same, _mm256_cmpeq_epi8(loadAt(p + 112), loadAt(z + 16)));
    return maskOf(same) == 0xffffffffu;
}

// Stores the row's values from the cursor's field on, and empties the row.
__attribute__((target("avx2"))) inline void store(FieldCursor& cursor, Row& row)
{
    FieldCursor c = cursor;  // in registers: the byte stores could alias the caller's
    const std::uint8_t* v = row.values;
    const std::uint8_t* const end = v + row.count;
    while (v < end && c.field % 3 != 0)
        c.store(*v++);
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
    while (v < end)
        c.store(*v++);
    row.count = 0;
    cursor = c;
}

// The fields that end in the block at c.p, when all of them are plain, onto
// the row: false (and nothing taken) otherwise.
__attribute__((target("avx2,popcnt"))) inline bool block(FieldCursor& c, Row& row, std::uint64_t fields)
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

// The loop of wideFields, in one piece with the block's steps, so that the
// cursor and the row stay in registers.
__attribute__((target("avx2,popcnt"))) void fieldsAvx2(FieldCursor& c, const char* begin, const char* end,
                                                       std::uint64_t fields)
{
    Row row;
    for (;;) {
        if (end - c.p >= kZeroRun && startsZeroRun(c.p)) {
            store(c, row);
            while (end - c.p >= kZeroRun && fields - c.field >= 48 && zeroRun(c.p)) {
                c.p += kZeroRun;
                c.here += 16;
                c.then += 16;
                c.after += 16;
                c.field += 48;
            }
        }
        if (row.count > Row::kCapacity - kBlock)
            store(c, row);
        if (end - c.p < kBlock || c.p - begin < kLookBack || !block(c, row, fields))
            break;
    }
    store(c, row);
}

}  // namespace

void wideFields(FieldCursor& c, const char* begin, const char* end, std::uint64_t fields)
{
    if (int(platform::vectorWidth()) >= int(platform::VectorWidth::Avx2))
        fieldsAvx2(c, begin, end, fields);
}

#else

void wideFields(FieldCursor&, const char*, const char*, std::uint64_t) {}

#endif

// Field ends, 32 bytes at a time where the processor has AVX2.
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
