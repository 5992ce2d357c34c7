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
#include <set>
#include <string>
#include <vector>

#include "storage/atomic_file.h"
#include "storage/batch_journal.h"
#include "storage/brain_file.h"

namespace storage::detail {

namespace {

// Hidden, short whatever the target's name (so never past the system's name
// limit), and not ending in ".brain", so the load list never shows one.
constexpr char kPrefix[] = ".cerebrix-save-";
constexpr const char* kSuffixes[] = {".tmp", ".journal", ".old"};

std::atomic<bool> unnamedAllowed{true};

bool processRuns(pid_t pid)
{
    return ::kill(pid, 0) == 0 || errno == EPERM;
}

// True when no process, here or on another machine, holds the file's lock,
// and the name still leads to the regular file opened to ask.
bool unlocked(int folder, const char* name)
{
    const int fd = ::openat(folder, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    struct stat opened {}, named {};
    if (fd < 0)  // cannot be opened to ask: judged by its process alone
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

// Journals first: undoing one puts its backups back in place. A backup left
// after that is one whose commit finished before its process died.
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
    std::vector<std::string> names;
    while (const dirent* entry = ::readdir(listing))
        if (entry->d_name[0] == '.')
            names.emplace_back(entry->d_name);
    std::set<pid_t> journalsLeft;  // of batches still under way
    for (int pass = 0; pass < 2; ++pass)
        for (const std::string& name : names) {
            Kind kind{};
            const pid_t owner = hiddenOwner(name.c_str(), kind);
            if (owner == 0 || (pass == 0) != (kind == Kind::Journal))
                continue;
            if (processRuns(owner) || !unlocked(fd, name.c_str())) {
                if (kind == Kind::Journal)
                    journalsLeft.insert(owner);
                continue;
            }
            if (kind == Kind::Journal) {
                if (!undoJournal(folder + "/" + name))
                    journalsLeft.insert(owner);
            } else if (kind == Kind::Temporary || journalsLeft.count(owner) == 0)
                (void)::unlinkat(fd, name.c_str(), 0);
        }
    ::closedir(listing);
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
    detail::removeAbandonedTemporaries(folder);
}

}  // namespace storage
