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

#include "storage/output/target.h"

namespace storage::detail {

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
