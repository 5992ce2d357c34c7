// The calling thread reads the file into a few buffers in turn and cuts each
// after its last field end; as every field, good or bad, ends at a line end
// or a comma, counting those tells which field a piece starts with before it
// is decoded. Worker threads decode the pieces into the grid, each piece on
// its own. A field longer than a whole buffer, and the bytes after the last
// field end, are left to the general field reader on the calling thread.
#include "files/cell_loader.h"

#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <limits>
#include <memory>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace files::detail {

namespace {

constexpr int kMostWorkers = 8;
constexpr std::uint64_t kNone = std::numeric_limits<std::uint64_t>::max();

struct FieldEnds {
    std::uint64_t count = 0;
    std::ptrdiff_t last = -1;
};

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

// How many field ends [p, p + n) holds, and where the last one is.
FieldEnds fieldEnds(const char* p, std::size_t n)
{
#if defined(__x86_64__)
    static const bool avx2 = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("popcnt");
    if (avx2)
        return fieldEndsAvx2(p, n);
#endif
    return fieldEndsTail(p, 0, n, FieldEnds{});
}

// Some bytes already in memory, then (when endsInFailure) a failed read.
class Bytes : public ChunkSource {
public:
    Bytes(const char* data, std::size_t size, bool endsInFailure = false, int err = 0)
        : data_(data), size_(size), fails_(endsInFailure), err_(err)
    {
    }
    std::ptrdiff_t next(const char*& data) override
    {
        data = data_;
        const std::size_t n = size_;
        size_ = 0;
        if (n == 0 && fails_) {
            errno = err_;
            return -1;
        }
        return std::ptrdiff_t(n);
    }

private:
    const char* data_;
    std::size_t size_;
    bool fails_;
    int err_;
};

class Loader {
public:
    Loader(ChunkSource& source, std::uint8_t* const planes[3], std::size_t cells, const std::function<void()>& progress,
           const LoadTuning& tuning)
        : source_(source), planes_{planes[0], planes[1], planes[2]}, total_(3 * std::uint64_t(cells)),
          progress_(progress), largest_(tuning.largestRead > 0 ? tuning.largestRead : 1),
          first_(tuning.firstRead > 0 && tuning.firstRead < largest_ ? tuning.firstRead : largest_)
    {
        const int cores = int(std::thread::hardware_concurrency());
        wantWorkers_ = tuning.workers >= 0 ? tuning.workers : cores > 0 ? cores : 1;
        if (wantWorkers_ > kMostWorkers)
            wantWorkers_ = kMostWorkers;
        slots_.resize(std::size_t(wantWorkers_ > 0 ? wantWorkers_ : 1) + 2);
    }

    ~Loader()
    {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            closing_ = true;
        }
        wake_.notify_all();
        for (std::thread& t : threads_)
            t.join();
    }

    FieldStatus run(FieldScanner& scanner, CellStop& stop);

private:
    struct Piece {
        const char* data = nullptr;
        std::size_t bytes = 0;
        std::uint64_t first = 0, count = 0, offset = 0, seq = 0;
    };
    struct Slot {
        std::unique_ptr<char[]> buffer;
        Piece piece;
        bool busy = false;
    };

