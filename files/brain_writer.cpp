// Saving: the text is built in a buffer of a few MiB from a table of ready
// made records and handed to an AtomicFile, so a save is fast, needs little
// memory besides the brain, and never leaves a damaged file behind.
#include <array>
#include <charconv>
#include <cstring>
#include <memory>
#include <new>

#include "files/atomic_file.h"
#include "files/brain_file.h"
#include "files/brain_header.h"

namespace files {

namespace {

constexpr std::size_t kWriteChunk = std::size_t(4) << 20;
// Room past the flush mark: one cell (three records, at most 15 bytes) plus
// the 8-byte stores of the last record.
constexpr std::size_t kSlack = 64;

// The record of every cell value, "0\r\n" to "255\r\n", padded to 8 bytes so
// that each is copied with one store.
struct Record {
    char text[8];
    std::uint32_t length;
};

constexpr std::array<Record, 256> makeRecords()
{
    std::array<Record, 256> table{};
    for (int v = 0; v < 256; ++v) {
        Record& r = table[std::size_t(v)];
        int n = 0;
        if (v >= 100)
            r.text[n++] = char('0' + v / 100);
        if (v >= 10)
            r.text[n++] = char('0' + v / 10 % 10);
        r.text[n++] = char('0' + v % 10);
        r.text[n++] = '\r';
        r.text[n++] = '\n';
        r.length = std::uint32_t(n);
    }
    return table;
}

constexpr std::array<Record, 256> kRecords = makeRecords();

inline char* putRecord(char* out, std::uint8_t value)
{
    const Record& r = kRecords[value];
    std::memcpy(out, r.text, 8);
    return out + r.length;
}

FileResult refuse(const std::string& path, const std::string& why)
{
    return {false, "Cannot save \"" + path + "\": " + why + "."};
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

    std::unique_ptr<char[]> buffer(new (std::nothrow) char[kWriteChunk + kSlack]);
    if (!buffer)
        return refuse(path, "there is not enough memory to write it");
    detail::AtomicFile file(path, options.sync);
    if (!file.open())
        return refuse(path, file.error());

    char* const begin = buffer.get();
    char* const flushMark = begin + kWriteChunk;
    char* out = putHeader(begin, header);

    const std::uint8_t* red = cells.plane(brain::Red);
    const std::uint8_t* green = cells.plane(brain::Green);
    const std::uint8_t* blue = cells.plane(brain::Blue);
    const std::size_t count = cells.planeBytes();
    // The planes run x fastest, then y, then z: the file's own order.
    for (std::size_t i = 0; i < count; ++i) {
        out = putRecord(out, red[i]);
        out = putRecord(out, green[i]);
        out = putRecord(out, blue[i]);
        if (out >= flushMark) {
            if (!file.write(begin, std::size_t(out - begin)))
                return refuse(path, file.error());
            out = begin;
        }
    }
    if (!file.write(begin, std::size_t(out - begin)) || !file.commit())
        return refuse(path, file.error());
    return {true, {}};
}

}  // namespace files
