// Saving: every thread, the caller among them, turns the next run of cells
// into text in its own buffer and then, when the text before it is written,
// hands it to an AtomicFile itself. The text is written from the cache of
// the core that made it, a save goes at the pace of the writes, needs little
// memory besides the brain, and never leaves a damaged file behind.
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

#include "storage/write/brain_writer.h"

#include "platform/system_calls.h"
#include "storage/output/atomic_file.h"
#include "storage/format/brain_format.h"
#include "storage/write/cell_text.h"
#include "storage/output/output_file.h"

namespace storage {

namespace {

// Cells per piece of text: about 1.4 MiB of it as the program's brains go.
constexpr std::size_t kPieceCells = std::size_t(1) << 17;

// The text of the cells, piece by piece, made on the caller and on helper
// threads alike and written in file order.
class CellPieces {
public:
    explicit CellPieces(const brain::CellGrid& cells)
        : grid_(cells), cells_(std::size_t(cells.size()) * std::size_t(cells.size()) * std::size_t(cells.size())),
          pieces_((cells_ + kPieceCells - 1) / kPieceCells)
    {
    }
    ~CellPieces() { finish(); }

    // False when the memory for the buffers cannot be had.
    bool start()
    {
        const int threads = pieces_ < 2 ? 1 : platform::usableThreads();
        const std::size_t most = cells_ < kPieceCells ? cells_ : kPieceCells;
        buffers_.resize(std::size_t(threads));
        for (auto& buffer : buffers_)
            if (!(buffer = std::unique_ptr<char[]>(
                      new (std::nothrow) char[most * detail::kMostCellBytes + detail::kCellTextSlack])))
                return false;
        return true;
    }

    // Hands every piece in file order to `write`, from whichever thread made
    // it, stopping at the first false, and then, while the next piece is
    // written, to `written` with where it began in the text; `progress` runs
    // on the caller after each piece it wrote.
    template <class Write, class Written>
    bool each(Write write, Written written, const Progress& progress)
    {
        auto piece = [&](std::size_t k, char* buffer) {
            const std::size_t bytes = make(k, buffer);
            if (!awaitTurn(k))
                return false;
            const std::uint64_t at = textBytes_;
            const bool ok = write(buffer, bytes);
            textBytes_ += bytes;
            passTurn(k, ok);
            if (ok)
                written(at, bytes);
            return ok;
        };
        auto turns = [this, &piece](char* buffer) {
            for (std::size_t k; (k = claim()) < pieces_;)
                if (!piece(k, buffer))
                    return;
        };
        for (std::size_t i = 1; i < buffers_.size(); ++i) {
            try {
                threads_.emplace_back([&turns, this, i] { turns(buffers_[i].get()); });
            } catch (const std::system_error&) {
                break;  // fewer helpers, or none: the caller makes the rest
            }
        }
        bool ok = true;
        for (std::size_t k; ok && (k = claim()) < pieces_;) {
            ok = piece(k, buffers_[0].get());
            if (progress)
                progress();
        }
        finish();
        return ok && !failed_;
    }

private:
    // The next piece to make, or pieces_ when none is left or a write failed.
    std::size_t claim()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return failed_ ? pieces_ : next_ < pieces_ ? next_++ : pieces_;
    }
    // Waits until piece k is the next to be written; false when a write failed.
    bool awaitTurn(std::size_t k)
    {
        std::unique_lock<std::mutex> lock(mutex_);
        turn_.wait(lock, [&] { return failed_ || written_ == k; });
        return !failed_;
    }
    void passTurn(std::size_t k, bool written)
    {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (!written)
                failed_ = true;
            else if (written_ == k)
                written_ = k + 1;
        }
        turn_.notify_all();
    }
    void finish()
    {
        for (std::thread& t : threads_)
            t.join();
        threads_.clear();
    }

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

    const brain::CellGrid& grid_;
    const std::size_t cells_, pieces_;
    std::vector<std::unique_ptr<char[]>> buffers_;  // the caller's first, then one for each helper
    std::vector<std::thread> threads_;
    std::mutex mutex_;
    std::condition_variable turn_;
    std::size_t next_ = 0;     // the next piece to make
    std::size_t written_ = 0;  // pieces written so far
    std::uint64_t textBytes_ = 0;  // their length, touched only in a turn
    bool failed_ = false;
};

FileResult refuse(const std::string& path, const std::string& why, int systemError = 0)
{
    return refusal(path == kStandardOutput ? "save the brain" : "save", path, why, systemError);
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
    const std::size_t headBytes = std::size_t(putHeader(head, header) - head);
    file.takeOverWriteBack();
    const bool written = file.write(head, headBytes)
        && pieces.each([&](const char* text, std::size_t bytes) { return file.write(text, bytes); },
                       [&](std::uint64_t at, std::size_t bytes) { file.startWriteBack(headBytes + at, bytes); },
                       progress);
    if (written && progress)
        progress();  // flushing to the disk may take a while yet
    if (!written || !file.commit())
        return refuse(path, file.error(), file.systemError());
    return {true, {}};
}

}  // namespace storage
