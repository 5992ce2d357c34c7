#pragma once
// The threads of a load, the caller among them, take turns at reading the
// next piece of cell text and each decodes the piece it read into the grid,
// in its own cache, while another reads. Of the pieces that fail, the first
// in file order decides the outcome; later ones are then skipped.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "brain/cell_grid.h"
#include "storage/read/field_scanner.h"

namespace storage::detail {

// A thread's own buffer for the text it reads.
struct ReadBuffer {
    std::unique_ptr<char[]> data;
    std::size_t size = 0;
};

// Cell text that ends at a field end, and which fields it holds.
struct TextPiece {
    const char* data = nullptr;
    std::size_t bytes = 0;
    std::uint64_t first = 0, count = 0;
    std::uint64_t offset = 0;  // of its first byte in the file
};

class PieceSource {
public:
    // Called under the reading lock: the next piece, read into `own`, whose
    // bytes stay as they are until the same thread takes again; false when
    // there is none (the text ended, or reading or decoding failed).
    virtual bool take(ReadBuffer& own, TextPiece& piece) = 0;

protected:
    ~PieceSource() = default;
};

class LoadTurns {
public:
    // `helpers`: threads besides the caller; they start only with the second
    // piece, so a small text costs none. `progress` runs on the caller after
    // each of its turns at reading.
    LoadTurns(brain::CellGrid& grid, PieceSource& source, int helpers, const std::function<void()>& progress);
    ~LoadTurns();
    LoadTurns(const LoadTurns&) = delete;
    LoadTurns& operator=(const LoadTurns&) = delete;

    // Takes and decodes pieces until none is left; Ok, or the first failure.
    FieldStatus run(CellStop& stop);

    // For the source, under the reading lock:
    bool failed() const { return failedSeq_.load(std::memory_order_acquire) != kNone; }
    // Waits until no other thread is decoding; false when a piece failed.
    bool othersDone();
    // A fault the reading itself found, after every piece taken so far.
    void fail(FieldStatus status, const CellStop& stop);
    // One field's value into its cell; false when the memory is not there.
    bool put(std::uint64_t field, std::uint8_t value);

private:
    static constexpr std::uint64_t kNone = ~std::uint64_t(0);

    bool takeTurn(ReadBuffer& own, TextPiece& piece, std::uint64_t& seq, bool caller);
    void decode(const TextPiece& piece, std::uint64_t seq);
    void helper(std::size_t index);
    void record(std::uint64_t seq, FieldStatus status, const CellStop& stop);

    brain::CellGrid& grid_;
    PieceSource& source_;
    const std::function<void()>& progress_;
    std::vector<ReadBuffer> buffers_;  // the caller's first; kept to the end, the text left over may lie in any
    std::mutex reading_;
    std::uint64_t nextSeq_ = 0;  // under reading_
    std::mutex state_;
    std::condition_variable idle_;
    int decoding_ = 0;  // under state_
    std::atomic<std::uint64_t> failedSeq_{kNone};
    FieldStatus failure_ = FieldStatus::Ok;  // of piece failedSeq_, under state_
    CellStop failedAt_;
    std::vector<std::thread> threads_;
};

}  // namespace storage::detail
