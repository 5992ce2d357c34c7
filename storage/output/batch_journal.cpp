// Undoing a commit of several files, from memory or from the journal a
// killed process left.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "storage/output/atomic_file.h"
#include "storage/output/leftovers.h"
#include "storage/output/leftovers.h"
#include "storage/output/batch_journal.h"
#include "storage/output/commit_guards.h"

namespace storage::detail {

namespace {

// The first journals held only names and the new file's inode; they are
// still followed, but without the proof that a target is unchanged nothing
// is put back over one.
constexpr char kOldHead[] = "cerebrix batch journal\n";
constexpr char kHead[] = "cerebrix batch journal 2\n";

std::string baseName(const std::string& path)
{
    return path.substr(path.rfind('/') + 1);
}

std::string folderOf(const std::string& path)
{
    return path.substr(0, path.rfind('/'));
}

std::string quoted(const std::string& path)
{
    std::string text(1, '"');
    text.append(baseName(path)).push_back('"');
    return text;
}

bool statOf(const std::string& path, struct stat& st)
{
    return !path.empty() && ::lstat(path.c_str(), &st) == 0;
}

FileId idOf(const struct stat& st)
{
    return {st.st_dev, st.st_ino};
}

// Still the very file the commit placed, with not a byte changed since.
bool stillPlaced(const JournalEntry& e, const struct stat& t)
{
    return S_ISREG(t.st_mode) && idOf(t) == e.placed && e.size >= 0 && t.st_size == e.size
        && t.st_mtim.tv_sec == e.modified.tv_sec && t.st_mtim.tv_nsec == e.modified.tv_nsec;
}

// A hidden backup counts only when it is this user's and the very file the
// commit kept aside: a name planted by someone else is never moved anywhere.
bool ourBackup(const JournalEntry& e, const struct stat& b)
{
    return S_ISREG(b.st_mode) && b.st_uid == ::geteuid() && (e.old.ino == 0 || idOf(b) == e.old);
}

// An old file whose name now holds something else goes to a visible name
// beside it, never over another file. Empty when none could be had.
std::string keepAside(const JournalEntry& e)
{
    std::vector<std::string> names = {e.target + ".old"};
    for (int k = 2; k <= 9; ++k)
        names.push_back(e.target + ".old-" + std::to_string(k));
    for (int k = 1; k <= 99; ++k)  // for a name already at the system's limit
        names.push_back(folderOf(e.target) + "/cerebrix-old-" + std::to_string(k));
    for (const std::string& name : names)
        if (::link(e.backup.c_str(), name.c_str()) == 0) {
            (void)::unlink(e.backup.c_str());
            return name;
        } else if (errno != EEXIST && errno != ENAMETOOLONG) {
            break;
        }
    return {};
}

bool intactJournal(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return errno != ENOENT;  // there but unreadable: it may stand, so nothing is assumed
    char head[sizeof kHead - 1];
    const bool intact = ::read(fd, head, sizeof head) == ssize_t(sizeof head) && std::string(head, sizeof head) == kHead;
    ::close(fd);
    return intact;
}

}  // namespace

std::string journalText(const std::vector<JournalEntry>& entries, const std::string& first,
                        const std::vector<std::string>& others)
{
    std::string text = kHead + first + '\0' + std::to_string(others.size()) + '\0';
    for (const std::string& other : others)
        text += other + '\0';
    for (const JournalEntry& e : entries) {
        char numbers[160];
        std::snprintf(numbers, sizeof numbers, "%llu %llu %lld %lld %ld %llu %llu",
                      (unsigned long long)e.placed.dev, (unsigned long long)e.placed.ino, e.size,
                      (long long)e.modified.tv_sec, long(e.modified.tv_nsec), (unsigned long long)e.old.dev,
                      (unsigned long long)e.old.ino);
        // Names only, no folders: a journal can only ever touch its own folder.
        text += baseName(e.target) + '\0' + (e.backup.empty() ? "" : baseName(e.backup)) + '\0' + numbers + '\0';
    }
    return text;
}

bool undoEntries(const std::vector<JournalEntry>& entries, std::vector<std::string>& leftAside)
{
    bool clean = true;
    const auto done = [&](int result) { clean = clean && result == 0; };
    for (const JournalEntry& e : entries) {
        struct stat t {}, b {};
        const bool there = statOf(e.target, t), placed = there && stillPlaced(e, t);
        if (e.backup.empty()) {
            if (placed)  // the commit's own new file where nothing stood
                done(::unlink(e.target.c_str()));
            continue;
        }
        if (statOf(e.backup, b) && ourBackup(e, b)) {
            if (placed) {
                done(::rename(e.backup.c_str(), e.target.c_str()));
            } else if (there && idOf(t) == idOf(b)) {
                done(::unlink(e.backup.c_str()));  // a second name of the file still in place
            } else if (!there && ::link(e.backup.c_str(), e.target.c_str()) == 0) {
                done(::unlink(e.backup.c_str()));  // kept aside by a rename, its place still empty
            } else if (const std::string kept = keepAside(e); !kept.empty()) {
                leftAside.push_back(quoted(e.target) + " was changed since, so it stays; its old version is now "
                                    + quoted(kept));
            } else {
                clean = false;
            }
        } else if (placed) {
            leftAside.push_back(quoted(e.target) + " stays new, as its old version is gone");
        }
    }
    return clean;
}

std::string leftAsideNotice(const std::string& folder, const std::vector<std::string>& leftAside)
{
    std::string line = "a write cut short in \"" + folder + "\" was undone except where the files differ: ";
    for (std::size_t i = 0; i < leftAside.size(); ++i)
        line += (i ? "; " : "") + leftAside[i];
    return line;
}

// Only a journal of this user is followed: one planted in a shared folder
// by another could otherwise have our files renamed or removed.
bool recoverJournal(const std::string& path, std::vector<std::string>& notices)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    struct stat st {};
    if (fd < 0)
        return errno == ENOENT;
    std::string all;
    const bool ours = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid();
    char buffer[4096];
    for (ssize_t n; ours && (n = ::read(fd, buffer, sizeof buffer)) > 0;)
        all.append(buffer, std::size_t(n));
    ::close(fd);
    if (!ours)
        return false;
    // A journal is written whole before any target is touched: one cut
    // short (or emptied when it could not be removed) leaves nothing to
    // undo, and only its whole entries count.
    const bool current = all.rfind(kHead, 0) == 0;
    if (!current && all.rfind(kOldHead, 0) != 0)
        return ::unlink(path.c_str()) == 0;
    std::vector<std::string> fields;
    for (std::size_t from = current ? sizeof kHead - 1 : sizeof kOldHead - 1, end;
         (end = all.find('\0', from)) != std::string::npos; from = end + 1)
        fields.push_back(all.substr(from, end - from));
    const std::string folder = folderOf(path);
    const std::string first = current && !fields.empty() ? fields[0] : "";
    std::vector<std::string> others;
    std::size_t at = 0;
    if (current && fields.size() >= 2) {
        const std::size_t count = std::size_t(std::strtoull(fields[1].c_str(), nullptr, 10));
        for (at = 2; at < fields.size() && at < 2 + count; ++at)
            others.push_back(fields[at]);
    }
    Kind kind{};
    const auto inFolder = [&](const std::string& name) {
        return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos;
    };
    const auto isBackup = [&](const std::string& name) {
        return name.empty() || (hiddenOwner(name.c_str(), kind) != 0 && kind == Kind::Backup);
    };
    std::vector<JournalEntry> entries;
    for (std::size_t i = at; i + 2 < fields.size(); i += 3) {
        if (!inFolder(fields[i]) || !isBackup(fields[i + 1]))
            continue;
        JournalEntry e;
        e.target = folder + "/" + fields[i];
        if (!fields[i + 1].empty())
            e.backup = folder + "/" + fields[i + 1];
        unsigned long long pdev = 0, pino = 0, odev = 0, oino = 0;
        long long size = -1, sec = 0;
        long nsec = 0;
        if (!current)
            pino = std::strtoull(fields[i + 2].c_str(), nullptr, 10);
        else if (std::sscanf(fields[i + 2].c_str(), "%llu %llu %lld %lld %ld %llu %llu", &pdev, &pino, &size, &sec,
                             &nsec, &odev, &oino) != 7)
            continue;
        e.placed = {dev_t(pdev), ino_t(pino)};
        e.size = size;
        e.modified = {time_t(sec), nsec};
        e.old = {dev_t(odev), ino_t(oino)};
        entries.push_back(std::move(e));
    }

    std::vector<std::string> leftAside;
    bool clean = true;
    if (!first.empty() && !intactJournal(first)) {
        // The commit's first journal went: the commit stood, and what this
        // folder still holds of it is its backups.
        struct stat b {};
        for (const JournalEntry& e : entries)
            if (statOf(e.backup, b) && ourBackup(e, b))
                clean = ::unlink(e.backup.c_str()) == 0 && clean;
    } else {
        // The other folders first, while this journal still says the
        // commit did not stand; a folder not put back keeps this one too.
        const pid_t owner = hiddenOwner(baseName(path).c_str(), kind);
        for (const std::string& other : others) {
            Kind otherKind{};
            if (other.empty() || other[0] != '/' || hiddenOwner(baseName(other).c_str(), otherKind) != owner
                || otherKind != Kind::Journal)
                continue;
            FolderLock lock;
            std::string why;
            clean = lock.lock(folderOf(other), why) && abandoned(other) && recoverJournal(other, notices) && clean;
        }
        clean = undoEntries(entries, leftAside) && clean;
    }
    if (!leftAside.empty())
        notices.push_back(leftAsideNotice(folder, leftAside));
    return clean && ::unlink(path.c_str()) == 0;
}

}  // namespace storage::detail
