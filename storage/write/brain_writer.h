#pragma once
// Saving .brain files through the one writer: a save never damages the file
// it replaces.
#include <string>

#include "storage/file_result.h"
#include "storage/format/brain_format.h"
#include "storage/output/output_file.h"

namespace storage {

// Writes to a temporary file beside the target and renames it over the target
// only when every byte is written and flushed, by the rules of the one writer
// (output/output_file.h): a link is followed, what is not a regular file or
// may not be replaced faithfully is refused, "-" is standard output. On
// failure the old file is untouched and no temporary file remains. Refuses a
// header the reader would refuse and a grid whose size differs from the
// header's sizes.
FileResult writeBrainFile(const std::string& path, const BrainHeader& header,
                          const brain::CellGrid& cells, WriteOptions options = {},
                          const Progress& progress = {});

}  // namespace storage
