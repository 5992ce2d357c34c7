#pragma once
// The hidden files a write makes beside its target, their names, and the
// clean-up of those that a killed process left behind; the notices of what
// such a clean-up had to leave as it was.
#include <sys/stat.h>
#include <sys/types.h>

#include <functional>
#include <string>

namespace storage {

// Removes the temporary files that saves killed mid-write left in `folder`
// (where it cannot hold unnamed files), never one of a save still under way.
// Every save does this in its own folder; a program may also do it at start.
void removeAbandonedSaves(const std::string& folder);

// One line of plain words about what a write found and had to leave as it
// was: a file changed after a write was cut short, whose old version is
// kept under another name. The program that finds it says it on stderr, or
// in its own way; nothing is said until a program sets a handler. Called on
// the writing thread.
void setNoticeHandler(std::function<void(const std::string&)> handler);

namespace detail {

// Removes the temporary files that saves of processes no longer running left
// in `folder`, and undoes the half-done commits of several files they left
// (see file_batch.h), under the folder's lock. A file is left alone while
// its process runs, while any process holds the lock a save keeps on it
// (which also covers a process of another machine on a shared folder), and
// when it is another user's. False, with the reason, when another write
// holds the folder too long. What had to be left aside is told through the
// notice handler (above).
bool removeAbandonedTemporaries(const std::string& folder, std::string& why);
// A hidden file of ours whose process has gone and which nobody holds.
bool abandoned(const std::string& path);
// How many of `file`'s names in `folder` are our hidden backups.
unsigned long ourBackupsOf(const std::string& folder, const struct stat& file);
// Hands one line to the program's notice handler, if it set one.
void notify(const std::string& line);

// For tests: false makes saves take the named temporary file that folders
// without unnamed files get.
void allowUnnamedTemporaries(bool allowed);
bool unnamedTemporariesAllowed();

// Our hidden names in a folder, one kind per suffix; the process id in them
// tells a later save whether the one that made them still runs.
enum class Kind { Temporary, Journal, Backup };
std::string hiddenName(const std::string& folder, Kind kind);
// The process of one of those names, 0 for any other name.
pid_t hiddenOwner(const char* name, Kind& kind);

}  // namespace detail

}  // namespace storage
