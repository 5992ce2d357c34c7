// The calling thread reads the file into a few buffers in turn and cuts each
// after its last field end; counting the field ends tells which field a piece
// starts with before it is decoded, so worker threads decode the pieces into
// the grid independently. A field longer than a whole buffer, and the bytes
// after the last field end, are left to the general field reader on the
// calling thread.
#include "storage/cell_loader.h"

#include <cerrno>
#include <cstring>
#include <memory>
#include <new>
#include <thread>
#include <vector>

#include "storage/cell_places.h"
#include "storage/field_ends.h"
#include "storage/piece_workers.h"

namespace storage::detail {

namespace {

constexpr int kMostWorkers = 8;

std::uint64_t cubeCells(int n)
{
    return std::uint64_t(n) * std::uint64_t(n) * std::uint64_t(n);
}

int workersFor(const LoadTuning& tuning)
{
    const int cores = int(std::thread::hardware_concurrency());
    const int workers = tuning.workers >= 0 ? tuning.workers : cores > 0 ? cores : 1;
    return workers < kMostWorkers ? workers : kMostWorkers;
}

class Loader {
public:
    Loader(ChunkSource& source, brain::CellGrid& grid, const std::function<void()>& progress, const LoadTuning& tuning)
        : source_(source), grid_(grid), total_(3 * cubeCells(grid.size())),
          progress_(progress), largest_(tuning.largestRead > 0 ? tuning.largestRead : 1),
          first_(tuning.firstRead > 0 && tuning.firstRead < largest_ ? tuning.firstRead : largest_),
          buffers_(std::size_t(workersFor(tuning)) + 2), workers_(grid, workersFor(tuning), buffers_.size())
    {
    }

    FieldStatus run(FieldScanner& scanner, CellStop& stop);

private:
    // Slot `slot`'s buffer, at least `bytes` long: buffers grow with the
    // reads, so a small text never takes a large one.
    char* bufferOf(std::size_t slot, std::size_t bytes)
    {
        Buffer& b = buffers_[slot];
        if (b.size < bytes) {
            b.data.reset(new (std::nothrow) char[bytes]);
            b.size = b.data ? bytes : 0;
        }
        return b.data.get();
    }
    // The next bytes: first what the header's piece left, then the source's.
    std::ptrdiff_t fill(char* to, std::size_t capacity)
    {
        if (restBytes_ == 0)
            return source_.readInto(to, capacity);
        const std::size_t n = restBytes_ < capacity ? restBytes_ : capacity;
        std::memcpy(to, rest_, n);
        rest_ += n;
        restBytes_ -= n;
        return std::ptrdiff_t(n);
    }
    FieldStatus fieldSoFar(const char* data, std::size_t bytes, std::uint64_t field, std::uint64_t offset,
                           CellStop& stop);
    FieldStatus longField(char* buffer, std::size_t bytes, std::uint64_t& field, std::uint64_t& offset,
                          const char*& carry, std::size_t& carryBytes, CellStop& stop);

