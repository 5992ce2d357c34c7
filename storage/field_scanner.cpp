#include "storage/field_scanner.h"

#include <cerrno>
#include <cstring>

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

}  // namespace storage::detail
