#pragma once
// Reading .brain files: a load either yields a complete, checked brain or
// nothing at all.
#include <cstddef>
#include <string>

#include "storage/file_result.h"
#include "storage/format/brain_format.h"

namespace storage {

// Reads and checks the whole file into a new grid. On any problem `out` is
// left without cells and the result says why.
FileResult readBrainFile(const std::string& path, LoadedBrain& out, const Progress& progress = {});

// The same from an open descriptor, from where it stands: a file, or a pipe
// or terminal read no further than the brain's last cell. The descriptor
// stays open.
FileResult readBrainStream(int fd, LoadedBrain& out, const std::string& nameForMessages,
                           const Progress& progress = {});

// The same from memory; nameForMessages stands for the file in messages.
FileResult readBrainText(const char* data, std::size_t size, LoadedBrain& out,
                         const std::string& nameForMessages);

}  // namespace storage
