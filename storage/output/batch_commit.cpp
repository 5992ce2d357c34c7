#include "storage/output/batch_commit.h"

#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <set>

#include "storage/file_calls.h"
#include "storage/output/commit_guards.h"
#include "storage/output/leftovers.h"

namespace storage::detail {

namespace {

std::string baseName(const std::string& path)
{
    return path.substr(path.rfind('/') + 1);
}

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
    if (::write(fd, text.data(), text.size()) != ssize_t(text.size()) || (durable && storage::syncData(fd) != 0))
        return errno == 0 ? EIO : errno;
    return 0;
}

}  // namespace

FileResult BatchCommit::run()
{
    if (files_.empty())
        return {true, {}};
    if (!groupByFolder())
        return giveUp(failedAt_, why_);
    std::vector<FolderLock> locks(byFolder_.size());
    std::size_t at = 0;
    for (const auto& entry : byFolder_)
        if (!locks[at++].lock(entry.first, why_))
            return giveUp(0, why_);
    // From the first hidden name on, a signal waits until all is in place or back.
    const HeldSignals held;
    if (!sealFiles())
        return giveUp(failedAt_, why_);
    noteTargets();
    writeJournals();
    keepOldFilesAside();
    placeNewFiles();
    if (why_.empty() && held.pending())
        why_ = "interrupted";
    return finish();
}

bool BatchCommit::groupByFolder()
{
    std::set<std::string> seen;
    for (std::size_t i = 0; i < files_.size(); ++i) {
        if (!seen.insert(folders_[i] + "/" + baseName(files_[i]->target().path)).second) {
            why_ = "another of the files is the same file";
            failedAt_ = i;
            return false;
        }
        byFolder_[folders_[i]].push_back(i);
    }
    return true;
}

bool BatchCommit::sealFiles()
{
    for (std::size_t i = 0; i < files_.size(); ++i)
        if (!files_[i]->seal()) {
            why_ = files_[i]->error();
            failedAt_ = i;
            return false;
        }
    return true;
}

// Who each target is now, under the lock: what the backup keeps.
void BatchCommit::noteTargets()
{
    for (std::size_t i = 0; i < files_.size(); ++i) {
        const std::string& folder = folders_[i];
        const struct stat& sealed = files_[i]->sealedAs();
        JournalEntry e{folder + "/" + baseName(files_[i]->target().path), "", {sealed.st_dev, sealed.st_ino},
                       sealed.st_size, sealed.st_mtim, {}};
        struct stat now {};
        if (::lstat(e.target.c_str(), &now) == 0) {
            e.backup = hiddenName(folder, Kind::Backup);
            e.old = {now.st_dev, now.st_ino};
        }
        entries_.push_back(std::move(e));
    }
}

void BatchCommit::writeJournals()
{
    for (const auto& entry : byFolder_)
        journals_.emplace_back(hiddenName(entry.first, Kind::Journal), -1);
    std::vector<std::string> others;
    for (std::size_t k = 1; k < journals_.size(); ++k)
        others.push_back(journals_[k].first);
    std::size_t at = 0;
    for (const auto& [folder, indices] : byFolder_) {
        std::vector<JournalEntry> inFolder;
        for (const std::size_t i : indices)
            inFolder.push_back(entries_[i]);
        const std::string text = at == 0 ? journalText(inFolder, "", others) : journalText(inFolder, journals_[0].first);
        if ((err_ = writeJournal(journals_[at].first, text, durable_, journals_[at].second)) != 0) {
            why_ = "cannot write a journal in the folder \"" + folder + "\"";
            return;
        }
        ++at;
    }
}

void BatchCommit::keepOldFilesAside()
{
    for (std::size_t i = 0; why_.empty() && i < files_.size(); ++i)
        if (!entries_[i].backup.empty() && ::link(entries_[i].target.c_str(), entries_[i].backup.c_str()) != 0
            && ::rename(entries_[i].target.c_str(), entries_[i].backup.c_str()) != 0 && errno != ENOENT) {
            err_ = errno;
            why_ = "cannot keep the old file aside";
            failedAt_ = i;
        }
}

void BatchCommit::placeNewFiles()
{
    for (std::size_t i = 0; why_.empty() && i < files_.size(); ++i)
        if (!files_[i]->place()) {
            why_ = files_[i]->error();
            failedAt_ = i;
        }
}

// A journal that cannot be removed is emptied, which a later clean-up takes
// for one cut short.
bool BatchCommit::neutralise(const std::pair<std::string, int>& journal) const
{
    return ::unlink(journal.first.c_str()) == 0
        || (::ftruncate(journal.second, 0) == 0 && (!durable_ || storage::syncData(journal.second) == 0));
}

// The journals go, the first first: the commit stands all the same when one
// can only be emptied. Where not even that works for the first, the commit
// cannot be made to stand, and is undone while it still can be.
FileResult BatchCommit::finish()
{
    if (why_.empty() && !neutralise(journals_[0])) {
        err_ = errno;
        why_ = "cannot remove the journal \"" + journals_[0].first + "\"";
    }
    bool undone = true;
    std::vector<std::string> leftAside;
    if (!why_.empty())
        undone = undoEntries(entries_, leftAside);
    for (std::size_t k = 0; k < journals_.size(); ++k) {
        // After an undo that could not finish, the journals stay for the next write to try again.
        if (journals_[k].second >= 0 && undone && (k > 0 || !why_.empty()))
            (void)neutralise(journals_[k]);
        if (journals_[k].second >= 0)
            ::close(journals_[k].second);
    }
    files_.clear();
    if (!leftAside.empty())
        notify(leftAsideNotice(byFolder_.begin()->first, leftAside));
    if (!why_.empty())
        return refusal("write", names_[failedAt_],
                       why_ + (err_ != 0 ? std::string(": ") + std::strerror(err_) : "")
                           + (undone ? "; no file was changed" : "; the old files go back at the next write in the folder"));
    for (const JournalEntry& e : entries_)
        if (!e.backup.empty())
            ::unlink(e.backup.c_str());
    return {true, {}};
}

// `why` is a copy: it may be a file's own words, and the files go.
FileResult BatchCommit::giveUp(std::size_t i, std::string why)
{
    files_.clear();
    return refusal("write", names_[i], why);
}

}  // namespace storage::detail
