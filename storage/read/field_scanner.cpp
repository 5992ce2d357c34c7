#include "storage/read/field_scanner.h"

#include <bit>
#include <cerrno>
#include <cstring>

#include "storage/read/field_ends.h"
#include "storage/read/wide_fields.h"

namespace storage::detail {

namespace {

bool isDigit(int c)
{
    return c >= '0' && c <= '9';
}

bool isBlank(int c)
{
    return c == ' ' || c == '\t';
}

FieldStatus statusAt(int c)
{
    return c == -1 ? FieldStatus::Truncated : c == -2 ? FieldStatus::ReadError : FieldStatus::NotNumber;
}

}  // namespace

std::ptrdiff_t ChunkSource::readInto(char* buffer, std::size_t capacity)
{
    if (pendingBytes_ == 0) {
        const std::ptrdiff_t n = next(pending_);
        if (n <= 0)
            return n;
        pendingBytes_ = std::size_t(n);
    }
    const std::size_t n = pendingBytes_ < capacity ? pendingBytes_ : capacity;
    std::memcpy(buffer, pending_, n);
    pending_ += n;
    pendingBytes_ -= n;
    return std::ptrdiff_t(n);
}

std::ptrdiff_t BytesSource::next(const char*& data)
{
    data = data_;
    const std::size_t n = size_;
    size_ = 0;
    if (n == 0 && failing_) {
        errno = err_;
        return -1;
    }
    return std::ptrdiff_t(n);
}

bool FieldScanner::refill()
{
    if (failed_)
        return false;
    base_ += std::uint64_t(end_ - chunk_);
    const char* data = nullptr;
    std::ptrdiff_t n = source_.next(data);
    if (n <= 0) {
        chunk_ = pos_ = end_;
        if (n < 0) {
            failed_ = true;
            readErrno_ = errno;
        }
        return false;
    }
    chunk_ = pos_ = data;
    end_ = data + n;
    return true;
}

FieldStatus FieldScanner::next(int& value)
{
    fieldStart_ = offset();
    int c = get();
    while (isBlank(c))
        c = get();

    const bool negative = c == '-';
    if (negative)
        c = get();
    if (!isDigit(c))
        return statusAt(c);

    // The magnitude may reach 2^31 only for a negative number.
    const std::uint32_t limit = negative ? 2147483648u : 2147483647u;
    std::uint32_t magnitude = 0;
    do {
        const std::uint32_t digit = std::uint32_t(c - '0');
        if (magnitude > (limit - digit) / 10)
            return FieldStatus::Overflow;
        magnitude = magnitude * 10 + digit;
        c = get();
    } while (isDigit(c));

    while (isBlank(c))
        c = get();
    if (c == '\r') {
        c = get();
        if (c != '\n' && c != kEnd)
            return statusAt(c);
    } else if (c != '\n' && c != ',' && c != kEnd) {
        return statusAt(c);
    }

    value = negative ? int(-std::int64_t(magnitude)) : int(magnitude);
    return FieldStatus::Ok;
}

// The bulk of a brain file: three fields per cell, hundreds of millions of
// them. Written by the program they are "d", "dd" or "ddd" and a line end, so
// the quick way takes 64 bytes at a time: one pass finds every line end in
// the block, and the fields between them are decoded independently of one
// another. Anything unusual (blanks, commas, signs, leading zeros, values
// above 255, errors, the last bytes of a chunk) goes through the general
// field reader one field at a time, which has the last word.

namespace {

// A field's digits are read four bytes at a time, so the last field of a
// block may reach 2 bytes past it.
constexpr std::ptrdiff_t kBlockReach = kClassifiedBlock + 4;

// The value of `len` (1..3) digits at p; p may be read four bytes far. The
// digits are spread into 16-bit lanes and one multiplication weighs them
// into lane 2; the bytes past the digits get weight 0 there, and digits never
// borrow in the subtraction, so the lanes used come out exact.
inline unsigned digitsValue(const char* p, unsigned len)
{
    static constexpr std::uint64_t weights[4] = {
        0, std::uint64_t(1) << 32, (std::uint64_t(10) << 32) | (std::uint64_t(1) << 16),
        (std::uint64_t(100) << 32) | (std::uint64_t(10) << 16) | 1};
    std::uint32_t u;
    std::memcpy(&u, p, 4);
    if constexpr (std::endian::native == std::endian::big)
        u = __builtin_bswap32(u);
    const std::uint64_t d = u - 0x30303030u;
    const std::uint64_t lanes = (d & 0xff) | ((d & 0xff00) << 8) | ((d & 0xff0000) << 16);
    return unsigned((lanes * weights[len]) >> 32) & 0xffff;
}

}  // namespace

FieldStatus FieldScanner::readFields(std::uint8_t* const planes[3], std::uint64_t base, std::uint64_t first,
                                     std::uint64_t count, CellStop& stop)
{
    // The cursor lives in locals here: the byte stores into the planes could
    // otherwise alias the members and force them through memory every field.
    auto place = [&](std::uint64_t f) { return planes[f % 3] + (f - base) / 3; };
    FieldCursor c{pos_, place(first), place(first + 1), place(first + 2), first};
    const char* begin = chunk_;
    const char* end = end_;
    const std::uint64_t fields = first + count;

    while (c.field < fields) {
        wideFields(c, begin, end, fields);
        if (c.field == fields)
            break;
        const char* p = c.p;
        if (end - p >= kBlockReach) {
            const BlockClasses k = classifyBlock(p);
            // Only digits and line ends; every field starts with a digit; and
            // the block ends its lines all with CR LF or all with LF alone
            // (a CR in the last byte belongs to a field finished later).
            const std::uint64_t lastByte = std::uint64_t(1) << 63;
            const bool plain = (k.digit | k.lf | k.cr) == ~std::uint64_t(0)
                && (((k.lf << 1) | 1) & ~k.digit) == 0;
            const bool crlf = (k.cr & ~lastByte) == (k.lf >> 1);
            if (plain && (crlf || k.cr == 0)) {
                const unsigned crBytes = crlf ? 1 : 0;
                std::uint64_t ends = k.lf;
                unsigned start = 0;
                while (ends != 0 && c.field < fields) {
                    const unsigned e = unsigned(std::countr_zero(ends));
                    const unsigned len = e - start - crBytes;
                    if (len > 3)
                        break;
                    const unsigned value = digitsValue(p + start, len);
                    if (value > 255)
                        break;
                    c.store(value);
                    ends &= ends - 1;
                    start = e + 1;
                }
                c.p = p + start;
                // A field the quick way refused (or a block without a line end)
                // is left to the general path below.
                if (start != 0 && (ends == 0 || c.field == fields))
                    continue;
            }
        }
        pos_ = c.p;
        int value = 0;
        FieldStatus status = next(value);
        if (status == FieldStatus::Ok && (value < 0 || value > 255))
            status = FieldStatus::OutOfRange;
        if (status != FieldStatus::Ok) {
            stop = CellStop{std::size_t(c.field / 3), int(c.field % 3), value, fieldStart(), readErrno()};
            return status;
        }
        c.store(unsigned(value));
        c.p = pos_;
        begin = chunk_;
        end = end_;
    }
    pos_ = c.p;
    return FieldStatus::Ok;
}

}  // namespace storage::detail
