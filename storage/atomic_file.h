#pragma once
// A file that takes its target's place only once it is complete: the bytes go
// to a temporary file in the target's folder, which is renamed over the target
// at commit. Until then, and after any failure, the target is untouched, and
// the temporary file is removed (or, where the system allows, never had a
// name, so not even a killed program leaves one behind). Where the folder
// cannot hold unnamed files, a killed save leaves its named one behind; the
// next save in that folder removes it.
#include <sys/stat.h>

#include <cstddef>
#include <string>

namespace storage::detail {

// Removes the temporary files that saves of processes no longer running left
// in `folder`. A file is left alone while its process runs or while any
// process holds the lock a save keeps on its temporary file (which also
// covers a process of another machine on a shared folder).
void removeAbandonedTemporaries(const std::string& folder);

// For tests: false makes saves take the named temporary file that folders
// without unnamed files get.
void allowUnnamedTemporaries(bool allowed);

class AtomicFile {
public:
    // durable: the data reaches the disk before the new file takes the old
    // one's place, and the rename is made to last as well.
    AtomicFile(std::string target, bool durable);
    ~AtomicFile();  // discards everything unless committed
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    bool open();
    // All `size` bytes, or false.
    bool write(const char* data, std::size_t size);
    bool commit();

    // Why the last call failed, in plain words.
    const std::string& error() const { return error_; }
    // The system's error number behind it, 0 when the refusal is our own.
    int systemError() const { return systemError_; }

private:
    bool fail(const std::string& what, int err);
    bool mayReplace(const struct stat& old);
    bool nameTemporary();
    void discard();

    std::string target_;
    std::string folder_;
    std::string tempName_;  // empty while the file has no name
    int fd_ = -1;
    bool durable_;
    bool unnamed_ = false;
    unsigned long long written_ = 0;
    std::string error_;
    int systemError_ = 0;
};

}  // namespace storage::detail
