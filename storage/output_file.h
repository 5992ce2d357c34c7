#pragma once
// The one writer every file of ours goes through, brains and pictures alike,
// from the window, cerebrix-cli and anything built on them. A write is
// complete or not done at all: the new file takes its target's place only
// when every byte is written, and after any failure the old file is as it
// was and nothing is left behind. What may be replaced, and what not, is
// decided once, for every caller (see targetProblem in atomic_file.h).
#include <functional>
#include <memory>
#include <string>

#include "storage/brain_file.h"

namespace storage {

// The name that stands for standard output, as with Unix tools.
inline constexpr char kStandardOutput[] = "-";

// Whether `path` may be written, checked before any work is done: ok, or
// "Cannot write "path": why."
FileResult checkOutput(const std::string& path);

// `bytes` as the whole of `path` (or standard output).
FileResult writeFile(const std::string& path, const std::string& bytes, WriteOptions options = {});

// Several files put in place all together or not at all.
// Each is written beside its target as it comes; commit puts them in place,
// one commit at a time in a folder (a second batch or a single save to the
// same folder waits for it). If that fails part-way, or SIGINT, SIGTERM,
// SIGHUP or SIGQUIT comes while it runs, the files that were there before
// are put back and no new one stays. A process killed outright mid-commit
// leaves a journal in each folder, by which the next write there (or
// removeAbandonedSaves) undoes it; a file changed since the kill is left as
// it is, and told of through the notice handler.
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

// One line of plain words about what a write found and had to leave as it
// was: a file changed after a write was cut short, whose old version is
// kept under another name. The program that finds it says it on stderr, or
// in its own way; nothing is said until a program sets a handler. Called on
// the writing thread.
void setNoticeHandler(std::function<void(const std::string&)> handler);

namespace detail {
// "Cannot write "path": why." (or "to standard output"), as every write says it.
FileResult writeRefusal(const std::string& path, const std::string& why);
}  // namespace detail

}  // namespace storage
