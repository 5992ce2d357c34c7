#pragma once
// A file that takes its target's place only once it is complete: the bytes go
// to a temporary file in the target's folder, which is renamed over the target
// at commit. Until then, and after any failure, the target is untouched, and
// the temporary file is removed (or, where the system allows, never had a
// name, so not even a killed program leaves one behind: a new file is linked
// straight to its target, and one that replaces another is named only with
// the interrupting signals held, just before its rename). Only SIGKILL in
// that instant, or a folder that cannot hold unnamed files, leaves a named
// temporary file behind; the next write in that folder removes it. The
// target "-" is standard output, written straight through.
#include <sys/stat.h>
#include <sys/types.h>

#include <cstddef>
#include <string>

namespace storage::detail {

// What a write will replace: the file a path leads to, links followed.
struct Target {
    std::string path;    // the file to replace or create
    std::string folder;  // where its temporary file goes
    bool exists = false;
    mode_t mode = 0;     // of the file replaced
    int systemError = 0; // behind a refusal the system made (ENOENT: no folder), 0 for a rule
};

// Why `name` may not be written, in plain words, or empty when it may; fills
// `out` with where the new file goes. The rules every write obeys: a link is
// followed and the file it leads to replaced; a link that leads nowhere, a
// folder, device, FIFO or socket, a write-protected file, one with other
// names (hard links; our own hidden backups do not count) and another
// user's are refused, as is a folder that is not there.
std::string targetProblem(const std::string& name, Target& out);
// The folder the file `name` leads to lies in, without any other check.
std::string targetFolder(const std::string& name);

// Removes the temporary files that saves of processes no longer running left
// in `folder`, and undoes the half-done commits of several files they left
// (see output_file.h), under the folder's lock. A file is left alone while
// its process runs, while any process holds the lock a save keeps on it
// (which also covers a process of another machine on a shared folder), and
// when it is another user's. False, with the reason, when another write
// holds the folder too long. What had to be left aside is told through the
// notice handler (output_file.h).
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

class AtomicFile {
public:
    // durable: the data reaches the disk before the new file takes the old
    // one's place, and the rename is made to last as well.
    AtomicFile(std::string target, bool durable);
    ~AtomicFile();  // discards everything unless committed
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // tidyFolder: first remove what killed writes left in the folder.
    bool open(bool tidyFolder = true);
    // All `size` bytes, or false.
    bool write(const char* data, std::size_t size);
    // From now on write() leaves starting the disk to startWriteBack, so
    // that one thread can start it on its piece while another writes the
    // next. Unstarted, the rename of a file that replaces another starts
    // the whole file at once, and a durable one waits at the flush.
    void takeOverWriteBack() { hintsByHand_ = true; }
    // Starts the disk on bytes [from, from + size) of the file and returns
    // without waiting: only a hint.
    void startWriteBack(unsigned long long from, std::size_t size) const;
    // Puts the file in place under the folder's lock, with the interrupting
    // signals held.
    bool commit();

    // commit() in two steps, for several files put in place together:
    // seal flushes the file, gives it a (hidden) name and closes it;
    // place renames it over the target.
    bool seal();
    bool place();

    const Target& target() const { return target_; }
    // The new file as sealed: who it is, its length and time.
    const struct stat& sealedAs() const { return sealedAs_; }
    bool toStandardOutput() const { return name_ == "-"; }

    // Why the last call failed, in plain words.
    const std::string& error() const { return error_; }
    // The system's error number behind it, 0 when the refusal is our own.
    int systemError() const { return systemError_; }

private:
    bool fail(const std::string& what, int err);
    bool flush();
    bool nameTemporary();
    void syncFolder() const;
    void discard();

    std::string name_;  // as the caller gave it
    Target target_;
    std::string tempName_;  // empty while the file has no name
    int fd_ = -1;
    bool durable_;
    bool unnamed_ = false;
    bool flushed_ = false;
    bool sealed_ = false;
    bool hintsByHand_ = false;
    struct stat sealedAs_ {};
    unsigned long long written_ = 0;
    std::string error_;
    int systemError_ = 0;
};

}  // namespace storage::detail
