#pragma once
// A few threads that decode pieces of cell text into the grid, each piece on
// its own, in the order they are handed in. Of the pieces that fail, the
// first one handed in decides the outcome; later ones are then skipped.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include "brain/cell_grid.h"
#include "storage/field_scanner.h"

namespace storage::detail {

class PieceWorkers {
public:
    struct Piece {
        const char* data = nullptr;
        std::size_t bytes = 0;
        std::uint64_t first = 0, count = 0;  // the fields it holds
        std::uint64_t offset = 0;            // of its first byte in the file
    };

    // `slots`: how many pieces may be under way at once. Threads start only
    // with the second piece, so a small text costs none; with workers = 0,
    // or when no thread can be started, the caller decodes as it submits.
    PieceWorkers(brain::CellGrid& grid, int workers, std::size_t slots);
    ~PieceWorkers();
    PieceWorkers(const PieceWorkers&) = delete;
    PieceWorkers& operator=(const PieceWorkers&) = delete;

    std::size_t slots() const { return slots_.size(); }
    // Waits until slot `slot` is free (its piece's bytes may then be reused).
    void waitIdle(std::size_t slot);
    void waitAllIdle();
    // The piece's bytes must stay as they are until its slot is free again.
    void submit(std::size_t slot, const Piece& piece);

    bool failed() const { return failedSeq_.load(std::memory_order_acquire) != kNone; }
    // After waitAllIdle: how the first failed piece failed, and where.
    FieldStatus failure(CellStop& stop);

private:
    static constexpr std::uint64_t kNone = ~std::uint64_t(0);
    struct Slot {
        Piece piece;
        std::uint64_t seq = 0;
        bool busy = false;
    };

    void decode(const Piece& piece, std::uint64_t seq);
    void work();

    brain::CellGrid& grid_;
    const int wantWorkers_;
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

}  // namespace storage::detail
