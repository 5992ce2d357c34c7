#pragma once
// How a commit of several files is undone: for each target, the hidden
// backup of the file it replaced (if there was one), and who the old and the
// new file are. The same steps serve a commit that failed and, through the
// journal file written before the first target is touched, one whose process
// died. An undo only ever restores: a target is put back only while it is
// still the very file the commit placed, unchanged since; whatever else
// stands there now (a user's edit) stays, and an old file that cannot go
// back is kept under a visible name rather than lost.
#include <sys/types.h>

#include <ctime>
#include <string>
#include <vector>

namespace storage::detail {

struct FileId {
    dev_t dev = 0;
    ino_t ino = 0;
    bool operator==(const FileId&) const = default;
};

struct JournalEntry {
    std::string target;   // with its folder
    std::string backup;   // in the same folder; empty when nothing was there to keep
    FileId placed;        // the new file
    long long size = -1;  // the new file's length and time as sealed; -1: not known
    timespec modified{};
    FileId old;           // the file replaced, when there is a backup
};

// Puts every target back as the entries say, in any state the commit may
// have reached. `leftAside` gets, per target that could not be put back,
// its name and why, in plain words. False when a call failed, so that the
// journal must stay for a later try.
bool undoEntries(const std::vector<JournalEntry>& entries, std::vector<std::string>& leftAside);

// The journal's text. A commit over several folders has one journal in
// each; the first (`first` empty) lists the others, and each other names
// the first, whose removal is the moment the whole commit stands.
std::string journalText(const std::vector<JournalEntry>& entries, const std::string& first,
                        const std::vector<std::string>& others = {});

// Follows the journal of a dead process: undoes its commit (or, when that
// commit had already come to stand, only drops its backups) and removes it,
// with the other folders' journals of the same commit. One of another user,
// one still locked or one whose process runs is left alone. Adds a line to
// `notices` when a target had to be left as it is. False when it stays.
bool recoverJournal(const std::string& path, std::vector<std::string>& notices);

// One line for the files an undo left aside in `folder`.
std::string leftAsideNotice(const std::string& folder, const std::vector<std::string>& leftAside);

}  // namespace storage::detail
