// Undoing a commit of several files, from memory or from the journal a
// killed process left.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "storage/atomic_file.h"
#include "storage/batch_journal.h"

namespace storage::detail {

namespace {

constexpr char kJournalHead[] = "cerebrix batch journal\n";

std::string baseName(const std::string& path)
{
    return path.substr(path.rfind('/') + 1);
}

}  // namespace

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
