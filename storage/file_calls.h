#pragma once
// The file calls that only Linux has, each in one function with a plain
// POSIX fallback, for the reader and the one writer: an unnamed file put in
// place only when complete, early write-back, read-ahead, holding a file.
#include <cstddef>
#include <string>

namespace storage {

// A new file without a name in `folder`, open for writing, which vanishes
// if the program dies before naming it; -1 with errno, EOPNOTSUPP where the
// system (or the folder: EISDIR, EINVAL) has no such files.
int openUnnamedFile(const std::string& folder);
// Gives an unnamed file the name `path` (which must not exist); 0 or errno.
int nameUnnamedFile(int fd, const std::string& path);

// Starts the disk on bytes [from, from + size) of `fd` and returns without
// waiting; only a hint, nothing where the system has no such call.
void startWriteBack(int fd, unsigned long long from, std::size_t size);

// Waits until what was written to `fd` is on the disk, leaving out what a
// later read does not need (time stamps) where the system can: 0, or -1
// with errno.
int syncData(int fd);

// Tells the system that `fd` will be read in order from `from` to its end;
// only a hint, nothing where the system has no such call.
void adviseSequentialRead(int fd, unsigned long long from);

// A descriptor that holds on to the file at `path` (a link is not followed),
// never read from, so that the file is not freed while it is open; -1
// when it cannot be had.
int holdFile(const std::string& path);

}  // namespace storage
