// Every thread, the caller among them, runs the same loop: under the reading
// lock it moves the bytes left after the last field end into its own buffer,
// reads on behind them and cuts after the new last field end; counting the
// field ends tells which field the piece starts with. Out of the lock it
// decodes the piece into the grid. A field longer than a whole buffer, and
// the bytes after the last field end, are left to the general field reader.
#include "storage/read/cell_loader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <new>
#include <thread>

#include "platform/system_calls.h"
#include "storage/read/cell_places.h"
#include "storage/read/field_ends.h"
#include "storage/read/load_turns.h"

namespace storage::detail {

namespace {

std::uint64_t cubeCells(int n)
{
    return std::uint64_t(n) * std::uint64_t(n) * std::uint64_t(n);
}

int workersFor(const LoadTuning& tuning)
{
    // Threads asked for by number (tests do) are granted up to the one cap.
    if (tuning.workers >= 0)
        return std::min(tuning.workers, platform::kMostThreads - 1);
    return platform::usableThreads() - 1;
}

class Loader : public PieceSource {
public:
    Loader(ChunkSource& source, brain::CellGrid& grid, const std::function<void()>& progress, const LoadTuning& tuning)
        : source_(source), total_(3 * cubeCells(grid.size())),
          largest_(tuning.largestRead > 0 ? tuning.largestRead : 1),
          want_(tuning.firstRead > 0 && tuning.firstRead < largest_ ? tuning.firstRead : largest_),
          turns_(grid, *this, workersFor(tuning), progress)
    {
    }