    ChunkSource& source_;
    brain::CellGrid& grid_;
    const std::uint64_t total_;
    const std::function<void()>& progress_;
    const std::size_t largest_, first_;
    const char* rest_ = nullptr;
    std::size_t restBytes_ = 0;
    struct Buffer {
        std::unique_ptr<char[]> data;
        std::size_t size = 0;
    };
    std::vector<Buffer> buffers_;  // one for each slot
    std::unique_ptr<char[]> spare_;
    PieceWorkers workers_;  // declared last, so its threads end before the buffers go
};

// What the general reader makes of the start of a field whose end has not
// been read yet: Truncated while it may still come out right.
FieldStatus Loader::fieldSoFar(const char* data, std::size_t bytes, std::uint64_t field, std::uint64_t offset,
                               CellStop& stop)
{
    BytesSource start(data, bytes);
    FieldScanner scanner(start);
    int value = 0;
    const FieldStatus status = scanner.next(value);
    if (status != FieldStatus::Truncated)
        stop = CellStop{std::size_t(field / 3), int(field % 3), value, offset + scanner.fieldStart(), 0};
    return status;
}

// A whole buffer without a field end: blanks or zeros in their millions, or
// no brain at all. The general reader takes this one field on its own.
FieldStatus Loader::longField(char* buffer, std::size_t bytes, std::uint64_t& field, std::uint64_t& offset,
                              const char*& carry, std::size_t& carryBytes, CellStop& stop)
{
    struct Onward : ChunkSource {
        Loader& loader;
        const char* first;
        std::size_t firstBytes;
        Onward(Loader& l, const char* f, std::size_t n) : loader(l), first(f), firstBytes(n) {}
        std::ptrdiff_t next(const char*& data) override
        {
            if (firstBytes > 0) {
                data = first;
                const std::size_t n = firstBytes;
                firstBytes = 0;
                return std::ptrdiff_t(n);
            }
            if (!loader.spare_)
                loader.spare_.reset(new (std::nothrow) char[loader.largest_]);
            if (!loader.spare_) {
                errno = ENOMEM;
                return -1;
            }
            data = loader.spare_.get();
            return loader.fill(loader.spare_.get(), loader.largest_);
        }
    } onward(*this, buffer, bytes);

    FieldScanner scanner(onward);
    int value = 0;
    FieldStatus status = scanner.next(value);
    if (status == FieldStatus::Ok && (value < 0 || value > 255))
        status = FieldStatus::OutOfRange;
    if (status != FieldStatus::Ok) {
        stop = CellStop{std::size_t(field / 3), int(field % 3), value, offset + scanner.fieldStart(),
                        scanner.readErrno()};
        return status;
    }
    if (!putField(grid_, field, std::uint8_t(value))) {
        stop = CellStop{std::size_t(field / 3), int(field % 3), value, offset, ENOMEM};
        return FieldStatus::ReadError;
    }
    ++field;
    offset += scanner.offset();
    carryBytes = scanner.takeRest(carry);
    return FieldStatus::Ok;
}

FieldStatus Loader::run(FieldScanner& scanner, CellStop& stop)
{
    std::uint64_t field = 0;
    std::uint64_t offset = scanner.offset();  // of the carry's first byte
    restBytes_ = scanner.takeRest(rest_);
    if (progress_)
        progress_();  // the grid may have taken a while to allocate
    const char* carry = nullptr;
    std::size_t carryBytes = 0;
    std::size_t want = first_;
    bool atEnd = false, readFailed = false;
    int readErrno = 0;

    for (std::size_t turn = 0; field < total_ && !atEnd && !workers_.failed(); ++turn) {
        const std::size_t slot = turn % workers_.slots();
        workers_.waitIdle(slot);
        char* buffer = bufferOf(slot, want > carryBytes ? want : carryBytes);
        if (!buffer) {
            readFailed = atEnd = true;
            readErrno = ENOMEM;
            break;
        }
        if (carryBytes > 0)
            std::memmove(buffer, carry, carryBytes);
        std::size_t bytes = carryBytes;
        while (bytes < want && !atEnd) {
            const std::ptrdiff_t n = fill(buffer + bytes, want - bytes);
            if (n < 0) {
                readFailed = true;
                readErrno = errno;
            }
            if (n <= 0)
                atEnd = true;
            else
                bytes += std::size_t(n);
        }
        if (progress_)
            progress_();

        const FieldEnds ends = fieldEnds(buffer, bytes);
        if (ends.count > 0) {
            const std::size_t cut = std::size_t(ends.last) + 1;
            const std::uint64_t left = total_ - field;
            const std::uint64_t count = ends.count < left ? ends.count : left;
            workers_.submit(slot, {buffer, cut, field, count, offset});
            field += count;
            offset += cut;
            carry = buffer + cut;
            carryBytes = bytes - cut;
        } else {
            carry = buffer;
            carryBytes = bytes;
            if (!atEnd) {
                // No field end yet: either a field so far out of the ordinary
                // that it is already wrong (zeros where the cells should be),
                // which is told now rather than after reading on, or a long one.
                workers_.waitAllIdle();
                if (workers_.failed())
                    break;
                if (const FieldStatus status = fieldSoFar(buffer, bytes, field, offset, stop);
                    status != FieldStatus::Truncated)
                    return status;
                if (bytes == largest_) {
                    const FieldStatus status = longField(buffer, bytes, field, offset, carry, carryBytes, stop);
                    if (status != FieldStatus::Ok)
                        return status;
                }
            }
        }
        want = want < largest_ / 2 ? want * 2 : largest_;
    }

    workers_.waitAllIdle();
    if (workers_.failed())
        return workers_.failure(stop);
    if (field >= total_ && !readFailed)
        return FieldStatus::Ok;
    if (field >= total_) {
        // Every cell arrived, but the disk failed on the read that would have
        // found the end: a file that cannot be read whole is not trusted.
        stop = CellStop{std::size_t((total_ - 1) / 3), int((total_ - 1) % 3), 0, offset, readErrno};
        return FieldStatus::ReadError;
    }
    // The text ended, or could not be read further, inside a field or
    // before one: the general reader tells which of the two.
    BytesSource tail(carry, carryBytes, readFailed, readErrno);
    FieldScanner last(tail);
    int value = 0;
    const FieldStatus status = last.next(value);
    stop = CellStop{std::size_t(field / 3), int(field % 3), value, offset + last.fieldStart(), last.readErrno()};
    return status == FieldStatus::Ok ? FieldStatus::Truncated : status;
}

}  // namespace

FieldStatus loadCells(FieldScanner& scanner, ChunkSource& source, brain::CellGrid& grid, CellStop& stop,
                      const std::function<void()>& progress, const LoadTuning& tuning)
{
    Loader loader(source, grid, progress, tuning);
    return loader.run(scanner, stop);
}

}  // namespace storage::detail
