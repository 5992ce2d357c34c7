#pragma once
// A file that takes its target's place only once it is complete: the bytes go
// to a temporary file in the target's folder, which is renamed over the target
// at commit. Until then, and after any failure, the target is untouched, and
// the temporary file is removed (or, where the system allows, never had a
// name, so not even a killed program leaves one behind). Where the folder
// cannot hold unnamed files, a killed save leaves its named one behind; the
// next save in that folder removes it. The target "-" is standard output,
// written straight through.
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
// names (hard links) and another user's are refused, as is a folder that is
// not there.
std::string targetProblem(const std::string& name, Target& out);

// Removes the temporary files that saves of processes no longer running left
// in `folder`, and undoes the half-done commits of several files they left
// (see file_batch.h). A file is left alone while its process runs or while
// any process holds the lock a save keeps on it (which also covers a process
// of another machine on a shared folder).
void removeAbandonedTemporaries(const std::string& folder);

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
    bool commit() { return seal() && place(); }

    // commit() in two steps, for several files put in place together:
    // seal flushes the file, gives it a (hidden) name and closes it;
    // place renames it over the target.
    bool seal();
    bool place();

    const Target& target() const { return target_; }
    ino_t inode() const { return inode_; }  // of the new file, once sealed
    bool toStandardOutput() const { return name_ == "-"; }

    // Why the last call failed, in plain words.
    const std::string& error() const { return error_; }
    // The system's error number behind it, 0 when the refusal is our own.
    int systemError() const { return systemError_; }

private:
    bool fail(const std::string& what, int err);
    bool nameTemporary();
    void discard();

    std::string name_;  // as the caller gave it
    Target target_;
    std::string tempName_;  // empty while the file has no name
    int fd_ = -1;
    bool durable_;
    bool unnamed_ = false;
    bool sealed_ = false;
    bool hintsByHand_ = false;
    ino_t inode_ = 0;
    unsigned long long written_ = 0;
    std::string error_;
    int systemError_ = 0;
};

}  // namespace storage::detail
