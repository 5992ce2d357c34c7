#include "storage/file_calls.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "platform/system_calls.h"

namespace storage {

int openUnnamedFile(const std::string& folder)
{
#if defined(CEREBRIX_LINUX_CALLS)
    // Naming it later needs /proc to refer to it.
    if (::access("/proc/self/fd", X_OK) == 0)
        return ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
#else
    (void)folder;
#endif
    errno = EOPNOTSUPP;
    return -1;
}

int nameUnnamedFile(int fd, const std::string& path)
{
#if defined(CEREBRIX_LINUX_CALLS)
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    return ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) == 0 ? 0 : errno;
#else
    (void)fd;
    (void)path;
    return EOPNOTSUPP;
#endif
}

void startWriteBack(int fd, unsigned long long from, std::size_t size)
{
#if defined(CEREBRIX_LINUX_CALLS)
    (void)::sync_file_range(fd, off64_t(from), off64_t(size), SYNC_FILE_RANGE_WRITE);
#else
    (void)fd;
    (void)from;
    (void)size;
#endif
}

int syncData(int fd)
{
#if defined(CEREBRIX_LINUX_CALLS)
    return ::fdatasync(fd);
#else
    return ::fsync(fd);
#endif
}

void adviseSequentialRead(int fd, unsigned long long from)
{
#if defined(CEREBRIX_LINUX_CALLS)
    (void)::posix_fadvise(fd, off_t(from), 0, POSIX_FADV_SEQUENTIAL);
#else
    (void)fd;
    (void)from;
#endif
}

int holdFile(const std::string& path)
{
#if defined(CEREBRIX_LINUX_CALLS)
    return ::open(path.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC);
#else
    // Without O_PATH the file is opened for reading, which it may not allow:
    // then it is not held.
    return ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
#endif
}

}  // namespace storage
