#pragma once
// What a commit holds while it puts files in place: the folder's lock, so
// that two writes (batches, single saves, the tidying of what killed writes
// left) never interleave in one folder, and the interrupting signals, so
// that Ctrl-C or a hang-up waits until the files are all in place or all
// back. The lock is a flock on the folder itself: nothing is created for it,
// so nothing can be planted in a shared folder to stand in its way.
#include <signal.h>

#include <string>

namespace storage::detail {

class FolderLock {
public:
    FolderLock() = default;
    ~FolderLock() { release(); }
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;
    FolderLock(FolderLock&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }

    // Waits while another write holds the folder; false, with the reason,
    // when it still does after a while. A folder that cannot be locked at
    // all (no read permission, a network share without flock) is written
    // unlocked, as every folder once was.
    bool lock(const std::string& folder, std::string& why);
    void release();

private:
    int fd_ = -1;
};

// SIGINT, SIGTERM, SIGHUP and SIGQUIT wait while this lives; pending() tells
// whether one came meanwhile. They are delivered when it ends.
class HeldSignals {
public:
    HeldSignals();
    ~HeldSignals();
    HeldSignals(const HeldSignals&) = delete;
    HeldSignals& operator=(const HeldSignals&) = delete;
    bool pending() const;

private:
    sigset_t held_, before_;
};

}  // namespace storage::detail
