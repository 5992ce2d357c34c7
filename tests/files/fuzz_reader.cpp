// libFuzzer entry: any bytes given to the reader must come back either as a
// complete brain that fits its header, or as a refusal with a message and no
// grid; and a brain read whole must read the same when the bytes arrive in
// pieces, as from a file. Crashes, leaks and undefined behaviour are caught
// by the sanitizers.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "files/brain_file.h"
#include "files/brain_header.h"
#include "files/field_scanner.h"

namespace {

class PieceSource : public files::detail::ChunkSource {
public:
    PieceSource(const char* data, std::size_t size, std::size_t piece) : data_(data), size_(size), piece_(piece) {}
    std::ptrdiff_t next(const char*& data) override
    {
        const std::size_t n = std::min(piece_, size_ - at_);
        data = data_ + at_;
        at_ += n;
        return std::ptrdiff_t(n);
    }

private:
    const char* data_;
    std::size_t size_, piece_, at_ = 0;
};

void expectSameInPieces(const char* data, std::size_t size, const files::LoadedBrain& whole)
{
    using files::detail::FieldStatus;
    PieceSource source(data, size, 1 + std::size_t(static_cast<unsigned char>(data[size - 1])) % 97);
    files::detail::FieldScanner scanner(source);
    files::BrainHeader h;
    for (int i = 0; i < files::detail::kHeaderFields; ++i)
        if (scanner.next(files::detail::headerField(h, i)) != FieldStatus::Ok
            || files::detail::headerField(h, i) != files::detail::headerField(whole.header, i))
            std::abort();
    auto grid = brain::CellGrid::allocate(h.dimX);
    std::uint8_t* const planes[3] = {grid->plane(0), grid->plane(1), grid->plane(2)};
    files::detail::CellStop stop;
    if (scanner.readCells(planes, grid->planeBytes(), stop) != FieldStatus::Ok
        || std::memcmp(grid->plane(0), whole.cells->plane(0), 3 * grid->planeBytes()) != 0)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size)
{
    const char* data = reinterpret_cast<const char*>(bytes);
    files::LoadedBrain out;
    const files::FileResult r = files::readBrainText(data, size, out, "fuzz.brain");
    if (r.ok) {
        const files::BrainHeader& h = out.header;
        if (!out.cells || out.cells->size() != h.dimX || h.dimX != h.dimY || h.dimY != h.dimZ
            || !r.error.empty())
            std::abort();
        expectSameInPieces(data, size, out);
    } else if (out.cells || r.error.find("\"fuzz.brain\"") == std::string::npos) {
        std::abort();
    }
    return 0;
}
