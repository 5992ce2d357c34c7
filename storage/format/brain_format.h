#pragma once
// A brain as its file holds it: a header record of ten numbers, then one
// record per channel of every cell. The header's values by position, their
// names in messages, and the one set of rules both the reader and the writer
// hold them to.
#include <functional>
#include <memory>
#include <string>

#include "brain/cell_grid.h"

namespace storage {

// The header record's ten values, in file order.
struct BrainHeader {
    int dimX = 30, dimY = 30, dimZ = 30;
    int drawRed = 128, drawGreen = 128, drawBlue = 128;
    int moverX = 0, moverY = 0;
    int moverStepY = 1, moverStepX = 1;
};

struct LoadedBrain {
    BrainHeader header;
    std::unique_ptr<brain::CellGrid> cells;
};

// Called now and then, on the calling thread, while a file is read or
// written, e.g. to show that a long load is under way.
using Progress = std::function<void()>;

namespace detail {

constexpr int kHeaderFields = 10;

// Value number `index` (0..9, file order) of the header.
int& headerField(BrainHeader& header, int index);
int headerField(const BrainHeader& header, int index);

// How a message names that value, e.g. "the drawing colour's red component".
const char* headerFieldName(int index);

// Empty when the header is acceptable, otherwise the reason in plain words.
// Sizes must be equal and at least 2, colour components 0..255, directions
// 1 or -1; the mover's position may be any number.
std::string headerProblem(const BrainHeader& header);

}  // namespace detail

}  // namespace storage
