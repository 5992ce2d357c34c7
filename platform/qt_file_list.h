#pragma once
// A panel's file list read afresh from the working folder: the names of its
// files that match the list's pattern, sorted. A large folder is read and
// shown in steps between which the window goes on handling events, so that
// a hundred thousand entries do not hold it up.
class QListWidget;

namespace platform {

// Fills `list` with the working folder's entries, other than folders, whose
// names match its "pattern" ('*' any run, '?' any one character, letters of
// either case); a newer reading of the same list stops an older one.
void rereadFileList(QListWidget* list);

}  // namespace platform
