#include "storage/output/atomic_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <system_error>
#include <thread>
#include <utility>

#include "storage/file_calls.h"
#include "storage/output/commit_guards.h"
#include "storage/output/leftovers.h"

namespace storage::detail {

namespace {

constexpr int kNameAttempts = 100;

bool unnamedFilesUnsupported(int err)
{
    return err == EOPNOTSUPP || err == EISDIR || err == EINVAL;
}

void releaseInBackground(int fd)
{
    try {
        std::thread([fd] { ::close(fd); }).detach();
    } catch (const std::system_error&) {
        ::close(fd);  // no thread to be had: the caller pays, as it always did
    }
}

}  // namespace

AtomicFile::AtomicFile(std::string target, bool durable) : name_(std::move(target)), durable_(durable) {}

AtomicFile::~AtomicFile()
{
    discard();
}

bool AtomicFile::open(bool tidyFolder)
{
    if (toStandardOutput()) {
        fd_ = STDOUT_FILENO;
        return true;
    }
    // What killed writes left goes first: a backup of ours is no stranger's
    // hard link, and a commit cut short is undone before anything is judged.
    std::string busy;
    if (tidyFolder && !removeAbandonedTemporaries(targetFolder(name_), busy))
        return fail(busy, 0);
    // Refused before anything is written, not by the rename after the whole file.
    if (std::string problem = targetProblem(name_, target_); !problem.empty()) {
        fail(problem, 0);
        systemError_ = target_.systemError;
        return false;
    }
    const std::string& folder = target_.folder;

    // An unnamed file vanishes by itself if the program dies mid-write; it is
    // given a name only at commit.
    if (unnamedTemporariesAllowed()) {
        fd_ = storage::openUnnamedFile(folder);
        const int err = errno;
        if (fd_ >= 0)
            unnamed_ = true;
        else if (!unnamedFilesUnsupported(err))
            return fail("cannot create a file in the folder \"" + folder + "\"", err);
    }
    for (int attempt = 0; fd_ < 0 && attempt < kNameAttempts; ++attempt) {
        std::string name = hiddenName(folder, Kind::Temporary);
        fd_ = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        const int err = errno;
        if (fd_ >= 0)
            tempName_ = std::move(name);
        else if (err != EEXIST)
            return fail("cannot create a file in the folder \"" + folder + "\"", err);
    }
    if (fd_ < 0)
        return fail("cannot find a free temporary name in the folder \"" + folder + "\"", 0);
    // Tells a later save, here or on another machine sharing the folder,
    // that this file is in use; the lock ends with the process.
    (void)::flock(fd_, LOCK_EX | LOCK_NB);

    // A file the user made private stays private when it is replaced; the
    // set-user-ID and set-group-ID bits are not carried over to contents
    // nobody vetted as a program.
    if (target_.exists)
        (void)::fchmod(fd_, target_.mode & 0777);
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
        // Start the disk on what is written so far, so that the final flush
        // has little left to wait for. Only a hint: the flush checks all.
        if (durable_ && !toStandardOutput() && !hintsByHand_)
            storage::startWriteBack(fd_, written_, std::size_t(n));
        written_ += std::size_t(n);
        data += n;
        size -= std::size_t(n);
    }
    return true;
}

void AtomicFile::startWriteBack(unsigned long long from, std::size_t size) const
{
    if (fd_ >= 0 && !toStandardOutput())
        storage::startWriteBack(fd_, from, size);
}

bool AtomicFile::nameTemporary()
{
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        std::string name = hiddenName(target_.folder, Kind::Temporary);
        const int err = storage::nameUnnamedFile(fd_, name);
        if (err == 0) {
            tempName_ = std::move(name);
            return true;
        }
        if (err != EEXIST)
            return fail("cannot name the new file in the folder \"" + target_.folder + "\"", err);
    }
    return fail("cannot find a free temporary name in the folder \"" + target_.folder + "\"", 0);
}

bool AtomicFile::flush()
{
    if (flushed_)
        return true;
    if (durable_ && storage::syncData(fd_) != 0)
        return fail("the disk did not take the data", errno);
    if (::fstat(fd_, &sealedAs_) != 0)
        return fail("finishing the file failed", errno);
    flushed_ = true;
    return true;
}

bool AtomicFile::commit()
{
    if (toStandardOutput())
        return true;
    if (!flush())
        return false;
    FolderLock lock;
    std::string busy;
    if (!lock.lock(target_.folder, busy))
        return fail(busy, 0);
    const HeldSignals held;
    // Where nothing stands, the unnamed file takes the name itself: there
    // is no moment in which a kill could leave a hidden one.
    if (unnamed_ && !target_.exists) {
        const int err = storage::nameUnnamedFile(fd_, target_.path);
        if (err == 0) {
            ::close(fd_);
            fd_ = -1;
            sealed_ = true;
            syncFolder();
            return true;
        }
        if (err != EEXIST)  // a file that came meanwhile is replaced, as below
            return fail("cannot put the new file in place", err);
    }
    return seal() && place();
}

bool AtomicFile::seal()
{
    if (sealed_ || toStandardOutput())
        return true;
    if (!flush())
        return false;
    if (unnamed_ && !nameTemporary())
        return false;
    const int closed = ::close(fd_);
    const int closeErr = errno;
    fd_ = -1;
    if (closed != 0 && closeErr != EINTR)
        return fail("finishing the file failed", closeErr);
    sealed_ = true;
    return true;
}

bool AtomicFile::place()
{
    if (toStandardOutput())
        return true;
    const std::string& path = target_.path;
    // What came in the way since open (a FIFO, a device, a folder) is not
    // replaced either; a regular file is what open saw or a newer one.
    struct stat now {};
    if (::lstat(path.c_str(), &now) == 0 && !S_ISREG(now.st_mode))
        return fail("something other than a regular file came in the way", 0);
    // Held across the rename, so that the old file's pages are given back
    // when this is closed, off the caller's thread: freeing hundreds of MiB
    // would otherwise hold up the window for as long as writing them took.
    const int previous = storage::holdFile(path);
    if (::rename(tempName_.c_str(), path.c_str()) != 0) {
        const int err = errno;
        if (previous >= 0)
            ::close(previous);
        return fail("cannot put the new file in place of the old one", err);
    }
    tempName_.clear();
    if (previous >= 0)
        releaseInBackground(previous);

    syncFolder();
    return true;
}

// Makes the new name survive a power cut. The new file is complete and in
// place by now, so a folder that cannot be synced is no failure.
void AtomicFile::syncFolder() const
{
    if (!durable_)
        return;
    const int folder = ::open(target_.folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        (void)::fsync(folder);
        ::close(folder);
    }
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
    if (fd_ >= 0 && !toStandardOutput())
        ::close(fd_);
    fd_ = -1;
    if (!tempName_.empty())
        ::unlink(tempName_.c_str());
    tempName_.clear();
}

}  // namespace storage::detail
