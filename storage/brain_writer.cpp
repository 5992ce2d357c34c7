// Saving: worker threads turn runs of cells into text in a few buffers while
// the calling thread hands the finished ones, in order, to an AtomicFile. So
// a save goes at the pace of the writes, needs little memory besides the
// brain, and never leaves a damaged file behind.
#include <cerrno>
#include <charconv>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

#include "storage/atomic_file.h"
#include "storage/brain_file.h"
#include "storage/brain_header.h"
#include "storage/cell_text.h"
#include "storage/output_file.h"

namespace storage {

namespace {

// Cells per piece of text: about 1.4 MiB of it as the program's brains go.
constexpr std::size_t kPieceCells = std::size_t(1) << 17;
constexpr int kMostWorkers = 8;

// The text of the cells, piece by piece in file order, made ahead by worker
// threads (or, where none can be started, by the caller as it goes).
class CellPieces {
public:
    explicit CellPieces(const brain::CellGrid& cells)
        : grid_(cells), cells_(std::size_t(cells.size()) * std::size_t(cells.size()) * std::size_t(cells.size())),
          pieces_((cells_ + kPieceCells - 1) / kPieceCells)
    {
    }
    ~CellPieces()
    {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stop_ = true;
        }
        changed_.notify_all();
        for (std::thread& t : threads_)
            t.join();
    }

    // False when the memory for the buffers cannot be had.
    bool start()
    {
        const int cores = int(std::thread::hardware_concurrency());
        const int workers = pieces_ < 2 ? 0 : cores < 1 ? 1 : cores > kMostWorkers ? kMostWorkers : cores;
        slots_.resize(workers > 0 ? std::size_t(workers) + 2 : 1);
        const std::size_t most = cells_ < kPieceCells ? cells_ : kPieceCells;
        for (Slot& slot : slots_)
            if (!(slot.buffer = std::unique_ptr<char[]>(
                      new (std::nothrow) char[most * detail::kMostCellBytes + detail::kCellTextSlack])))
                return false;
        for (int i = 0; i < workers; ++i) {
            try {
                threads_.emplace_back([this] { work(); });
            } catch (const std::system_error&) {
                break;
            }
        }
        return true;
    }

    // Hands every piece in order to `take`, stopping at the first false.
    template <class Take>
    bool each(Take take)
    {
        for (std::size_t k = 0; k < pieces_; ++k) {
            Slot& slot = slots_[k % slots_.size()];
            if (threads_.empty()) {
                slot.bytes = make(k, slot.buffer.get());
            } else {
                std::unique_lock<std::mutex> lock(mutex_);
                changed_.wait(lock, [&] { return slot.piece == k; });
            }
            if (!take(slot.buffer.get(), slot.bytes)) {
                std::lock_guard<std::mutex> lock(mutex_);
                stop_ = true;
                changed_.notify_all();
                return false;
            }
            std::lock_guard<std::mutex> lock(mutex_);
            taken_ = k + 1;
            changed_.notify_all();
        }
        return true;
    }

private:
    static constexpr std::size_t kNoPiece = ~std::size_t(0);
    struct Slot {
        std::unique_ptr<char[]> buffer;
        std::size_t bytes = 0;
        std::size_t piece = kNoPiece;  // the piece the buffer holds, once made
    };

    // The text of piece k into `buffer`; its length. Cells in cube order,
    // stretch by stretch from the pyramid or from outside it.
    std::size_t make(std::size_t k, char* buffer) const
    {
        const std::size_t from = k * kPieceCells;
        const std::size_t to = cells_ - from < kPieceCells ? cells_ : from + kPieceCells;
        char* out = buffer;
        for (std::size_t cell = from; cell < to;) {
            const brain::CellGrid::Stretch s = grid_.stretchAt(cell);
            const std::size_t count = to - cell < s.cells ? to - cell : s.cells;
            const std::uint8_t* const planes[3] = {store(brain::Red, s.inPyramid), store(brain::Green, s.inPyramid),
                                                   store(brain::Blue, s.inPyramid)};
            out = planes[0] ? detail::cellText(planes, s.first, s.first + count, out)
                            : detail::zeroCellText(count, out);
            cell += count;
        }
        return std::size_t(out - buffer);
    }
    // Null for the cells outside the pyramid while all of them are 0.
    const std::uint8_t* store(int channel, bool inPyramid) const
    {
        return inPyramid ? grid_.pyramid(channel) : grid_.outside(channel);
    }

    void work()
    {
        std::unique_lock<std::mutex> lock(mutex_);
        for (;;) {
            // A piece's buffer is free once the piece a round before is taken.
            changed_.wait(lock, [&] { return stop_ || next_ >= pieces_ || next_ < taken_ + slots_.size(); });
            if (stop_ || next_ >= pieces_)
                return;
            const std::size_t k = next_++;
            Slot& slot = slots_[k % slots_.size()];
            slot.piece = kNoPiece;
            lock.unlock();
            const std::size_t bytes = make(k, slot.buffer.get());
            lock.lock();
            slot.bytes = bytes;
            slot.piece = k;
            changed_.notify_all();
        }
    }

    const brain::CellGrid& grid_;
    const std::size_t cells_, pieces_;
    std::vector<Slot> slots_;
    std::vector<std::thread> threads_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::size_t next_ = 0;   // the next piece a worker takes on
    std::size_t taken_ = 0;  // pieces handed on so far
    bool stop_ = false;
};

FileResult refuse(const std::string& path, const std::string& why, int systemError = 0)
{
    const std::string what = path == kStandardOutput ? "Cannot save the brain to standard output" : "Cannot save \"" + path + "\"";
    return {false, what + ": " + why + ".", systemError};
}

char* putHeader(char* out, const BrainHeader& header)
{
    for (int i = 0; i < detail::kHeaderFields; ++i) {
        if (i > 0)
            *out++ = ',';
        out = std::to_chars(out, out + 16, detail::headerField(header, i)).ptr;
    }
    *out++ = '\r';
    *out++ = '\n';
    return out;
}

}  // namespace

FileResult writeBrainFile(const std::string& path, const BrainHeader& header,
                          const brain::CellGrid& cells, WriteOptions options, const Progress& progress)
{
    const int n = cells.size();
    if (header.dimX != n || header.dimY != n || header.dimZ != n)
        return refuse(path, "the brain's cells are still of size " + std::to_string(n)
                                + "; generate the brain at its new size first");
    if (std::string problem = detail::headerProblem(header); !problem.empty())
        return refuse(path, problem);

    detail::AtomicFile file(path, options.sync);
    if (!file.open())
        return refuse(path, file.error(), file.systemError());
    CellPieces pieces(cells);
    if (!pieces.start())
        return refuse(path, "there is not enough memory to write it", ENOMEM);

    char head[16 * detail::kHeaderFields];
    const bool written = file.write(head, std::size_t(putHeader(head, header) - head))
        && pieces.each([&](const char* text, std::size_t bytes) {
               if (progress)
                   progress();
               return file.write(text, bytes);
           });
    if (written && progress)
        progress();  // flushing to the disk may take a while yet
    if (!written || !file.commit())
        return refuse(path, file.error(), file.systemError());
    return {true, {}};
}

}  // namespace storage
