#pragma once
// Splits brain-file text into numeric fields, chunk by chunk, so a file of any
// size is read through a buffer of a few MiB. A field is an optional '-' and
// one or more decimal digits, blanks allowed around them, ended by a comma or
// a line end (LF, or CR LF), or by the end of the text: a file whose last
// line end is missing still holds its last value.
#include <cstddef>
#include <cstdint>

namespace storage::detail {

// Where the bytes come from: one block of memory, or a file read in pieces.
class ChunkSource {
public:
    virtual ~ChunkSource() = default;
    // Points `data` at the next piece and returns its length: 0 at the end,
    // -1 when reading failed (errno tells why).
    virtual std::ptrdiff_t next(const char*& data) = 0;
    // Copies up to `capacity` of the next bytes into `buffer` and returns how
    // many: 0 at the end, -1 when reading failed (errno tells why).
    virtual std::ptrdiff_t readInto(char* buffer, std::size_t capacity);

private:
    const char* pending_ = nullptr;
    std::size_t pendingBytes_ = 0;
};

// Bytes already in memory, handed out whole; then the end, or (failing) a
// read that failed with errno `err`.
class BytesSource : public ChunkSource {
public:
    BytesSource(const char* data, std::size_t size, bool failing = false, int err = 0)
        : data_(data), size_(size), failing_(failing), err_(err)
    {
    }
    std::ptrdiff_t next(const char*& data) override;

private:
    const char* data_;
    std::size_t size_;
    bool failing_;
    int err_;
};

enum class FieldStatus { Ok, Truncated, NotNumber, Overflow, OutOfRange, ReadError };

// Where reading cells stopped: the cell and channel, the number found there
// on OutOfRange, the byte where that field starts, errno on ReadError.
struct CellStop {
    std::size_t cell = 0;
    int channel = 0;
    int value = 0;
    std::uint64_t fieldStart = 0;
    int readErrno = 0;
};

class FieldScanner {
public:
    explicit FieldScanner(ChunkSource& source) : source_(source) {}

    // Any field whose number fits an int.
    FieldStatus next(int& value);

    // Fields number `first` to first + count - 1 of the cells (red, green,
    // blue of cell 0, then of cell 1, ...) into the three planes, each a
    // value in 0..255; planes[c][0] takes channel c of cell base / 3 (base a
    // multiple of 3, at most first). The planes must hold zeros to begin
    // with: zero fields may be passed over. On failure `stop` says where; its
    // fieldStart counts from where this scanner began.
    FieldStatus readFields(std::uint8_t* const planes[3], std::uint64_t base, std::uint64_t first,
                           std::uint64_t count, CellStop& stop);

    // Hands over the bytes of the current piece not consumed yet, as if read.
    std::size_t takeRest(const char*& data)
    {
        data = pos_;
        const std::size_t n = std::size_t(end_ - pos_);
        pos_ = end_;
        return n;
    }

    // Bytes consumed so far, i.e. where the next field starts.
    std::uint64_t offset() const { return base_ + std::uint64_t(pos_ - chunk_); }
    // Where the field that last came back (or failed) started.
    std::uint64_t fieldStart() const { return fieldStart_; }
    // errno of the failed read behind ReadError.
    int readErrno() const { return readErrno_; }

private:
    static constexpr int kEnd = -1;
    static constexpr int kFailed = -2;

    int get()
    {
        if (pos_ == end_ && !refill())
            return failed_ ? kFailed : kEnd;
        return static_cast<unsigned char>(*pos_++);
    }
    bool refill();

    ChunkSource& source_;
    const char* chunk_ = nullptr;
    const char* pos_ = nullptr;
    const char* end_ = nullptr;
    std::uint64_t base_ = 0;
    std::uint64_t fieldStart_ = 0;
    bool failed_ = false;
    int readErrno_ = 0;
};

}  // namespace storage::detail
