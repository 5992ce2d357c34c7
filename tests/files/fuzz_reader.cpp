// libFuzzer entry: any bytes given to the reader must come back either as a
// complete brain that fits its header, or as a refusal with a message and no
// grid; and a brain read whole must read the same when the bytes arrive in
// pieces, as from a file. Crashes, leaks and undefined behaviour are caught
// by the sanitizers.
#include "tests/files/brain_file_test_util.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size)
{
    const char* data = reinterpret_cast<const char*>(bytes);
    files::LoadedBrain whole, pieces;
    const files::FileResult r = files::readBrainText(data, size, whole, "fuzz.brain");
    if (!r.ok) {
        if (whole.cells || r.error.find("\"fuzz.brain\"") == std::string::npos)
            std::abort();
        return 0;
    }
    const files::BrainHeader& h = whole.header;
    if (!whole.cells || whole.cells->size() != h.dimX || h.dimX != h.dimY || h.dimY != h.dimZ || !r.error.empty())
        std::abort();
    // Threads only now and then, so that the fuzzer keeps its pace.
    const unsigned last = static_cast<unsigned char>(data[size - 1]);
    const std::size_t piece = 1 + last % 97, buffer = 3 + last % 61;
    if (!files::test::readInPieces(data, size, piece, pieces, buffer, last % 8 == 0 ? 2 : 0)
        || !files::test::sameBrain(pieces, whole))
        std::abort();
    return 0;
}
