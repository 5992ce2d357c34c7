// One loop for every thread: a turn at reading under the reading lock, then
// the decoding of what was read, outside it. While one thread reads, the
// others decode, so the reads, which must come one after another, never
// leave a core idle for long.
#include "storage/read/load_turns.h"

#include <system_error>

#include "storage/read/cell_places.h"

namespace storage::detail {

LoadTurns::LoadTurns(brain::CellGrid& grid, PieceSource& source, int helpers,
                     const std::function<void()>& progress)
    : grid_(grid), source_(source), progress_(progress), buffers_(std::size_t(helpers > 0 ? helpers : 0) + 1)
{
}

LoadTurns::~LoadTurns()
{
    for (std::thread& t : threads_)
        if (t.joinable())
            t.join();
}

bool LoadTurns::takeTurn(ReadBuffer& own, TextPiece& piece, std::uint64_t& seq, bool caller)
{
    bool taken = false;
    {
        std::lock_guard<std::mutex> lock(reading_);
        taken = source_.take(own, piece);
        if (taken) {
            seq = nextSeq_++;
            std::lock_guard<std::mutex> state(state_);
            ++decoding_;
        }
    }
    if (caller && progress_)
        progress_();
    return taken;
}

void LoadTurns::decode(const TextPiece& piece, std::uint64_t seq)
{
    if (seq < failedSeq_.load(std::memory_order_acquire)) {  // else an earlier piece decides
        BytesSource bytes(piece.data, piece.bytes);
        FieldScanner scanner(bytes);
        CellStop stop;
        const FieldStatus status = readIntoGrid(scanner, grid_, piece.first, piece.count, stop);
        if (status != FieldStatus::Ok) {
            stop.fieldStart += piece.offset;
            record(seq, status, stop);
        }
    }
    {
        std::lock_guard<std::mutex> state(state_);
        --decoding_;
    }
    idle_.notify_all();
}

void LoadTurns::record(std::uint64_t seq, FieldStatus status, const CellStop& stop)
{
    std::lock_guard<std::mutex> state(state_);
    if (seq < failedSeq_.load(std::memory_order_relaxed)) {
        failure_ = status;
        failedAt_ = stop;
        failedSeq_.store(seq, std::memory_order_release);
    }
}

bool LoadTurns::othersDone()
{
    std::unique_lock<std::mutex> state(state_);
    idle_.wait(state, [&] { return decoding_ == 0; });
    return failedSeq_.load(std::memory_order_relaxed) == kNone;
}

void LoadTurns::fail(FieldStatus status, const CellStop& stop)
{
    record(nextSeq_++, status, stop);
}

bool LoadTurns::put(std::uint64_t field, std::uint8_t value)
{
    return putField(grid_, field, value);
}

void LoadTurns::helper(std::size_t index)
{
    TextPiece piece;
    std::uint64_t seq = 0;
    while (takeTurn(buffers_[index], piece, seq, false))
        decode(piece, seq);
}

FieldStatus LoadTurns::run(CellStop& stop)
{
    TextPiece piece;
    std::uint64_t seq = 0;
    for (int turn = 0; takeTurn(buffers_[0], piece, seq, true); ++turn) {
        if (turn == 1) {
            for (std::size_t i = 1; i < buffers_.size(); ++i) {
                try {
                    threads_.emplace_back([this, i] { helper(i); });
                } catch (const std::system_error&) {
                    break;  // fewer helpers, or none: the caller reads on alone
                }
            }
        }
        decode(piece, seq);
    }
    for (std::thread& t : threads_)
        t.join();
    threads_.clear();
    if (!failed())
        return FieldStatus::Ok;
    std::lock_guard<std::mutex> state(state_);
    stop = failedAt_;
    return failure_;
}

}  // namespace storage::detail
