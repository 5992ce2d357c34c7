#pragma once
// Reading and writing .brain files: a header record of ten numbers, then one
// record per channel of every cell. A save never damages the file it replaces;
// a load either yields a complete, checked brain or nothing at all.
#include <cstddef>
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

// error: plain words naming the file and the reason, ready to show the user.
// systemError: the system's error number (errno) when the system refused a
// call, 0 when the file itself was refused; lets a caller tell the two apart.
struct FileResult {
    bool ok = false;
    std::string error;
    int systemError = 0;
};

struct WriteOptions {
    // Force the data to the disk before the new file takes the old one's place,
    // so that a power cut leaves either the old or the new file, never a hole.
    bool sync = true;
};

// Writes to a temporary file beside the target and renames it over the target
// only when every byte is written and flushed, by the rules of the one writer
// (output_file.h): a link is followed, what is not a regular file or may not
// be replaced faithfully is refused, "-" is standard output. On failure the
// old file is untouched and no temporary file remains. Refuses a header the
// reader would refuse and a grid whose size differs from the header's sizes.
FileResult writeBrainFile(const std::string& path, const BrainHeader& header,
                          const brain::CellGrid& cells, WriteOptions options = {},
                          const Progress& progress = {});

// Removes the temporary files that saves killed mid-write left in `folder`
// (where it cannot hold unnamed files), never one of a save still under way.
// Every save does this in its own folder; a program may also do it at start.
void removeAbandonedSaves(const std::string& folder);

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
