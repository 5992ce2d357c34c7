// Several files put in place together. Each new file waits, unnamed where the
// folder allows, until commit; then, with the interrupting signals held:
//   1. every new file is flushed and given a hidden name;
//   2. a journal in each folder lists its targets, the hidden backup each
//      old file gets and the new file's inode: the record a killed process
//      leaves;
//   3. each old file gets its backup name (a second link; it stays in place);
//   4. each new file is renamed over its target;
//   5. the journals go (from the first, the commit stands), then the backups.
// A failure in 1-4, or a signal that came meanwhile, undoes it all: every
// backup is renamed back over its target, a new file where nothing was is
// removed. A process killed in 2-5 leaves the journals, which the next write
// in each folder finds and undoes the same way (backups without a journal
// are from a commit that stood, and go). Only a kill in the instant between
// two folders' journals going could leave one folder new and one old.
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
#include <map>
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
    std::vector<std::string> names;    // as the caller gave them
    std::vector<std::string> folders;  // absolute, of each file
    std::set<std::string> tidied;      // folders cleared of what killed writes left
    std::size_t open = 0, budget = openFileBudget();
};

namespace {

// One journal per folder, naming only that folder's files, locked while this
// process lives so that no clean-up takes it for a dead one's. Errno, or 0.
int writeJournal(const std::string& journal, const std::vector<JournalEntry>& entries, bool durable, int& fd)
{
    fd = ::open(journal.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        return errno;
    (void)::flock(fd, LOCK_EX | LOCK_NB);
    const std::string text = detail::journalText(entries);
    errno = 0;
    // A short write counts as a failure: the journal is small.
    if (::write(fd, text.data(), text.size()) != ssize_t(text.size()) || (durable && ::fdatasync(fd) != 0))
        return errno == 0 ? EIO : errno;
    return 0;
}

}  // namespace

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
    files_->folders.clear();
    files_->open = 0;
}

FileResult FileBatch::put(const std::string& path, const std::string& bytes)
{
    if (path == kStandardOutput)
        return refuse(path, "several files cannot all go to standard output");
    auto file = std::make_unique<AtomicFile>(path, files_->durable);
    detail::Target target;
    if (std::string problem = detail::targetProblem(path, target); !problem.empty())
        return refuse(path, problem);
    const std::string folder = realFolder(target.folder);
    bool tidy = false;
    {
        std::lock_guard<std::mutex> lock(files_->mutex);
        tidy = files_->tidied.insert(folder).second;
    }
    if (!file->open(tidy) || !file->write(bytes.data(), bytes.size()))
        return refuse(path, file->error());
    std::lock_guard<std::mutex> lock(files_->mutex);
    if (++files_->open > files_->budget) {
        if (!file->seal())
            return refuse(path, file->error());
        --files_->open;
    }
    files_->files.push_back(std::move(file));
    files_->names.push_back(path);
    files_->folders.push_back(folder);
    return {true, {}};
}

FileResult FileBatch::commit()
{
    std::lock_guard<std::mutex> lock(files_->mutex);
    auto& files = files_->files;
    const std::vector<std::string>& names = files_->names;
    if (files.empty())
        return {true, {}};
    const HeldSignals held;
    std::vector<JournalEntry> entries;
    std::map<std::string, std::vector<JournalEntry>> byFolder;
    std::set<std::string> seen;
    for (std::size_t i = 0; i < files.size(); ++i) {
        AtomicFile& f = *files[i];
        const std::string& folder = files_->folders[i];
        const std::string target = folder + "/" + baseName(f.target().path);
        std::string why = !f.seal() ? f.error() : !seen.insert(target).second ? "another of the files is the same file" : "";
        if (!why.empty()) {
            files.clear();
            return refuse(names[i], why);
        }
        entries.push_back({target, f.target().exists ? detail::hiddenName(folder, detail::Kind::Backup) : "",
                           f.inode()});
        byFolder[folder].push_back(entries.back());
    }

    std::string why;
    int err = 0;
    std::size_t failedAt = 0;
    std::vector<std::pair<std::string, int>> journals;  // path, descriptor
    for (const auto& [folder, inFolder] : byFolder) {
        journals.emplace_back(detail::hiddenName(folder, detail::Kind::Journal), -1);
        if ((err = writeJournal(journals.back().first, inFolder, files_->durable, journals.back().second)) != 0) {
            why = "cannot write a journal in the folder \"" + folder + "\"";
            break;
        }
    }
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
    if (!why.empty())
        detail::undoEntries(entries);
    // From the first journal gone, the commit stands (or, undone, is over).
    for (const auto& [journal, fd] : journals)
        if (fd >= 0) {
            ::unlink(journal.c_str());
            ::close(fd);
        }
    files.clear();
    if (!why.empty())
        return refuse(names[failedAt], why + (err != 0 ? std::string(": ") + std::strerror(err) : "")
                                            + "; no file was changed");
    for (const JournalEntry& e : entries)
        if (!e.backup.empty())
            ::unlink(e.backup.c_str());
    return {true, {}};
}

}  // namespace storage
