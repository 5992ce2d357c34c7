// The hidden files a write makes beside its target, their names, and the
// clean-up of those that a killed process left behind.
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstring>
#include <functional>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "storage/output/atomic_file.h"
#include "storage/output/batch_journal.h"
#include "storage/output/leftovers.h"
#include "storage/output/commit_guards.h"
#include "storage/output/file_batch.h"

namespace storage::detail {

namespace {

// Hidden, short whatever the target's name (so never past the system's name
// limit), and not ending in ".brain", so the load list never shows one.
constexpr char kPrefix[] = ".cerebrix-save-";
constexpr const char* kSuffixes[] = {".tmp", ".journal", ".old"};

std::atomic<bool> unnamedAllowed{true};

std::mutex noticeMutex;
std::function<void(const std::string&)> noticeHandler;

bool processRuns(pid_t pid)
{
    return ::kill(pid, 0) == 0 || errno == EPERM;
}

// True when no process, here or on another machine, holds the file's lock,
// and the name still leads to the regular file opened to ask. One that
// cannot be opened to ask is judged by its process alone.
bool unlocked(int folder, const char* name)
{
    const int fd = ::openat(folder, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    struct stat opened {}, named {};
    if (fd < 0)
        return errno == EACCES && ::fstatat(folder, name, &named, AT_SYMLINK_NOFOLLOW) == 0
            && S_ISREG(named.st_mode);
    const bool free = ::flock(fd, LOCK_EX | LOCK_NB) == 0 || errno != EWOULDBLOCK;
    const bool same = ::fstat(fd, &opened) == 0 && S_ISREG(opened.st_mode)
        && ::fstatat(folder, name, &named, AT_SYMLINK_NOFOLLOW) == 0 && named.st_ino == opened.st_ino
        && named.st_dev == opened.st_dev;
    ::close(fd);
    return free && same;
}

}  // namespace

std::string hiddenName(const std::string& folder, Kind kind)
{
    static std::atomic<unsigned> counter{0};
    return folder + "/" + kPrefix + std::to_string(::getpid()) + "-" + std::to_string(counter.fetch_add(1))
        + kSuffixes[int(kind)];
}

pid_t hiddenOwner(const char* name, Kind& kind)
{
    const std::size_t prefix = sizeof kPrefix - 1, length = std::strlen(name);
    if (length <= prefix || std::strncmp(name, kPrefix, prefix) != 0)
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
    if (p == digits)
        return 0;
    for (int k = 0; k < 3; ++k)
        if (std::strcmp(p, kSuffixes[k]) == 0) {
            kind = Kind(k);
            return pid_t(pid);
        }
    return 0;
}

bool abandoned(const std::string& path)
{
    Kind kind{};
    const std::string name = path.substr(path.rfind('/') + 1);
    const pid_t owner = hiddenOwner(name.c_str(), kind);
    if (owner == 0 || processRuns(owner))
        return false;
    struct stat st {};
    return (::lstat(path.c_str(), &st) != 0 && errno == ENOENT) || unlocked(AT_FDCWD, path.c_str());
}

unsigned long ourBackupsOf(const std::string& folder, const struct stat& file)
{
    unsigned long count = 0;
    DIR* listing = ::opendir(folder.c_str());
    if (!listing)
        return 0;
    const int fd = ::dirfd(listing);
    Kind kind{};
    struct stat st {};
    while (const dirent* entry = ::readdir(listing))
        if (hiddenOwner(entry->d_name, kind) != 0 && kind == Kind::Backup
            && ::fstatat(fd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && st.st_ino == file.st_ino
            && st.st_dev == file.st_dev && st.st_uid == ::geteuid())
            ++count;
    ::closedir(listing);
    return count;
}

void notify(const std::string& line)
{
    std::lock_guard<std::mutex> lock(noticeMutex);
    if (noticeHandler)
        noticeHandler(line);
}

// Journals first: undoing one puts its backups back in place. A backup left
// after that is one whose commit finished before its process died. Only
// this user's files are ever removed: in a shared folder, another user's
// hidden files are theirs to tidy.
bool removeAbandonedTemporaries(const std::string& folder, std::string& why)
{
    FolderLock lock;
    if (!lock.lock(folder, why))
        return false;
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return true;
    DIR* listing = ::fdopendir(fd);
    if (!listing) {
        ::close(fd);
        return true;
    }
    std::vector<std::string> names;
    while (const dirent* entry = ::readdir(listing))
        if (entry->d_name[0] == '.')
            names.emplace_back(entry->d_name);
    std::set<pid_t> journalsLeft;  // of batches still under way
    std::vector<std::string> notices;
    for (int pass = 0; pass < 2; ++pass)
        for (const std::string& name : names) {
            Kind kind{};
            const pid_t owner = hiddenOwner(name.c_str(), kind);
            struct stat st {};
            if (owner == 0 || (pass == 0) != (kind == Kind::Journal))
                continue;
            if (processRuns(owner) || !unlocked(fd, name.c_str())) {
                if (kind == Kind::Journal)
                    journalsLeft.insert(owner);
                continue;
            }
            if (::fstatat(fd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 || st.st_uid != ::geteuid())
                continue;
            if (kind == Kind::Journal) {
                if (!recoverJournal(folder + "/" + name, notices))
                    journalsLeft.insert(owner);
            } else if (kind == Kind::Temporary || journalsLeft.count(owner) == 0) {
                (void)::unlinkat(fd, name.c_str(), 0);
            }
        }
    ::closedir(listing);
    for (const std::string& line : notices)
        notify(line);
    return true;
}

void allowUnnamedTemporaries(bool allowed)
{
    unnamedAllowed = allowed;
}

bool unnamedTemporariesAllowed()
{
    return unnamedAllowed;
}

}  // namespace storage::detail

namespace storage {

void removeAbandonedSaves(const std::string& folder)
{
    std::string busy;
    (void)detail::removeAbandonedTemporaries(folder, busy);
}

void setNoticeHandler(std::function<void(const std::string&)> handler)
{
    std::lock_guard<std::mutex> lock(detail::noticeMutex);
    detail::noticeHandler = std::move(handler);
}

}  // namespace storage
