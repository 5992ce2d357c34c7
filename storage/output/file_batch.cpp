// Several files put in place together. Each new file waits, unnamed where the
// folder allows, until commit (batch_commit.h tells its steps), and is given
// its hidden name at once only when the process may not keep more open.
#include <limits.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>
#include <set>
#include <vector>

#include "storage/output/atomic_file.h"
#include "storage/output/batch_commit.h"
#include "storage/output/file_batch.h"
#include "storage/output/leftovers.h"

namespace storage {

namespace {

using detail::AtomicFile;

FileResult refuse(const std::string& path, const std::string& why)
{
    return refusal("write", path, why);
}

// Files kept open, unnamed, until the commit: as many as the process may
// open, less a margin; any further file is given its hidden name at once.
std::size_t openFileBudget()
{
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0)
        return 64;
    if (limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        (void)::setrlimit(RLIMIT_NOFILE, &limit);
        (void)::getrlimit(RLIMIT_NOFILE, &limit);
    }
    return limit.rlim_cur > 256 ? std::size_t(limit.rlim_cur) - 128 : std::size_t(limit.rlim_cur) / 2;
}

std::string realFolder(const std::string& folder)
{
    char* real = ::realpath(folder.c_str(), nullptr);
    std::string out = real ? real : folder;
    ::free(real);
    return out;
}

}  // namespace

struct FileBatch::Files {
    bool durable = false;
    std::mutex mutex;
    std::vector<std::unique_ptr<AtomicFile>> files;
    std::vector<std::string> names;    // as the caller gave them
    std::vector<std::string> folders;  // absolute, of each file
    std::mutex tidying;
    std::set<std::string> tidied;      // folders cleared of what killed writes left
    std::size_t open = 0, budget = openFileBudget();
};


FileBatch::FileBatch(WriteOptions options) : files_(std::make_unique<Files>())
{
    files_->durable = options.sync;
}

FileBatch::~FileBatch() = default;

void FileBatch::discard()
{
    std::lock_guard<std::mutex> lock(files_->mutex);
    files_->files.clear();
    files_->names.clear();
    files_->folders.clear();
    files_->open = 0;
}

FileResult FileBatch::put(const std::string& path, const std::string& bytes)
{
    if (path == kStandardOutput)
        return refuse(path, "several files cannot all go to standard output");
    // What killed writes left in the folder goes before any target there is
    // judged (see AtomicFile::open), once per folder.
    {
        const std::string folder = realFolder(detail::targetFolder(path));
        std::lock_guard<std::mutex> lock(files_->tidying);
        std::string busy;
        if (files_->tidied.count(folder) == 0 && !detail::removeAbandonedTemporaries(folder, busy))
            return refuse(path, busy);
        files_->tidied.insert(folder);
    }
    auto file = std::make_unique<AtomicFile>(path, files_->durable);
    if (!file->open(false) || !file->write(bytes.data(), bytes.size()))
        return refuse(path, file->error());
    const std::string folder = realFolder(file->target().folder);
    std::lock_guard<std::mutex> lock(files_->mutex);
    if (++files_->open > files_->budget) {
        if (!file->seal())
            return refuse(path, file->error());
        --files_->open;
    }
    files_->files.push_back(std::move(file));
    files_->names.push_back(path);
    files_->folders.push_back(folder);
    return {true, {}};
}

FileResult FileBatch::commit()
{
    std::lock_guard<std::mutex> lock(files_->mutex);
    FileResult result = detail::BatchCommit(files_->files, files_->names, files_->folders, files_->durable).run();
    // The batch starts afresh, so that files put after a commit are not
    // judged by the names and folders of those before.
    files_->names.clear();
    files_->folders.clear();
    files_->open = 0;
    return result;
}

}  // namespace storage
