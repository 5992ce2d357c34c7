#include "storage/format/brain_format.h"

namespace storage::detail {

namespace {

// Smaller brains have no layer above the input to compute.
constexpr int kSmallestSize = 2;

bool isDirection(int v)
{
    return v == 1 || v == -1;
}

}  // namespace

int& headerField(BrainHeader& h, int index)
{
    switch (index) {
    case 0: return h.dimX;
    case 1: return h.dimY;
    case 2: return h.dimZ;
    case 3: return h.drawRed;
    case 4: return h.drawGreen;
    case 5: return h.drawBlue;
    case 6: return h.moverX;
    case 7: return h.moverY;
    case 8: return h.moverStepY;
    default: return h.moverStepX;
    }
}

int headerField(const BrainHeader& h, int index)
{
    return headerField(const_cast<BrainHeader&>(h), index);
}

const char* headerFieldName(int index)
{
    static const char* const names[kHeaderFields] = {
        "the brain's width",
        "the brain's height",
        "the brain's depth",
        "the drawing colour's red component",
        "the drawing colour's green component",
        "the drawing colour's blue component",
        "the maze-mover's column",
        "the maze-mover's row",
        "the maze-mover's vertical direction",
        "the maze-mover's horizontal direction",
    };
    return index >= 0 && index < kHeaderFields ? names[index] : "a header value";
}

std::string headerProblem(const BrainHeader& h)
{
    if (h.dimX != h.dimY || h.dimY != h.dimZ)
        return "its sizes " + std::to_string(h.dimX) + ", " + std::to_string(h.dimY) + " and "
            + std::to_string(h.dimZ) + " differ, but a brain's three sizes must be equal";
    if (h.dimX < kSmallestSize)
        return "its size " + std::to_string(h.dimX) + " is below the smallest brain size, "
            + std::to_string(kSmallestSize);
    for (int i = 3; i <= 5; ++i) {
        const int v = headerField(h, i);
        if (v < 0 || v > 255)
            return std::string(headerFieldName(i)) + " is " + std::to_string(v)
                + ", but it must lie in 0..255";
    }
    for (int i = 8; i <= 9; ++i) {
        const int v = headerField(h, i);
        if (!isDirection(v))
            return std::string(headerFieldName(i)) + " is " + std::to_string(v)
                + ", but it must be 1 or -1";
    }
    return {};
}

}  // namespace storage::detail
