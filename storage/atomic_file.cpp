#include "storage/atomic_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstring>
#include <system_error>
#include <thread>
#include <utility>

#include "storage/brain_file.h"

namespace storage::detail {

namespace {

constexpr int kNameAttempts = 100;
constexpr char kTemporaryPrefix[] = ".cerebrix-save-";
constexpr char kTemporarySuffix[] = ".tmp";

std::atomic<bool> unnamedAllowed{true};

// Hidden, and not ending in ".brain", so the load list never shows one even
// in the instant between naming it and renaming it. The process id tells a
// later save whether the one that made it still runs.
std::string temporaryName(const std::string& folder)
{
    static std::atomic<unsigned> counter{0};
    return folder + "/" + kTemporaryPrefix + std::to_string(::getpid()) + "-"
        + std::to_string(counter.fetch_add(1)) + kTemporarySuffix;
}

// The process id in a temporary file's name, or 0 for any other name.
pid_t temporaryOwner(const char* name)
{
    const std::size_t prefix = sizeof kTemporaryPrefix - 1, suffix = sizeof kTemporarySuffix - 1;
    const std::size_t length = std::strlen(name);
    if (length <= prefix + suffix || std::strncmp(name, kTemporaryPrefix, prefix) != 0
        || std::strcmp(name + length - suffix, kTemporarySuffix) != 0)
        return 0;
    const char* p = name + prefix;
    long long pid = 0;
    for (; *p >= '0' && *p <= '9' && pid <= INT_MAX; ++p)
        pid = pid * 10 + (*p - '0');
    if (*p++ != '-' || pid <= 0 || pid > INT_MAX)
        return 0;
    const char* digits = p;
    while (*p >= '0' && *p <= '9')
        ++p;
    return p > digits && p == name + length - suffix ? pid_t(pid) : 0;
}

bool processRuns(pid_t pid)
{
    return ::kill(pid, 0) == 0 || errno == EPERM;
}

// The file of a dead process, unless a live one holds its lock. A file that
// cannot be opened to ask is judged by its process alone.
void removeIfAbandoned(int folder, const char* name)
{
    const pid_t owner = temporaryOwner(name);
    if (owner == 0 || processRuns(owner))
        return;
    const int fd = ::openat(folder, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    struct stat opened {}, named {};
    if (fd >= 0) {
        const bool free = ::flock(fd, LOCK_EX | LOCK_NB) == 0 || errno != EWOULDBLOCK;
        const bool same = ::fstat(fd, &opened) == 0 && S_ISREG(opened.st_mode)
            && ::fstatat(folder, name, &named, AT_SYMLINK_NOFOLLOW) == 0 && named.st_ino == opened.st_ino
            && named.st_dev == opened.st_dev;
        if (free && same)
            (void)::unlinkat(folder, name, 0);
        ::close(fd);
    } else if (errno == EACCES && ::fstatat(folder, name, &named, AT_SYMLINK_NOFOLLOW) == 0
               && S_ISREG(named.st_mode)) {
        (void)::unlinkat(folder, name, 0);
    }
}

bool unnamedFilesUnsupported(int err)
{
    return err == EOPNOTSUPP || err == EISDIR || err == EINVAL;
}

}  // namespace

void removeAbandonedTemporaries(const std::string& folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    DIR* listing = ::fdopendir(fd);
    if (!listing) {
        ::close(fd);
        return;
    }
    while (const dirent* entry = ::readdir(listing))
        if (entry->d_name[0] == '.')
            removeIfAbandoned(fd, entry->d_name);
    ::closedir(listing);
}

void allowUnnamedTemporaries(bool allowed)
{
    unnamedAllowed = allowed;
}

AtomicFile::AtomicFile(std::string target, bool durable) : target_(std::move(target)), durable_(durable)
{
    const std::size_t slash = target_.rfind('/');
    folder_ = slash == std::string::npos ? "." : slash == 0 ? "/" : target_.substr(0, slash);
}

AtomicFile::~AtomicFile()
{
    discard();
}

// Replacing a file gives the new one a new identity: other names (hard
// links) of the old file would keep the old brain, and the new file would
// belong to whoever saves. Neither is what a user saving "over" a file
// expects, so both are refused; saving under another name always works.
bool AtomicFile::mayReplace(const struct stat& old)
{
    if (S_ISDIR(old.st_mode))
        return fail("a folder of that name is in the way", 0);
    // The rename could replace a write-protected file; a plain rewrite could
    // not, and the protection is the user's to lift.
    if (::access(target_.c_str(), W_OK) != 0) {
        const int err = errno;
        return fail("the existing file may not be written", err);
    }
    struct stat entry {};
    if (::lstat(target_.c_str(), &entry) != 0 || !S_ISREG(entry.st_mode))
        return true;  // a link is replaced, the file it leads to kept
    if (entry.st_nlink > 1)
        return fail("the existing file has " + std::to_string(entry.st_nlink - 1)
                        + " other name(s) (hard links), which would keep the old brain; save under another name",
                    0);
    if (entry.st_uid != ::geteuid())
        return fail("the existing file belongs to another user, and a save would make it yours; save under "
                    "another name",
                    0);
    return true;
}

bool AtomicFile::open()
{
    struct stat old {};
    const bool exists = ::stat(target_.c_str(), &old) == 0;
    // A name the file system cannot take is refused before anything is
    // written, not by the rename after the whole brain.
    if (!exists && errno != ENOENT) {
        const int err = errno;
        return fail("the name cannot be used", err);
    }
    if (exists && !mayReplace(old))
        return false;
    removeAbandonedTemporaries(folder_);

    // An unnamed file vanishes by itself if the program dies mid-write; it is
    // given a name only at commit, which needs /proc to refer to it.
    if (unnamedAllowed && ::access("/proc/self/fd", X_OK) == 0) {
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
    // Tells a later save, here or on another machine sharing the folder,
    // that this file is in use; the lock ends with the process.
    (void)::flock(fd_, LOCK_EX | LOCK_NB);

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

namespace {

void releaseInBackground(int fd)
{
    try {
        std::thread([fd] { ::close(fd); }).detach();
    } catch (const std::system_error&) {
        ::close(fd);  // no thread to be had: the caller pays, as it always did
    }
}

}  // namespace

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
    // Held across the rename, so that the old file's pages are given back
    // when this is closed, off the caller's thread: freeing hundreds of MiB
    // would otherwise hold up the window for as long as writing them took.
    const int previous = ::open(target_.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC);
    if (::rename(tempName_.c_str(), target_.c_str()) != 0) {
        const int err = errno;
        if (previous >= 0)
            ::close(previous);
        return fail("cannot put the new file in place of the old one", err);
    }
    tempName_.clear();
    if (previous >= 0)
        releaseInBackground(previous);

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
    systemError_ = err;
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

}  // namespace storage::detail

namespace storage {

void removeAbandonedSaves(const std::string& folder)
{
    detail::removeAbandonedTemporaries(folder);
}

}  // namespace storage
