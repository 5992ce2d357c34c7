#pragma once
// Shared by the brain-file tests and the fuzzer: a scratch folder, brains and
// brain texts made without the code under test, a comparison of brains, and a
// reader fed in pieces the way a file arrives.
#include <sys/stat.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string_view>
#include <vector>

#include "platform/cpu_features.h"
#include "storage/format/brain_format.h"
#include "storage/read/cell_loader.h"
#include "storage/read/brain_reader.h"
#include "storage/read/field_scanner.h"
#include "storage/write/brain_writer.h"
#include "tests/brain/grid_cells.h"
#include "tests/scratch_dir.h"

namespace storage::test {

namespace fs = std::filesystem;

using scratch::ScratchDir;

// Works in `folder` until it goes out of scope, an assertion failed or not.
struct InFolder {
    fs::path before = fs::current_path();
    explicit InFolder(const std::string& folder) { fs::current_path(folder); }
    ~InFolder()
    {
        std::error_code ignored;
        fs::current_path(before, ignored);
    }
};

inline std::string slurp(const std::string& path)
{
    std::ostringstream s;
    s << std::ifstream(path, std::ios::binary).rdbuf();
    return s.str();
}

// A number the system gives in one of its files by key, as /proc/self/io
// gives "rchar: 123"; -1 when it has none.
inline long long systemNumber(const std::string& file, const std::string& key)
{
    const std::string text = slurp(file);
    const std::size_t at = text.find(key + ":");
    return at == std::string::npos ? -1 : std::strtoll(text.c_str() + at + key.size() + 1, nullptr, 10);
}

// A regular file as a folder snapshot shows it: its mode and bytes, where
// bytes past a short text are kept as their length and a hash. A failed
// comparison prints both snapshots, and googletest's line diff of two
// multi-megabyte brains once grew a test past 20 GB.
inline std::string fileEntry(unsigned mode, const std::string& bytes)
{
    std::string entry = "file " + std::to_string(mode) + " ";
    if (bytes.size() <= 64)
        return entry + bytes;
    std::uint64_t hash = 14695981039346656037ull;  // FNV-1a
    for (const char c : bytes)
        hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    return entry + std::to_string(bytes.size()) + " bytes, hash " + std::to_string(hash) + ", starting " +
           bytes.substr(0, 8);
}

// Each entry of a folder by what it is: a regular file by fileEntry, a link
// by where it leads, anything else by its kind alone (so a FIFO is never
// opened).
inline std::map<std::string, std::string> folderSnapshot(const std::string& folder)
{
    std::map<std::string, std::string> out;
    for (const auto& e : fs::directory_iterator(folder)) {
        struct stat st {};
        const std::string path = e.path().string();
        ::lstat(path.c_str(), &st);
        std::string& what = out[e.path().filename().string()];
        if (S_ISREG(st.st_mode))
            what = fileEntry(st.st_mode & 07777, slurp(path));
        else if (S_ISLNK(st.st_mode))
            what = "link " + fs::read_symlink(path).string();
        else
            what = "kind " + std::to_string(st.st_mode & S_IFMT);
    }
    return out;
}

// The start-up header with all three sizes n.
inline BrainHeader sized(int n)
{
    return {.dimX = n, .dimY = n, .dimZ = n};
}

// A grid of side n holding every value 0..255, different in each channel,
// in every cell, those outside the pyramid included.
inline std::unique_ptr<brain::CellGrid> patternGrid(int n)
{
    auto grid = brain::CellGrid::allocate(n);
    for (int c = 0; c < 3; ++c)
        for (std::uint64_t i = 0; i < gridcells::count(*grid); ++i)
            gridcells::put(*grid, c, i, std::uint8_t(i * 37 + std::uint64_t(c) * 101 + std::uint64_t(n)));
    return grid;
}

// The brains of the fault-injection table: the one on disk, loaded, and the
// one saved over it.
constexpr int kLoadedSize = 80, kSavedSize = 90;
inline LoadedBrain sampleBrain(int n)
{
    return {{.dimX = n, .dimY = n, .dimZ = n, .drawRed = 1, .drawGreen = 2, .drawBlue = 3, .moverX = -4, .moverY = 5,
             .moverStepY = -1, .moverStepX = 1},
            patternGrid(n)};
}

// The header line, then the 3 n^3 cell fields, field i holding (250 + i) % 256
// so that values of one, two and three digits all occur; each ended by `eol`.
inline std::string brainText(const std::string& header, int n, const std::string& eol = "\r\n")
{
    std::string text = header + eol;
    for (int i = 0; i < 3 * n * n * n; ++i)
        text += std::to_string((250 + i) % 256) + eol;
    return text;
}

inline bool sameBrain(const LoadedBrain& a, const LoadedBrain& b)
{
    bool same = a.cells && b.cells && a.cells->size() == b.cells->size();
    for (int i = 0; same && i < detail::kHeaderFields; ++i)
        same = detail::headerField(a.header, i) == detail::headerField(b.header, i);
    return same && gridcells::same(*a.cells, *b.cells);
}

// Reads the fields of a brain as a file is read: `piece` bytes at a time into
// one reused buffer, so that fields and blocks split wherever a read may split
// them, and bytes past the piece just read are stale ones of the piece before.
// The cells go through buffers of `buffer` bytes and `workers` threads. The
// header's rules are not checked.
inline bool readInPieces(const char* data, std::size_t size, std::size_t piece, LoadedBrain& out,
                         std::size_t buffer = 64, int workers = 2)
{
    struct Pieces : detail::ChunkSource {
        std::string_view rest;
        std::vector<char> buffer;
        Pieces(std::string_view text, std::size_t bytes) : rest(text), buffer(bytes) {}
        std::ptrdiff_t next(const char*& d) override
        {
            const std::size_t n = rest.copy(buffer.data(), buffer.size());
            rest.remove_prefix(n);
            d = buffer.data();
            return std::ptrdiff_t(n);
        }
    } source({data, size}, piece);
    detail::FieldScanner scanner(source);
    for (int i = 0; i < detail::kHeaderFields; ++i)
        if (scanner.next(detail::headerField(out.header, i)) != detail::FieldStatus::Ok)
            return false;
    if (!(out.cells = brain::CellGrid::allocate(out.header.dimX)))
        return false;
    detail::CellStop stop;
    const detail::LoadTuning tuning{buffer / 4 + 1, buffer, workers};
    return detail::loadCells(scanner, source, *out.cells, stop, {}, tuning) == detail::FieldStatus::Ok;
}

// The reader's contract for any bytes whatever: a refusal names the file and
// hands over no grid; a brain fits its header and reads the same when the
// bytes arrive in pieces, as from a file. Empty when kept, else what broke.
inline std::string readerContractBroken(const char* data, std::size_t size)
{
    LoadedBrain whole, pieces, narrow;
    const FileResult r = readBrainText(data, size, whole, "fuzz.brain");
    // Read again 16 bytes at a time or without the quick paths, by the
    // length, it gives what the widest gave.
    if (platform::forceVectorWidth(size % 2 ? platform::VectorWidth::Simd16 : platform::VectorWidth::Baseline)) {
        const FileResult n = readBrainText(data, size, narrow, "fuzz.brain");
        platform::unforceVectorWidth();
        if (n.ok != r.ok || n.error != r.error || (r.ok && !sameBrain(narrow, whole)))
            return "another brain or refusal at " + std::to_string(size % 2 ? 16 : 1) + " bytes a time";
    }
    if (!r.ok)
        return whole.cells || r.error.find("\"fuzz.brain\"") == std::string::npos ? "a bad refusal: " + r.error : "";
    const BrainHeader& h = whole.header;
    if (!whole.cells || whole.cells->size() != h.dimX || h.dimX != h.dimY || h.dimY != h.dimZ || !r.error.empty())
        return "a brain that does not fit its header";
    // Threads only now and then, so that the fuzzer keeps its pace.
    const std::size_t last = static_cast<unsigned char>(data[size - 1]);
    const std::size_t piece = 1 + last % 97, buffer = 3 + last % 61;
    if (!readInPieces(data, size, piece, pieces, buffer, last % 8 == 0 ? 2 : 0) || !sameBrain(pieces, whole))
        return "a different brain when read in pieces of " + std::to_string(piece);
    return "";
}

}  // namespace storage::test
