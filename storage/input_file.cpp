#include "storage/input_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

namespace storage {

Descriptor& Descriptor::operator=(Descriptor&& other) noexcept
{
    if (this != &other) {
        reset();
        fd_ = std::exchange(other.fd_, -1);
        owned_ = other.owned_;
    }
    return *this;
}

void Descriptor::reset()
{
    if (owned_ && fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

namespace {

// What a file that is neither a folder nor an ordinary file is, in words.
std::string notOrdinary(mode_t mode, bool standardInput)
{
    const char* const hint = standardInput ? " (- reads standard input)" : "";
    if (S_ISFIFO(mode))
        return std::string("it is a pipe, not an ordinary file") + hint;
    if (S_ISSOCK(mode))
        return "it is a socket, not an ordinary file";
    return std::string("it is a device, not an ordinary file") + hint;
}

}  // namespace

FileResult openInput(const std::string& path, const std::string& verb, OpenedInput& out, bool standardInput)
{
    out = OpenedInput{};
    if (standardInput && path == "-") {
        out.fd = Descriptor(STDIN_FILENO, false);
        out.name = "standard input";
    } else {
        // Non-blocking, so that opening a FIFO with no writer returns at once.
        out.fd = Descriptor(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK), true);
        if (out.fd.get() < 0) {
            const int err = errno;
            return refusal(verb, path, std::string("the file cannot be opened: ") + std::strerror(err), err);
        }
        out.name = path;
    }
    if (::fstat(out.fd.get(), &out.st) != 0) {
        const int err = errno;
        out.fd.reset();
        return refusal(verb, path, std::string("the file cannot be examined: ") + std::strerror(err), err);
    }
    if (S_ISDIR(out.st.st_mode)) {
        out.fd.reset();
        return refusal(verb, path, "it is a folder, not a file");
    }
    if (out.fd.owned()) {
        if (!S_ISREG(out.st.st_mode)) {
            out.fd.reset();
            return refusal(verb, path, notOrdinary(out.st.st_mode, standardInput));
        }
        ::fcntl(out.fd.get(), F_SETFL, ::fcntl(out.fd.get(), F_GETFL) & ~O_NONBLOCK);
    }
    return {true, {}};
}

}  // namespace storage
