#include "storage/output/commit_guards.h"

#include <fcntl.h>
#include <pthread.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <algorithm>
#include <chrono>
#include <thread>

namespace storage::detail {

namespace {

constexpr int kHeld[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};
// A commit takes milliseconds, a thousand flushed files a few seconds: a
// lock held longer is a program that hangs, or another user's in a shared
// folder, and waiting on it for ever would hang us too.
constexpr auto kLongestWait = std::chrono::seconds(30);

}  // namespace

bool FolderLock::lock(const std::string& folder, std::string& why)
{
    release();
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return true;
    const auto until = std::chrono::steady_clock::now() + kLongestWait;
    auto pause = std::chrono::milliseconds(1);
    for (;;) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            fd_ = fd;
            return true;
        }
        if (errno != EWOULDBLOCK && errno != EINTR) {
            ::close(fd);
            return true;
        }
        if (std::chrono::steady_clock::now() > until) {
            ::close(fd);
            why = "another write in the folder \"" + folder + "\" has not finished after "
                + std::to_string(kLongestWait.count()) + " s";
            return false;
        }
        std::this_thread::sleep_for(pause);
        pause = std::min(pause * 2, std::chrono::milliseconds(10));
    }
}

void FolderLock::release()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

HeldSignals::HeldSignals()
{
    sigemptyset(&held_);
    for (int s : kHeld)
        sigaddset(&held_, s);
    pthread_sigmask(SIG_BLOCK, &held_, &before_);
}

HeldSignals::~HeldSignals()
{
    pthread_sigmask(SIG_SETMASK, &before_, nullptr);
}

bool HeldSignals::pending() const
{
    sigset_t now;
    sigpending(&now);
    for (int s : kHeld)
        if (sigismember(&now, s) && !sigismember(&before_, s))
            return true;
    return false;
}

}  // namespace storage::detail