    char* bufferOf(Slot& slot)
    {
        if (!slot.buffer)
            slot.buffer.reset(new (std::nothrow) char[largest_]);
        return slot.buffer.get();
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
    bool failed() const { return failedSeq_.load(std::memory_order_acquire) != kNone; }

    void submit(Slot& slot, const Piece& piece);
    void decode(const Piece& piece);
    void work();
    void startWorkers();
    void waitIdle(const Slot& slot);
    void waitAllIdle();
    FieldStatus fieldSoFar(const char* data, std::size_t bytes, std::uint64_t field, std::uint64_t offset,
                           CellStop& stop);
    FieldStatus longField(char* buffer, std::size_t bytes, std::uint64_t& field, std::uint64_t& offset,
                          const char*& carry, std::size_t& carryBytes, CellStop& stop);

    ChunkSource& source_;
    std::uint8_t* const planes_[3];
    const std::uint64_t total_;
    const std::function<void()>& progress_;
    const std::size_t largest_, first_;
    int wantWorkers_ = 0;
    const char* rest_ = nullptr;
    std::size_t restBytes_ = 0;
    std::unique_ptr<char[]> spare_;

    std::vector<Slot> slots_;
    std::uint64_t nextSeq_ = 0;
    std::mutex mutex_;
    std::condition_variable wake_, idle_;
    std::deque<Slot*> queue_;
    bool closing_ = false;
    bool triedWorkers_ = false;
    std::vector<std::thread> threads_;
    std::atomic<std::uint64_t> failedSeq_{kNone};
    FieldStatus failure_ = FieldStatus::Ok;  // of piece failedSeq_, under mutex_
    CellStop failedAt_;
};

void Loader::decode(const Piece& piece)
{
    if (piece.seq > failedSeq_.load(std::memory_order_acquire))
        return;  // an earlier piece decides the outcome
    Bytes bytes(piece.data, piece.bytes);
    FieldScanner scanner(bytes);
    CellStop stop;
    const FieldStatus status = scanner.readFields(planes_, piece.first, piece.count, stop);
    if (status == FieldStatus::Ok)
        return;
    stop.fieldStart += piece.offset;
    std::lock_guard<std::mutex> lock(mutex_);
    if (piece.seq < failedSeq_.load(std::memory_order_relaxed)) {
        failure_ = status;
        failedAt_ = stop;
        failedSeq_.store(piece.seq, std::memory_order_release);
    }
}

void Loader::work()
{
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        wake_.wait(lock, [&] { return closing_ || !queue_.empty(); });
        if (queue_.empty())
            return;
        Slot* slot = queue_.front();
        queue_.pop_front();
        lock.unlock();
        decode(slot->piece);
        lock.lock();
        slot->busy = false;
        idle_.notify_all();
    }
}

// Threads are started only once a second piece shows that the file is not
// small, and a system that will not start one leaves the work to the caller.
void Loader::startWorkers()
{
    triedWorkers_ = true;
    for (int i = 0; i < wantWorkers_; ++i) {
        try {
            threads_.emplace_back([this] { work(); });
        } catch (const std::system_error&) {
            break;
        }
    }
}

void Loader::submit(Slot& slot, const Piece& piece)
{
    if (!triedWorkers_ && piece.seq > 0)
        startWorkers();
    if (threads_.empty()) {
        decode(piece);
        return;
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        slot.piece = piece;
        slot.busy = true;
        queue_.push_back(&slot);
    }
    wake_.notify_one();
}

void Loader::waitIdle(const Slot& slot)
{
    std::unique_lock<std::mutex> lock(mutex_);
    idle_.wait(lock, [&] { return !slot.busy; });
}

void Loader::waitAllIdle()
{
    for (const Slot& slot : slots_)
        waitIdle(slot);
}

// What the general reader makes of the start of a field whose end has not
// been read yet: Truncated while it may still come out right.
FieldStatus Loader::fieldSoFar(const char* data, std::size_t bytes, std::uint64_t field, std::uint64_t offset,
                               CellStop& stop)
{
    Bytes start(data, bytes);
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
    planes_[field % 3][field / 3] = std::uint8_t(value);
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

    for (std::size_t turn = 0; field < total_ && !atEnd && !failed(); ++turn) {
        Slot& slot = slots_[turn % slots_.size()];
        waitIdle(slot);
        char* buffer = bufferOf(slot);
        if (!buffer) {
            readFailed = atEnd = true;
            readErrno = ENOMEM;
            break;
        }
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
            submit(slot, Piece{buffer, cut, field, count, offset, nextSeq_++});
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
                waitAllIdle();
                if (failed())
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

    waitAllIdle();
    if (failed()) {
        std::lock_guard<std::mutex> lock(mutex_);
        stop = failedAt_;
        return failure_;
    }
    if (field >= total_)
        return FieldStatus::Ok;
    // The text ended, or could not be read further, inside a field or
    // before one: the general reader tells which of the two.
    Bytes tail(carry, carryBytes, readFailed, readErrno);
    FieldScanner last(tail);
    int value = 0;
    const FieldStatus status = last.next(value);
    stop = CellStop{std::size_t(field / 3), int(field % 3), value, offset + last.fieldStart(), last.readErrno()};
    return status == FieldStatus::Ok ? FieldStatus::Truncated : status;
}

}  // namespace

FieldStatus loadCells(FieldScanner& scanner, ChunkSource& source, std::uint8_t* const planes[3], std::size_t cells,
                      CellStop& stop, const std::function<void()>& progress, const LoadTuning& tuning)
{
    Loader loader(source, planes, cells, progress, tuning);
    return loader.run(scanner, stop);
}

}  // namespace files::detail
