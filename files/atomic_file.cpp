#include "files/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <utility>

namespace files::detail {

namespace {

constexpr int kNameAttempts = 100;

// Hidden, and not ending in ".brain", so the load list never shows one even
// in the instant between naming it and renaming it.
std::string temporaryName(const std::string& folder)
{
    static std::atomic<unsigned> counter{0};
    return folder + "/.cerebrix-save-" + std::to_string(::getpid()) + "-"
        + std::to_string(counter.fetch_add(1)) + ".tmp";
}

bool unnamedFilesUnsupported(int err)
{
    return err == EOPNOTSUPP || err == EISDIR || err == EINVAL;
}

}  // namespace

AtomicFile::AtomicFile(std::string target, bool durable) : target_(std::move(target)), durable_(durable)
{
    const std::size_t slash = target_.rfind('/');
    folder_ = slash == std::string::npos ? "." : slash == 0 ? "/" : target_.substr(0, slash);
}

AtomicFile::~AtomicFile()
{
    discard();
}

bool AtomicFile::open()
{
    struct stat old {};
    const bool exists = ::stat(target_.c_str(), &old) == 0;
    if (exists && S_ISDIR(old.st_mode))
        return fail("a folder of that name is in the way", 0);
    // The rename could replace a write-protected file; a plain rewrite could
    // not, and the protection is the user's to lift.
    if (exists && ::access(target_.c_str(), W_OK) != 0) {
        const int err = errno;
        return fail("the existing file may not be written", err);
    }

    // An unnamed file vanishes by itself if the program dies mid-write; it is
    // given a name only at commit, which needs /proc to refer to it.
    if (::access("/proc/self/fd", X_OK) == 0) {
        fd_ = ::open(folder_.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
        const int err = errno;
        if (fd_ >= 0)
            unnamed_ = true;
        else if (!unnamedFilesUnsupported(err))
            return fail("cannot create a file in the folder \"" + folder_ + "\"", err);
    }
    for (int attempt = 0; fd_ < 0 && attempt < kNameAttempts; ++attempt) {
        std::string name = temporaryName(folder_);
        fd_ = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        const int err = errno;
        if (fd_ >= 0)
            tempName_ = std::move(name);
        else if (err != EEXIST)
            return fail("cannot create a file in the folder \"" + folder_ + "\"", err);
    }
    if (fd_ < 0)
        return fail("cannot find a free temporary name in the folder \"" + folder_ + "\"", 0);

    // A file the user made private stays private when it is replaced.
    if (exists && S_ISREG(old.st_mode))
        (void)::fchmod(fd_, old.st_mode & 07777);
    return true;
}

bool AtomicFile::write(const char* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd_, data, size);
        const int err = errno;
        if (n < 0 && err == EINTR)
            continue;
        if (n < 0)
            return fail("writing failed", err);
        if (n == 0)
            return fail("writing failed: the disk took no more data", 0);
#if defined(__linux__)
        // Start the disk on what is written so far, so that the final flush
        // has little left to wait for. Only a hint: the flush checks all.
        if (durable_)
            (void)::sync_file_range(fd_, off64_t(written_), off64_t(n), SYNC_FILE_RANGE_WRITE);
#endif
        written_ += std::size_t(n);
        data += n;
        size -= std::size_t(n);
    }
    return true;
}

bool AtomicFile::nameTemporary()
{
    const std::string self = "/proc/self/fd/" + std::to_string(fd_);
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        std::string name = temporaryName(folder_);
        if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
            tempName_ = std::move(name);
            return true;
        }
        const int err = errno;
        if (err != EEXIST)
            return fail("cannot name the new file in the folder \"" + folder_ + "\"", err);
    }
    return fail("cannot find a free temporary name in the folder \"" + folder_ + "\"", 0);
}

bool AtomicFile::commit()
{
    if (durable_ && ::fdatasync(fd_) != 0) {
        const int err = errno;
        return fail("the disk did not take the data", err);
    }
    if (unnamed_ && !nameTemporary())
        return false;
    const int closed = ::close(fd_);
    const int closeErr = errno;
    fd_ = -1;
    if (closed != 0 && closeErr != EINTR)
        return fail("finishing the file failed", closeErr);
    if (::rename(tempName_.c_str(), target_.c_str()) != 0) {
        const int err = errno;
        return fail("cannot put the new file in place of the old one", err);
    }
    tempName_.clear();

    // Make the rename itself survive a power cut. The new file is complete
    // and in place by now, so a folder that cannot be synced is no failure.
    if (durable_) {
        const int folder = ::open(folder_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (folder >= 0) {
            (void)::fsync(folder);
            ::close(folder);
        }
    }
    return true;
}

bool AtomicFile::fail(const std::string& what, int err)
{
    error_ = err != 0 ? what + ": " + std::strerror(err) : what;
    discard();
    return false;
}

void AtomicFile::discard()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    if (!tempName_.empty())
        ::unlink(tempName_.c_str());
    tempName_.clear();
}

}  // namespace files::detail
