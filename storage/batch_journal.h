#pragma once
// How a commit of several files is undone: for each target, the hidden
// backup of the file it replaced (if there was one) and the inode of the new
// file. The same steps serve a commit that failed and, through the journal
// file written before the first target is touched, one whose process died.
#include <sys/types.h>

#include <string>
#include <vector>

namespace storage::detail {

struct JournalEntry {
    std::string target;  // with its folder
    std::string backup;  // in the same folder; empty when nothing was there to keep
    ino_t inode = 0;     // of the new file
};

// Puts every target back as the journal's entries say, in any state the
// commit may have reached.
void undoEntries(const std::vector<JournalEntry>& entries);

// Reads the journal of a dead process, undoes its commit and removes it;
// one of another user is left alone. False when the journal stays.
bool undoJournal(const std::string& path);

std::string journalText(const std::vector<JournalEntry>& entries);

}  // namespace storage::detail
