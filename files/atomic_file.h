#pragma once
// A file that takes its target's place only once it is complete: the bytes go
// to a temporary file in the target's folder, which is renamed over the target
// at commit. Until then, and after any failure, the target is untouched, and
// the temporary file is removed (or, where the system allows, never had a
// name, so not even a killed program leaves one behind).
#include <cstddef>
#include <string>

namespace files::detail {

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

private:
    bool fail(const std::string& what, int err);
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
};

}  // namespace files::detail
