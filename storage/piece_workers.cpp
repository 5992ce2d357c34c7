#include "storage/piece_workers.h"

#include "storage/cell_places.h"

#include <system_error>

namespace storage::detail {

PieceWorkers::PieceWorkers(brain::CellGrid& grid, int workers, std::size_t slots)
    : grid_(grid), wantWorkers_(workers), slots_(slots > 0 ? slots : 1)
{
}

PieceWorkers::~PieceWorkers()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        closing_ = true;
    }
    wake_.notify_all();
    for (std::thread& t : threads_)
        t.join();
}

void PieceWorkers::decode(const Piece& piece, std::uint64_t seq)
{
    if (seq > failedSeq_.load(std::memory_order_acquire))
        return;  // an earlier piece decides the outcome
    BytesSource bytes(piece.data, piece.bytes);
    FieldScanner scanner(bytes);
    CellStop stop;
    const FieldStatus status = readIntoGrid(scanner, grid_, piece.first, piece.count, stop);
    if (status == FieldStatus::Ok)
        return;
    stop.fieldStart += piece.offset;
    std::lock_guard<std::mutex> lock(mutex_);
    if (seq < failedSeq_.load(std::memory_order_relaxed)) {
        failure_ = status;
        failedAt_ = stop;
        failedSeq_.store(seq, std::memory_order_release);
    }
}

void PieceWorkers::work()
{
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        wake_.wait(lock, [&] { return closing_ || !queue_.empty(); });
        if (queue_.empty())
            return;
        Slot* slot = queue_.front();
        queue_.pop_front();
        lock.unlock();
        decode(slot->piece, slot->seq);
        lock.lock();
        slot->busy = false;
        idle_.notify_all();
    }
}

void PieceWorkers::submit(std::size_t index, const Piece& piece)
{
    const std::uint64_t seq = nextSeq_++;
    if (!triedWorkers_ && seq > 0) {
        triedWorkers_ = true;
        for (int i = 0; i < wantWorkers_; ++i) {
            try {
                threads_.emplace_back([this] { work(); });
            } catch (const std::system_error&) {
                break;  // fewer threads, or none: the caller decodes
            }
        }
    }
    if (threads_.empty()) {
        decode(piece, seq);
        return;
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        Slot& slot = slots_[index];
        slot.piece = piece;
        slot.seq = seq;
        slot.busy = true;
        queue_.push_back(&slot);
    }
    wake_.notify_one();
}

void PieceWorkers::waitIdle(std::size_t index)
{
    std::unique_lock<std::mutex> lock(mutex_);
    idle_.wait(lock, [&] { return !slots_[index].busy; });
}

void PieceWorkers::waitAllIdle()
{
    for (std::size_t i = 0; i < slots_.size(); ++i)
        waitIdle(i);
}

FieldStatus PieceWorkers::failure(CellStop& stop)
{
    std::lock_guard<std::mutex> lock(mutex_);
    stop = failedAt_;
    return failure_;
}

}  // namespace storage::detail
