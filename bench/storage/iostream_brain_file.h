#pragma once
// The baseline: a brain file written and read the plain way, with standard
// streams, formatted output and extraction, as a first version would do it.
#include <string>

#include "storage/format/brain_format.h"

namespace bench {

bool iostreamWrite(const std::string& path, const storage::BrainHeader& header, const brain::CellGrid& cells);
bool iostreamRead(const std::string& path, storage::LoadedBrain& out);

}  // namespace bench