    FieldStatus run(FieldScanner& scanner, CellStop& stop);
    bool take(ReadBuffer& own, TextPiece& piece) override;

private:
    // `own`, at least `bytes` long, with the bytes left over at its start.
    // They may lie in `own` itself, when the same thread reads twice running.
    char* withCarry(ReadBuffer& own, std::size_t bytes)
    {
        if (own.size < bytes) {
            std::unique_ptr<char[]> grown(new (std::nothrow) char[bytes]);
            if (!grown)
                return nullptr;
            if (carryBytes_ > 0)
                std::memcpy(grown.get(), carry_, carryBytes_);
            own.data = std::move(grown);
            own.size = bytes;
        } else if (carryBytes_ > 0) {
            std::memmove(own.data.get(), carry_, carryBytes_);
        }
        carry_ = own.data.get();
        return own.data.get();
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
    FieldStatus fieldSoFar(const char* data, std::size_t bytes, CellStop& stop);
    FieldStatus longField(char* buffer, std::size_t bytes, CellStop& stop);

    // All that follows is the reading's, under the turns' reading lock.
    ChunkSource& source_;
    const std::uint64_t total_;
    const std::size_t largest_;
    std::size_t want_;
    const char* rest_ = nullptr;
    std::size_t restBytes_ = 0;
    std::uint64_t field_ = 0;
    std::uint64_t offset_ = 0;  // of the carry's first byte
    const char* carry_ = nullptr;
    std::size_t carryBytes_ = 0;
    bool atEnd_ = false, readFailed_ = false;
    int readErrno_ = 0;
    std::unique_ptr<char[]> spare_;
    LoadTurns turns_;  // declared last, so its threads end before the rest goes
};

// What the general reader makes of the start of a field whose end has not
// been read yet: Truncated while it may still come out right. The end of
// these bytes is not the end of the text, so a number that runs up to it is
// not finished either.
FieldStatus Loader::fieldSoFar(const char* data, std::size_t bytes, CellStop& stop)
{
    BytesSource start(data, bytes);
    FieldScanner scanner(start);
    int value = 0;
    FieldStatus status = scanner.next(value);
    if (status == FieldStatus::Ok)
        status = FieldStatus::Truncated;
    if (status != FieldStatus::Truncated)
        stop = CellStop{std::size_t(field_ / 3), int(field_ % 3), value, offset_ + scanner.fieldStart(), 0};
    return status;
}

// A whole buffer without a field end: blanks or zeros in their millions, or
// no brain at all. The general reader takes this one field on its own.
FieldStatus Loader::longField(char* buffer, std::size_t bytes, CellStop& stop)
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
        stop = CellStop{std::size_t(field_ / 3), int(field_ % 3), value, offset_ + scanner.fieldStart(),
                        scanner.readErrno()};
        return status;
    }
    if (!turns_.put(field_, std::uint8_t(value))) {
        stop = CellStop{std::size_t(field_ / 3), int(field_ % 3), value, offset_, ENOMEM};
        return FieldStatus::ReadError;
    }
    ++field_;
    offset_ += scanner.offset();
    carryBytes_ = scanner.takeRest(carry_);
    return FieldStatus::Ok;
}

bool Loader::take(ReadBuffer& own, TextPiece& piece)
{
    while (field_ < total_ && !atEnd_ && !turns_.failed()) {
        char* buffer = withCarry(own, want_ > carryBytes_ ? want_ : carryBytes_);
        if (!buffer) {
            readFailed_ = atEnd_ = true;
            readErrno_ = ENOMEM;
            return false;
        }
        std::size_t bytes = carryBytes_;
        while (bytes < want_ && !atEnd_) {
            const std::ptrdiff_t n = fill(buffer + bytes, want_ - bytes);
            if (n < 0) {
                readFailed_ = true;
                readErrno_ = errno;
            }
            if (n <= 0)
                atEnd_ = true;
            else
                bytes += std::size_t(n);
        }
        const bool wholeBuffer = bytes == largest_;
        want_ = want_ < largest_ / 2 ? want_ * 2 : largest_;

        const FieldEnds ends = fieldEnds(buffer, bytes);
        if (ends.count > 0) {
            const std::size_t cut = std::size_t(ends.last) + 1;
            const std::uint64_t left = total_ - field_;
            const std::uint64_t count = ends.count < left ? ends.count : left;
            piece = {buffer, cut, field_, count, offset_};
            field_ += count;
            offset_ += cut;
            carry_ = buffer + cut;
            carryBytes_ = bytes - cut;
            return true;
        }
        carryBytes_ = bytes;
        if (atEnd_)
            return false;
        // No field end yet: either a field so far out of the ordinary that it
        // is already wrong (zeros where the cells should be), which is told
        // now rather than after reading on, or a long one. Only once every
        // piece before it is decoded is it sure to be the first fault.
        if (!turns_.othersDone())
            return false;
        CellStop stop;
        if (FieldStatus status = fieldSoFar(buffer, bytes, stop); status != FieldStatus::Truncated) {
            turns_.fail(status, stop);
            return false;
        }
        if (wholeBuffer) {
            if (FieldStatus status = longField(buffer, bytes, stop); status != FieldStatus::Ok) {
                turns_.fail(status, stop);
                return false;
            }
        }
    }
    return false;
}

FieldStatus Loader::run(FieldScanner& scanner, CellStop& stop)
{
    offset_ = scanner.offset();
    restBytes_ = scanner.takeRest(rest_);
    if (const FieldStatus status = turns_.run(stop); status != FieldStatus::Ok)
        return status;
    if (field_ >= total_ && !readFailed_)
        return FieldStatus::Ok;
    if (field_ >= total_) {
        // Every cell arrived, but the disk failed on the read that would have
        // found the end: a file that cannot be read whole is not trusted.
        stop = CellStop{std::size_t((total_ - 1) / 3), int((total_ - 1) % 3), 0, offset_, readErrno_};
        return FieldStatus::ReadError;
    }
    // The text ended, or could not be read further, inside a field or
    // before one: the general reader tells which of the two. A field the
    // end of the text finished is whole, and it may be the brain's last.
    BytesSource tail(carry_, carryBytes_, readFailed_, readErrno_);
    FieldScanner last(tail);
    int value = 0;
    FieldStatus status = last.next(value);
    if (status == FieldStatus::Ok && (value < 0 || value > 255))
        status = FieldStatus::OutOfRange;
    if (status != FieldStatus::Ok) {
        stop = CellStop{std::size_t(field_ / 3), int(field_ % 3), value, offset_ + last.fieldStart(), last.readErrno()};
        return status;
    }
    if (!turns_.put(field_, std::uint8_t(value))) {
        stop = CellStop{std::size_t(field_ / 3), int(field_ % 3), value, offset_, ENOMEM};
        return FieldStatus::ReadError;
    }
    if (++field_ == total_)
        return FieldStatus::Ok;
    stop = CellStop{std::size_t(field_ / 3), int(field_ % 3), 0, offset_ + carryBytes_, 0};
    return FieldStatus::Truncated;
}

}  // namespace

FieldStatus loadCells(FieldScanner& scanner, ChunkSource& source, brain::CellGrid& grid, CellStop& stop,
                      const std::function<void()>& progress, const LoadTuning& tuning)
{
    Loader loader(source, grid, progress, tuning);
    return loader.run(scanner, stop);
}

}  // namespace storage::detail
