#pragma once
// The commit of a batch of files in its steps, one function each. Under the
// lock of every folder the batch writes in and with the interrupting signals
// held:
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
#include <cstddef>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "storage/file_result.h"
#include "storage/output/atomic_file.h"
#include "storage/output/batch_journal.h"

namespace storage::detail {

class BatchCommit {
public:
    // files[i] is written for names[i] (as the caller gave it) in folders[i]
    // (absolute). The files are dropped when the commit ends, whatever the end.
    BatchCommit(std::vector<std::unique_ptr<AtomicFile>>& files, const std::vector<std::string>& names,
                const std::vector<std::string>& folders, bool durable)
        : files_(files), names_(names), folders_(folders), durable_(durable)
    {
    }
    FileResult run();

private:
    bool groupByFolder();
    bool sealFiles();         // 1
    void noteTargets();
    void writeJournals();     // 2
    void keepOldFilesAside(); // 3
    void placeNewFiles();     // 4
    FileResult finish();      // 5, or the undo
    bool neutralise(const std::pair<std::string, int>& journal) const;
    FileResult giveUp(std::size_t i, std::string why);

    std::vector<std::unique_ptr<AtomicFile>>& files_;
    const std::vector<std::string>& names_;
    const std::vector<std::string>& folders_;
    const bool durable_;
    // In one order, so that no two commits wait on each other.
    std::map<std::string, std::vector<std::size_t>> byFolder_;
    std::vector<JournalEntry> entries_;
    std::vector<std::pair<std::string, int>> journals_;  // path, descriptor; the first first
    std::string why_;  // empty while all goes well
    int err_ = 0;
    std::size_t failedAt_ = 0;
};

}  // namespace storage::detail
