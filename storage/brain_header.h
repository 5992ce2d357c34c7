#pragma once
// The header record's ten values by position, their names in messages, and
// the one set of rules both the reader and the writer hold them to.
#include <string>

#include "storage/brain_file.h"

namespace storage::detail {

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

}  // namespace storage::detail
