#pragma once
// The one way an input is opened and checked, for the brain reader and
// cerebrix-cli alike: a name that must lead to an ordinary file (so that a
// FIFO or a device cannot hang a read or feed it without end), or, where a
// caller allows it, "-" for standard input, whatever that is.
#include <sys/stat.h>

#include <string>

#include "storage/file_result.h"

namespace storage {

// A file descriptor that is closed when it goes, unless it was borrowed.
class Descriptor {
public:
    Descriptor() = default;
    Descriptor(int fd, bool owned) : fd_(fd), owned_(owned) {}
    ~Descriptor() { reset(); }
    Descriptor(Descriptor&& other) noexcept : fd_(other.fd_), owned_(other.owned_) { other.fd_ = -1; }
    Descriptor& operator=(Descriptor&& other) noexcept;
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;

    int get() const { return fd_; }
    bool owned() const { return owned_; }
    void reset();

private:
    int fd_ = -1;
    bool owned_ = false;
};

struct OpenedInput {
    Descriptor fd;       // blocking, at the offset reading starts from
    struct stat st {};   // what it is
    std::string name;    // as messages name it: the path, or "standard input"
};

// Opens `path` for reading and checks what it is; a refusal "Cannot <verb>
// "path": why." otherwise. With `standardInput`, "-" takes standard input as
// it is and a named pipe or device is refused with a hint to use "-".
FileResult openInput(const std::string& path, const std::string& verb, OpenedInput& out,
                     bool standardInput = false);

}  // namespace storage
