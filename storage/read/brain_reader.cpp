// Loading: the header is read and checked, the file's length is weighed
// against the size it claims, and only then is a grid allocated and filled.
// Nothing reaches the caller unless the whole file was good.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <new>

#include "storage/read/brain_reader.h"
#include "storage/file_calls.h"
#include "storage/input_file.h"
#include "storage/format/brain_format.h"
#include "storage/read/cell_loader.h"
#include "storage/read/field_scanner.h"

namespace storage {

using detail::FieldScanner;
using detail::FieldStatus;

namespace {

// The first read, which holds the header: small, so that a file refused for
// its header costs next to nothing. The cells come in larger reads.
constexpr std::size_t kReadChunk = std::size_t(64) << 10;

class MemorySource : public detail::ChunkSource {
public:
    MemorySource(const char* data, std::size_t size) : data_(data), size_(size) {}
    std::ptrdiff_t next(const char*& data) override
    {
        data = data_;
        const std::size_t n = size_;
        size_ = 0;
        return std::ptrdiff_t(n);
    }

private:
    const char* data_;
    std::size_t size_;
};

class FileSource : public detail::ChunkSource {
public:
    FileSource(int fd, char* buffer) : fd_(fd), buffer_(buffer) {}
    std::ptrdiff_t next(const char*& data) override
    {
        data = buffer_;
        return readInto(buffer_, kReadChunk);
    }
    std::ptrdiff_t readInto(char* buffer, std::size_t capacity) override
    {
        ssize_t n;
        do
            n = ::read(fd_, buffer, capacity);
        while (n < 0 && errno == EINTR);
        return n;
    }

private:
    int fd_;
    char* buffer_;
};

FileResult refuse(const std::string& name, const std::string& why, int systemError = 0)
{
    return refusal("load", name, why, systemError);
}

std::string cellName(std::uint64_t index, int channel, int n)
{
    static const char* const channels[] = {"red", "green", "blue"};
    const std::uint64_t side = std::uint64_t(n);
    return std::string("the ") + channels[channel] + " value of cell (" + std::to_string(index % side)
        + ", " + std::to_string(index / side % side) + ", " + std::to_string(index / side / side) + ")";
}

std::string fieldProblem(FieldStatus status, const std::string& what, std::uint64_t fieldStart, int readErrno)
{
    switch (status) {
    case FieldStatus::Truncated:
        return "the file ends before " + what;
    case FieldStatus::Overflow:
        return what + " is too large a number";
    case FieldStatus::ReadError:
        return std::string("reading failed: ") + std::strerror(readErrno);
    default:
        return what + " (at byte " + std::to_string(fieldStart + 1)
            + ") is not a whole decimal number";
    }
}

// The byte at an offset of the text, or -1 past its end; only for messages.
using ByteAt = std::function<int(std::uint64_t)>;

// A field that is not a number is often a sign of a file that is not a brain
// file as written: said so, that tells the user more than the field's name.
std::string notNumberProblem(const ByteAt& byteAt, std::uint64_t fieldStart, const std::string& what)
{
    for (std::uint64_t at = fieldStart; at < fieldStart + 32; ++at) {
        const int c = byteAt(at);
        if (c == '\r' && byteAt(at + 1) != '\n')
            return "its lines end in CR alone (the first at byte " + std::to_string(at + 1)
                + "), but a brain file's lines end in CR LF or in LF";
        if (c == 0)
            return what + " (at byte " + std::to_string(at + 1)
                + ") is a zero byte, as where a file was never written out in full";
        if (c != '-' && c != ' ' && c != '\t' && (c < '0' || c > '9'))
            break;
    }
    return {};
}

// Its text would pass 6 EB; beyond it 6 n^3 would not fit 64 bits either.
constexpr int kLargestSize = 1000000;

// The least text a brain of side n can take: every cell field needs at least
// a digit and a line end or comma, but the last one, which the end of the
// file may end.
std::uint64_t leastCellBytes(int n)
{
    const std::uint64_t side = std::uint64_t(n);
    return 6 * side * side * side - 1;
}

FileResult parse(detail::ChunkSource& source, std::uint64_t totalBytes, const ByteAt& byteAt,
                 LoadedBrain& out, const std::string& name, const Progress& progress)
{
    out = LoadedBrain{};
    FieldScanner scanner(source);
    auto fieldRefusal = [&](FieldStatus status, const std::string& what, std::uint64_t fieldStart, int readErrno) {
        std::string problem;
        if (status == FieldStatus::NotNumber)
            problem = notNumberProblem(byteAt, fieldStart, what);
        return refuse(name, problem.empty() ? fieldProblem(status, what, fieldStart, readErrno) : problem,
                      status == FieldStatus::ReadError ? readErrno : 0);
    };

    BrainHeader header;
    for (int i = 0; i < detail::kHeaderFields; ++i) {
        const FieldStatus status = scanner.next(detail::headerField(header, i));
        if (status != FieldStatus::Ok)
            return fieldRefusal(status, detail::headerFieldName(i), scanner.fieldStart(), scanner.readErrno());
    }
    if (std::string problem = detail::headerProblem(header); !problem.empty())
        return refuse(name, problem);

    const int n = header.dimX;
    if (n > kLargestSize)
        return refuse(name, "its size " + std::to_string(n) + " is far larger than any brain file can hold");
    const std::uint64_t have = totalBytes > scanner.offset() ? totalBytes - scanner.offset() : 0;
    const std::uint64_t need = leastCellBytes(n);
    if (have < need)
        return refuse(name, "a brain of size " + std::to_string(n) + " needs at least "
                                + std::to_string(need) + " bytes of cell values, but the file holds only "
                                + std::to_string(have) + " after its header");
    // A file of the right length whose body was never written (a sparse or
    // preallocated file) says so before any memory is weighed or taken.
    if (byteAt(scanner.offset()) == 0)
        return refuse(name, notNumberProblem(byteAt, scanner.offset(), cellName(0, brain::Red, n)));
    std::unique_ptr<brain::CellGrid> grid = brain::CellGrid::allocate(n, brain::Pages::OnDemand);
    if (!grid)
        return refuse(name, "there is not enough memory for a brain of size " + std::to_string(n), ENOMEM);

    // The grid's pages arrive as its cells are written: a file refused part
    // way has cost no more memory than the cells it read.
    detail::CellStop stop;
    const FieldStatus status = detail::loadCells(scanner, source, *grid, stop, progress);
    if (status == FieldStatus::OutOfRange)
        return refuse(name, cellName(stop.cell, stop.channel, n) + " is " + std::to_string(stop.value)
                                + ", but it must lie in 0..255");
    if (status == FieldStatus::ReadError && stop.readErrno == ENOMEM)
        return refuse(name, "there is not enough memory for a brain of size " + std::to_string(n)
                                + " with the values it holds outside the pyramid");
    if (status != FieldStatus::Ok)
        return fieldRefusal(status, cellName(stop.cell, stop.channel, n), stop.fieldStart, stop.readErrno);
    // Whatever follows the last cell field is not part of the brain.
    out.header = header;
    out.cells = std::move(grid);
    return {true, {}};
}

}  // namespace

FileResult readBrainText(const char* data, std::size_t size, LoadedBrain& out,
                         const std::string& nameForMessages)
{
    const std::size_t length = data ? size : 0;
    MemorySource source(data, length);
    const ByteAt byteAt = [&](std::uint64_t at) { return at < length ? int(static_cast<unsigned char>(data[at])) : -1; };
    return parse(source, length, byteAt, out, nameForMessages, {});
}

namespace {

// The text from the descriptor's current offset on. A regular file's length
// is known, so a short one is refused before the grid is allocated and a
// message may look back at its bytes; a pipe or terminal is read as it
// comes, and no further than the brain's last cell.
FileResult readOpened(int fd, const struct stat& st, LoadedBrain& out, const std::string& name,
                      const Progress& progress)
{
    const bool regular = S_ISREG(st.st_mode);
    off_t start = regular ? ::lseek(fd, 0, SEEK_CUR) : 0;
    if (start < 0 || start > st.st_size)
        start = 0;
    if (regular)
        storage::adviseSequentialRead(fd, (unsigned long long)start);
    std::unique_ptr<char[]> buffer(new (std::nothrow) char[kReadChunk]);
    if (!buffer)
        return refuse(name, "there is not enough memory to read it", ENOMEM);
    FileSource source(fd, buffer.get());
    const ByteAt byteAt = [&](std::uint64_t at) {
        unsigned char c = 0;
        return regular && ::pread(fd, &c, 1, off_t(at) + start) == 1 ? int(c) : -1;
    };
    const std::uint64_t total = regular ? std::uint64_t(st.st_size - start) : UINT64_MAX;
    return parse(source, total, byteAt, out, name, progress);
}

}  // namespace

FileResult readBrainFile(const std::string& path, LoadedBrain& out, const Progress& progress)
{
    out = LoadedBrain{};
    OpenedInput input;
    if (FileResult opened = openInput(path, "load", input); !opened.ok)
        return opened;
    return readOpened(input.fd.get(), input.st, out, path, progress);
}

FileResult readBrainStream(int fd, LoadedBrain& out, const std::string& nameForMessages, const Progress& progress)
{
    out = LoadedBrain{};
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        const int err = errno;
        return refuse(nameForMessages, std::string("it cannot be examined: ") + std::strerror(err), err);
    }
    if (S_ISDIR(st.st_mode))
        return refuse(nameForMessages, "it is a folder, not a file");
    return readOpened(fd, st, out, nameForMessages, progress);
}

}  // namespace storage
