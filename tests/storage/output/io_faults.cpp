// A fault-injection layer for the file code's system calls, preloaded into a
// test driver with LD_PRELOAD, after SQLite's I/O-error tests. While armed it
// counts the calls below in order and makes one of them go wrong, as a full
// disk, a failing one or a network share may:
//   IO_FAULTS_AT=k       the k-th counted call (from 1) goes wrong; 0: none
//   IO_FAULTS_ERRNO=e    it fails with errno e (default EIO); with 0 a read
//                        or write moves only half its bytes instead
//   IO_FAULTS_ONLY=a,b   count only the calls of these names (default: all)
//   IO_FAULTS_SIGNAL=s   instead, signal s comes just before the k-th call,
//                        which then goes ahead (a Ctrl-C or a kill -9 there)
// The driver arms it through io_faults_arm() and reads io_faults_log(): a
// line per counted call, with its name and the file it concerns.
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <stdarg.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>

namespace {

bool armed = false;
long counted = 0;
std::string* callLog = nullptr;
// A save closes the file it replaced on a thread of its own: the count and
// the log are shared with it.
std::mutex counting;

long envNumber(const char* name, long otherwise)
{
    const char* v = std::getenv(name);
    return v && *v ? std::strtol(v, nullptr, 10) : otherwise;
}

bool counts(const char* name)
{
    const char* only = std::getenv("IO_FAULTS_ONLY");
    if (!only || !*only)
        return true;
    const std::string list = std::string(",") + only + ",";
    return list.find(std::string(",") + name + ",") != std::string::npos;
}

std::string fdPath(int fd)
{
    char link[64], path[4096];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    const ssize_t n = ::readlink(link, path, sizeof path - 1);
    return n > 0 ? std::string(path, std::size_t(n)) : "fd " + std::to_string(fd);
}

// Counts the call; true when it is the one to go wrong, with errno set.
bool strikes(const char* name, const std::string& file)
{
    if (!armed || !counts(name))
        return false;
    {
        const std::lock_guard<std::mutex> lock(counting);
        ++counted;
        if (!callLog)
            callLog = new std::string;
        *callLog += std::string(name) + " " + file + "\n";
        if (counted != envNumber("IO_FAULTS_AT", 0))
            return false;
    }
    if (const long signal = envNumber("IO_FAULTS_SIGNAL", 0)) {
        ::raise(int(signal));
        return false;
    }
    const int err = int(envNumber("IO_FAULTS_ERRNO", EIO));
    const bool moves = std::strcmp(name, "read") == 0 || std::strcmp(name, "write") == 0;
    if (err == 0 && !moves)
        return false;  // only a transfer can fall short
    errno = err;
    return true;
}

template <class F>
F real(const char* name)
{
    return reinterpret_cast<F>(::dlsym(RTLD_NEXT, name));
}

mode_t modeArg(int flags, va_list args)
{
    return (flags & O_CREAT) || (flags & O_TMPFILE) == O_TMPFILE ? mode_t(va_arg(args, unsigned)) : 0;
}

int openCommon(const char* name, int dirfd, const char* path, int flags, mode_t mode)
{
    if (strikes(name, path))
        return -1;
    using OpenAt = int (*)(int, const char*, int, ...);
    static const OpenAt openat = real<OpenAt>("openat");
    return openat(dirfd, path, flags, mode);
}

// Half the bytes when the fault is a short transfer, none when it is an error.
template <class F, class Buffer>
ssize_t transfer(const char* name, F realCall, int fd, Buffer buffer, size_t count)
{
    if (!strikes(name, fdPath(fd)))
        return realCall(fd, buffer, count);
    if (errno != 0)
        return -1;
    return realCall(fd, buffer, count > 1 ? count / 2 : count);
}

}  // namespace

extern "C" {

void io_faults_arm(bool on)
{
    armed = on;
}

const char* io_faults_log()
{
    return callLog ? callLog->c_str() : "";
}

int open(const char* path, int flags, ...)
{
    va_list args;
    va_start(args, flags);
    const mode_t mode = modeArg(flags, args);
    va_end(args);
    return openCommon("open", AT_FDCWD, path, flags, mode);
}

int openat(int dirfd, const char* path, int flags, ...)
{
    va_list args;
    va_start(args, flags);
    const mode_t mode = modeArg(flags, args);
    va_end(args);
    return openCommon("open", dirfd, path, flags, mode);
}

int __open_2(const char* path, int flags)
{
    return openCommon("open", AT_FDCWD, path, flags, 0);
}

// The 64-bit names are the same calls on a 64-bit system.
int open64(const char* path, int flags, ...) __attribute__((alias("open")));
int openat64(int dirfd, const char* path, int flags, ...) __attribute__((alias("openat")));
int __open64_2(const char* path, int flags) __attribute__((alias("__open_2")));

ssize_t read(int fd, void* buffer, size_t count)
{
    static const auto realRead = real<ssize_t (*)(int, void*, size_t)>("read");
    return transfer("read", realRead, fd, buffer, count);
}

ssize_t write(int fd, const void* buffer, size_t count)
{
    static const auto realWrite = real<ssize_t (*)(int, const void*, size_t)>("write");
    return transfer("write", realWrite, fd, buffer, count);
}

int fdatasync(int fd)
{
    static const auto realSync = real<int (*)(int)>("fdatasync");
    return strikes("fdatasync", fdPath(fd)) ? -1 : realSync(fd);
}

int fsync(int fd)
{
    static const auto realSync = real<int (*)(int)>("fsync");
    return strikes("fsync", fdPath(fd)) ? -1 : realSync(fd);
}

// The descriptor is gone after a failed close too, as on Linux.
int close(int fd)
{
    static const auto realClose = real<int (*)(int)>("close");
    if (!strikes("close", fdPath(fd)))
        return realClose(fd);
    const int err = errno;
    realClose(fd);
    errno = err;
    return -1;
}

int linkat(int fromDir, const char* from, int toDir, const char* to, int flags)
{
    static const auto realLink = real<int (*)(int, const char*, int, const char*, int)>("linkat");
    return strikes("linkat", to) ? -1 : realLink(fromDir, from, toDir, to, flags);
}

int link(const char* from, const char* to)
{
    static const auto realLink = real<int (*)(const char*, const char*)>("link");
    return strikes("link", to) ? -1 : realLink(from, to);
}

int unlink(const char* path)
{
    static const auto realUnlink = real<int (*)(const char*)>("unlink");
    return strikes("unlink", path) ? -1 : realUnlink(path);
}

int unlinkat(int dirfd, const char* path, int flags)
{
    static const auto realUnlink = real<int (*)(int, const char*, int)>("unlinkat");
    return strikes("unlink", path) ? -1 : realUnlink(dirfd, path, flags);
}

int ftruncate(int fd, off_t length)
{
    static const auto realTruncate = real<int (*)(int, off_t)>("ftruncate");
    return strikes("ftruncate", fdPath(fd)) ? -1 : realTruncate(fd, length);
}

int rename(const char* from, const char* to)
{
    static const auto realRename = real<int (*)(const char*, const char*)>("rename");
    return strikes("rename", to) ? -1 : realRename(from, to);
}

}  // extern "C"
