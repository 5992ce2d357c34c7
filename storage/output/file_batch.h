#pragma once
// Several files put in place all together or not at all.
// Each is written beside its target as it comes; commit puts them in place,
// one commit at a time in a folder (a second batch or a single save to the
// same folder waits for it). If that fails part-way, or SIGINT, SIGTERM,
// SIGHUP or SIGQUIT comes while it runs, the files that were there before
// are put back and no new one stays. A process killed outright mid-commit
// leaves a journal in each folder, by which the next write there (or
// removeAbandonedSaves) undoes it; a file changed since the kill is left as
// it is, and told of through the notice handler.
#include <memory>
#include <string>

#include "storage/output/output_file.h"

namespace storage {

class FileBatch {
public:
    explicit FileBatch(WriteOptions options = {});
    ~FileBatch();  // discards what was not committed
    FileBatch(const FileBatch&) = delete;
    FileBatch& operator=(const FileBatch&) = delete;

    // Writes `bytes` for `path`; safe to call from several threads.
    FileResult put(const std::string& path, const std::string& bytes);
    FileResult commit();
    // Drops every file not yet committed; the targets stay as they are.
    void discard();

private:
    struct Files;
    std::unique_ptr<Files> files_;
};

}  // namespace storage
