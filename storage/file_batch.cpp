// Several files put in place together. Each new file waits, unnamed where the
// folder allows, until commit; then, with the interrupting signals held:
//   1. every new file is flushed and given a hidden name;
//   2. a journal lists each target, the hidden backup its old file gets and
//      the new file's inode; it is the only record a killed process leaves;
//   3. each old file gets its backup name (a second link; it stays in place);
//   4. each new file is renamed over its target;
//   5. the journal goes (from here the commit stands), then the backups.
// A failure in 1-4, or a signal that came meanwhile, undoes it all: every
// backup is renamed back over its target, a new file where nothing was is
// removed. A process killed in 2-5 leaves the journal, which the next write
// in the folder finds and undoes the same way (backups without a journal
// are from a commit that stood, and go).
#include <fcntl.h>
#include <limits.h>
#include <pthread.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <mutex>
#include <set>
#include <vector>

#include "storage/atomic_file.h"
#include "storage/batch_journal.h"
#include "storage/output_file.h"

namespace storage {

namespace {

using detail::AtomicFile;
using detail::JournalEntry;

constexpr int kHeld[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};
constexpr char kJournalHead[] = "cerebrix batch journal\n";

FileResult refuse(const std::string& path, const std::string& why)
{
    return detail::writeRefusal(path, why);
}

// The interrupting signals wait while a commit runs; pending() tells whether
// one came meanwhile. They are delivered when this ends.
class HeldSignals {
public:
    HeldSignals()
    {
        sigemptyset(&held_);
        for (int s : kHeld)
            sigaddset(&held_, s);
        pthread_sigmask(SIG_BLOCK, &held_, &before_);
    }
    ~HeldSignals() { pthread_sigmask(SIG_SETMASK, &before_, nullptr); }
    bool pending() const
    {
        sigset_t now;
        sigpending(&now);
        for (int s : kHeld)
            if (sigismember(&now, s) && !sigismember(&before_, s))
                return true;
        return false;
    }

private:
    sigset_t held_, before_;
};

// Files kept open, unnamed, until the commit: as many as the process may
// open, less a margin; any further file is given its hidden name at once.
std::size_t openFileBudget()
{
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0)
        return 64;
    if (limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        (void)::setrlimit(RLIMIT_NOFILE, &limit);
        (void)::getrlimit(RLIMIT_NOFILE, &limit);
    }
    return limit.rlim_cur > 256 ? std::size_t(limit.rlim_cur) - 128 : std::size_t(limit.rlim_cur) / 2;
}

std::string realFolder(const std::string& folder)
{
    char* real = ::realpath(folder.c_str(), nullptr);
    std::string out = real ? real : folder;
    ::free(real);
    return out;
}

std::string baseName(const std::string& path)
{
    return path.substr(path.rfind('/') + 1);
}

}  // namespace

struct FileBatch::Files {
    bool durable = false;
    std::mutex mutex;
    std::vector<std::unique_ptr<AtomicFile>> files;
    std::vector<std::string> names;  // as the caller gave them
    std::string folder;              // absolute, once the first file came
    std::size_t open = 0, budget = openFileBudget();
    bool tidied = false;
};

FileBatch::FileBatch(WriteOptions options) : files_(std::make_unique<Files>())
{
    files_->durable = options.sync;
}

FileBatch::~FileBatch() = default;

void FileBatch::discard()
{
    std::lock_guard<std::mutex> lock(files_->mutex);
    files_->files.clear();
    files_->names.clear();
    files_->open = 0;
}

FileResult FileBatch::put(const std::string& path, const std::string& bytes)
{
    if (path == kStandardOutput)
        return refuse(path, "several files cannot all go to standard output");
    auto file = std::make_unique<AtomicFile>(path, files_->durable);
    bool tidy = false;
    {
        std::lock_guard<std::mutex> lock(files_->mutex);
        tidy = !files_->tidied;
        files_->tidied = true;
    }
    if (!file->open(tidy))
        return refuse(path, file->error());
    const std::string folder = realFolder(file->target().folder);
    if (!file->write(bytes.data(), bytes.size()))
        return refuse(path, file->error());
    std::lock_guard<std::mutex> lock(files_->mutex);
    if (files_->folder.empty())
        files_->folder = folder;
    else if (folder != files_->folder)
        return refuse(path, "the files must all go to one folder, here \"" + files_->folder + "\"");
    if (++files_->open > files_->budget) {
        if (!file->seal())
            return refuse(path, file->error());
        --files_->open;
    }
    files_->files.push_back(std::move(file));
    files_->names.push_back(path);
    return {true, {}};
}

