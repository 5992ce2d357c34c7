#include "input_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "arguments.h"

namespace cli {

InputFile::InputFile(const std::string& path, const std::string& failure)
{
    const auto refuse = [&](const std::string& why) {
        if (owned_)
            ::close(fd_);
        // Worded as the reader words its own refusals, so that a name
        // refused here reads the same as one the reader refuses.
        throw Refusal(failure + " \"" + path + "\": " + why + ".");
    };
    if (path == "-") {
        fd_ = STDIN_FILENO;
        name_ = "standard input";
    } else {
        if (path.empty())
            throw Refusal(failure + ": the input file name is empty");
        // Non-blocking, so that opening a FIFO with no writer returns at once.
        fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
        if (fd_ < 0)
            refuse(std::string("the file cannot be opened: ") + std::strerror(errno));
        owned_ = true;
        name_ = path;
    }
    struct stat st {};
    if (::fstat(fd_, &st) != 0)
        refuse(std::string("the file cannot be examined: ") + std::strerror(errno));
    if (S_ISDIR(st.st_mode))
        refuse("it is a folder, not a file");
    if (S_ISREG(st.st_mode)) {
        const off_t at = ::lseek(fd_, 0, SEEK_CUR);
        length_ = at >= 0 && at <= st.st_size ? (long long)(st.st_size - at) : (long long)st.st_size;
    } else if (owned_) {
        refuse(S_ISFIFO(st.st_mode) ? "it is a pipe, not an ordinary file (- reads standard input)"
               : S_ISSOCK(st.st_mode) ? "it is a socket, not an ordinary file"
                                      : "it is a device, not an ordinary file (- reads standard input)");
    }
    if (owned_)
        ::fcntl(fd_, F_SETFL, ::fcntl(fd_, F_GETFL) & ~O_NONBLOCK);
}

InputFile::~InputFile()
{
    if (owned_ && fd_ >= 0)
        ::close(fd_);
}

}  // namespace cli
