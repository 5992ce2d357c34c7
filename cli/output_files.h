#pragma once
// Pictures that appear under their names only when every one of them is
// complete: each is written to a temporary file beside its target, and all
// are renamed over their targets together at commit. Until then, and after
// any failure, the targets are untouched and no temporary file remains.
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace cli {

class PendingFiles {
public:
    PendingFiles() = default;
    ~PendingFiles();  // removes every temporary that was not committed
    PendingFiles(const PendingFiles&) = delete;
    PendingFiles& operator=(const PendingFiles&) = delete;

    // Writes the bytes beside `target`. Safe to call from several threads.
    // Empty on success, otherwise the reason in plain words.
    std::string write(const std::string& target, const std::string& bytes);
    // Puts every file in place; empty on success, otherwise the reason.
    std::string commit();
    // Removes every temporary now, leaving the targets as they were.
    void discard();

private:
    std::mutex mutex_;
    std::vector<std::pair<std::string, std::string>> pending_;  // temporary, target
};

// Refuses, before any work is done, an output that can never be written: a
// folder in the way or a folder that does not exist.
void checkOutputPath(const std::string& target);

}  // namespace cli