FileResult FileBatch::commit()
{
    std::lock_guard<std::mutex> lock(files_->mutex);
    auto& files = files_->files;
    const std::vector<std::string>& names = files_->names;
    const std::string& folder = files_->folder;
    if (files.empty())
        return {true, {}};
    const HeldSignals held;
    std::vector<JournalEntry> entries;
    std::set<std::string> seen;
    for (std::size_t i = 0; i < files.size(); ++i) {
        AtomicFile& f = *files[i];
        if (!f.seal()) {
            const FileResult r = refuse(names[i], f.error());
            files.clear();
            return r;
        }
        const std::string target = folder + "/" + baseName(f.target().path);
        if (!seen.insert(target).second) {
            files.clear();
            return refuse(names[i], "another of the files is the same file");
        }
        entries.push_back({target, f.target().exists ? detail::hiddenName(folder, detail::Kind::Backup) : "",
                           f.inode()});
    }

    // The journal, locked while this process lives, so that no clean-up
    // takes it for a dead one's.
    const std::string journal = detail::hiddenName(folder, detail::Kind::Journal);
    const int fd = ::open(journal.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    std::string why;
    int err = 0;
    if (fd < 0) {
        err = errno;
        why = "cannot write a journal in the folder \"" + folder + "\"";
    } else {
        (void)::flock(fd, LOCK_EX | LOCK_NB);
        const std::string text = detail::journalText(entries);
        // A short write is retried whole: the journal is small.
        if (::write(fd, text.data(), text.size()) != ssize_t(text.size())
            || (files_->durable && ::fdatasync(fd) != 0)) {
            err = errno == 0 ? EIO : errno;
            why = "cannot write a journal in the folder \"" + folder + "\"";
        }
    }
    std::size_t failedAt = files.size();
    for (std::size_t i = 0; why.empty() && i < files.size(); ++i)
        if (!entries[i].backup.empty() && ::link(entries[i].target.c_str(), entries[i].backup.c_str()) != 0
            && ::rename(entries[i].target.c_str(), entries[i].backup.c_str()) != 0 && errno != ENOENT) {
            err = errno;
            why = "cannot keep the old file aside";
            failedAt = i;
        }
    for (std::size_t i = 0; why.empty() && i < files.size(); ++i)
        if (!files[i]->place()) {
            why = files[i]->error();
            failedAt = i;
        }
    if (why.empty() && held.pending())
        why = "interrupted";
    if (!why.empty()) {
        detail::undoEntries(entries);
        if (fd >= 0) {
            ::unlink(journal.c_str());
            ::close(fd);
        }
        files.clear();
        if (err != 0)
            why += std::string(": ") + std::strerror(err);
        return refuse(names[failedAt < names.size() ? failedAt : 0], why + "; no file was changed");
    }
    ::unlink(journal.c_str());
    ::close(fd);
    for (const JournalEntry& e : entries)
        if (!e.backup.empty())
            ::unlink(e.backup.c_str());
    files.clear();
    return {true, {}};
}

}  // namespace storage

namespace storage::detail {

// Names only, no folders: a journal can only ever touch its own folder.
std::string journalText(const std::vector<JournalEntry>& entries)
{
    std::string text = kJournalHead;
    for (const JournalEntry& e : entries)
        text += baseName(e.target) + '\0' + (e.backup.empty() ? "" : baseName(e.backup)) + '\0'
            + std::to_string(e.inode) + '\0';
    return text;
}

void undoEntries(const std::vector<JournalEntry>& entries)
{
    for (const JournalEntry& e : entries) {
        struct stat st {};
        if (!e.backup.empty() && ::lstat(e.backup.c_str(), &st) == 0) {
            // Where the backup is still a second name of the file in place,
            // the rename does nothing, and the unlink drops that name.
            (void)::rename(e.backup.c_str(), e.target.c_str());
            (void)::unlink(e.backup.c_str());
        } else if (::lstat(e.target.c_str(), &st) == 0 && st.st_ino == e.inode) {
            ::unlink(e.target.c_str());
        }
    }
}

// Only a journal of this user is followed: one planted in a shared folder
// by another could otherwise have our files renamed or removed.
bool undoJournal(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    struct stat st {};
    if (fd < 0)
        return false;
    std::string all;
    const bool ours = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid();
    char buffer[4096];
    for (ssize_t n; ours && (n = ::read(fd, buffer, sizeof buffer)) > 0;)
        all.append(buffer, std::size_t(n));
    ::close(fd);
    if (!ours)
        return false;
    // A journal is written whole before any target is touched: one cut
    // short leaves nothing to undo, and only its whole entries count.
    if (all.rfind(kJournalHead, 0) != 0)
        return ::unlink(path.c_str()) == 0;
    const std::string folder = path.substr(0, path.rfind('/'));
    const auto inFolder = [&](const std::string& name) {
        return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos;
    };
    std::vector<JournalEntry> entries;
    std::vector<std::string> fields;
    std::size_t from = sizeof kJournalHead - 1;
    for (std::size_t end; (end = all.find('\0', from)) != std::string::npos; from = end + 1)
        fields.push_back(all.substr(from, end - from));
    Kind kind{};
    for (std::size_t i = 0; i + 2 < fields.size(); i += 3)
        if (inFolder(fields[i]) && (fields[i + 1].empty()
                                    || (hiddenOwner(fields[i + 1].c_str(), kind) != 0 && kind == Kind::Backup)))
            entries.push_back({folder + "/" + fields[i], fields[i + 1].empty() ? "" : folder + "/" + fields[i + 1],
                               ino_t(std::strtoull(fields[i + 2].c_str(), nullptr, 10))});
    undoEntries(entries);
    return ::unlink(path.c_str()) == 0;
}

}  // namespace storage::detail
