// Several files put in place together. Each new file waits, unnamed where the
// folder allows, until commit; then, under the lock of every folder it
// writes in and with the interrupting signals held:
//   1. every new file is flushed and given a hidden name;
//   2. a journal in each folder lists its targets, the hidden backup each
//      old file gets, and who the old and the new file are: the record a
//      killed process leaves. The first journal lists the others, and the
//      others name the first;
//   3. each old file gets its backup name (a second link; it stays in place);
//   4. each new file is renamed over its target;
//   5. the journals go, the first first (from then on the commit stands),
//      then the backups.
// A failure in 1-4, or a signal that came meanwhile, undoes it all: every
// backup is renamed back over its target, a new file where nothing was is
// removed. A process killed in 2-5 leaves the journals, which the next write
// in each folder finds: while the first journal is there, the commit is
// undone in every folder; once it is gone, only the backups go. An undo
// puts an old file back only over the very file the commit placed, so what
// a user did in the meantime stays.
#include <fcntl.h>
#include <limits.h>
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

#include "storage/output/atomic_file.h"
#include "storage/output/batch_journal.h"
#include "storage/output/commit_guards.h"
#include "storage/output/file_batch.h"
#include "storage/output/leftovers.h"

namespace storage {

namespace {

using detail::AtomicFile;
using detail::FileId;
using detail::JournalEntry;

FileResult refuse(const std::string& path, const std::string& why)
{
    return refusal("write", path, why);
}

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
    std::mutex tidying;
    std::set<std::string> tidied;      // folders cleared of what killed writes left
    std::size_t open = 0, budget = openFileBudget();
};

namespace {

// One journal per folder, naming only that folder's files, locked while this
// process lives so that no clean-up takes it for a dead one's. Errno, or 0.
int writeJournal(const std::string& journal, const std::string& text, bool durable, int& fd)
{
    fd = ::open(journal.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        return errno;
    (void)::flock(fd, LOCK_EX | LOCK_NB);
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
    // What killed writes left in the folder goes before any target there is
    // judged (see AtomicFile::open), once per folder.
    {
        const std::string folder = realFolder(detail::targetFolder(path));
        std::lock_guard<std::mutex> lock(files_->tidying);
        std::string busy;
        if (files_->tidied.count(folder) == 0 && !detail::removeAbandonedTemporaries(folder, busy))
            return refuse(path, busy);
        files_->tidied.insert(folder);
    }
    auto file = std::make_unique<AtomicFile>(path, files_->durable);
    if (!file->open(false) || !file->write(bytes.data(), bytes.size()))
        return refuse(path, file->error());
    const std::string folder = realFolder(file->target().folder);
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
    const auto giveUp = [&](std::size_t i, std::string why) {  // a copy: it may be a file's own words
        files.clear();
        return refuse(names[i], why);
    };
    std::map<std::string, std::vector<std::size_t>> byFolder;  // in one order, so no two commits wait on each other
    std::set<std::string> seen;
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (!seen.insert(files_->folders[i] + "/" + baseName(files[i]->target().path)).second)
            return giveUp(i, "another of the files is the same file");
        byFolder[files_->folders[i]].push_back(i);
    }
    std::vector<detail::FolderLock> locks(byFolder.size());
    std::string why;
    std::size_t at = 0;
    for (const auto& entry : byFolder)
        if (!locks[at++].lock(entry.first, why))
            return giveUp(0, why);
    // From the first hidden name on, a signal waits until all is in place or back.
    const detail::HeldSignals held;
    for (std::size_t i = 0; i < files.size(); ++i)
        if (!files[i]->seal())
            return giveUp(i, files[i]->error());

    // Who each target is now, under the lock: what the backup keeps.
    std::vector<JournalEntry> entries;
    for (std::size_t i = 0; i < files.size(); ++i) {
        const std::string& folder = files_->folders[i];
        const struct stat& sealed = files[i]->sealedAs();
        JournalEntry e{folder + "/" + baseName(files[i]->target().path), "", {sealed.st_dev, sealed.st_ino},
                       sealed.st_size, sealed.st_mtim, {}};
        struct stat now {};
        if (::lstat(e.target.c_str(), &now) == 0) {
            e.backup = detail::hiddenName(folder, detail::Kind::Backup);
            e.old = {now.st_dev, now.st_ino};
        }
        entries.push_back(std::move(e));
    }

    int err = 0;
    std::size_t failedAt = 0;
    std::vector<std::pair<std::string, int>> journals;  // path, descriptor; the first first
    for (const auto& entry : byFolder)
        journals.emplace_back(detail::hiddenName(entry.first, detail::Kind::Journal), -1);
    std::vector<std::string> others;
    for (std::size_t k = 1; k < journals.size(); ++k)
        others.push_back(journals[k].first);
    at = 0;
    for (const auto& [folder, indices] : byFolder) {
        std::vector<JournalEntry> inFolder;
        for (const std::size_t i : indices)
            inFolder.push_back(entries[i]);
        const std::string text = at == 0 ? detail::journalText(inFolder, "", others)
                                         : detail::journalText(inFolder, journals[0].first);
        if ((err = writeJournal(journals[at].first, text, files_->durable, journals[at].second)) != 0) {
            why = "cannot write a journal in the folder \"" + folder + "\"";
            break;
        }
        ++at;
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

    // The journals go, the first first. One that cannot be removed is
    // emptied, which a later clean-up takes for one cut short: the commit
    // stands all the same. Where not even that works for the first, the
    // commit cannot be made to stand, and is undone while it still can be.
    const auto neutralise = [&](const std::pair<std::string, int>& journal) {
        return ::unlink(journal.first.c_str()) == 0
            || (::ftruncate(journal.second, 0) == 0 && (!files_->durable || ::fdatasync(journal.second) == 0));
    };
    if (why.empty() && !neutralise(journals[0])) {
        err = errno;
        why = "cannot remove the journal \"" + journals[0].first + "\"";
    }
    bool undone = true;
    std::vector<std::string> leftAside;
    if (!why.empty())
        undone = detail::undoEntries(entries, leftAside);
    for (std::size_t k = 0; k < journals.size(); ++k) {
        // After an undo that could not finish, the journals stay for the next write to try again.
        if (journals[k].second >= 0 && undone && (k > 0 || !why.empty()))
            (void)neutralise(journals[k]);
        if (journals[k].second >= 0)
            ::close(journals[k].second);
    }
    files.clear();
    if (!leftAside.empty())
        detail::notify(detail::leftAsideNotice(byFolder.begin()->first, leftAside));
    if (!why.empty())
        return refuse(names[failedAt], why + (err != 0 ? std::string(": ") + std::strerror(err) : "")
                                            + (undone ? "; no file was changed"
                                                      : "; the old files go back at the next write in the folder"));
    for (const JournalEntry& e : entries)
        if (!e.backup.empty())
            ::unlink(e.backup.c_str());
    return {true, {}};
}

}  // namespace storage
