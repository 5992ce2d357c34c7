#include "output_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "arguments.h"

namespace cli {
namespace {

std::string folderOf(const std::string& target)
{
    const std::size_t slash = target.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : target.substr(0, slash);
}

std::string because(const std::string& what, int err)
{
    return what + ": " + std::strerror(err);
}

}  // namespace

PendingFiles::~PendingFiles()
{
    discard();
}

void PendingFiles::discard()
{
    std::lock_guard<std::mutex> lock(mutex_);
    for (const auto& [temp, target] : pending_)
        ::unlink(temp.c_str());
    pending_.clear();
}

std::string PendingFiles::write(const std::string& target, const std::string& bytes)
{
    static std::atomic<unsigned> counter{0};
    const std::size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : target.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
    std::string temp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp = folder + "." + base + "." + std::to_string(::getpid()) + "-" + std::to_string(counter++) + ".tmp";
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            return because("cannot create a file in the folder \"" + folderOf(target) + "\"", errno);
    }
    if (fd < 0)
        return "cannot find a free temporary name in the folder \"" + folderOf(target) + "\"";
    {
        std::lock_guard<std::mutex> lock(mutex_);
        pending_.emplace_back(temp, target);
    }
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            const int err = n < 0 ? errno : ENOSPC;
            ::close(fd);
            return because("writing \"" + target + "\" failed", err);
        }
        done += std::size_t(n);
    }
    if (::close(fd) != 0)
        return because("writing \"" + target + "\" failed", errno);
    return {};
}

std::string PendingFiles::commit()
{
    std::lock_guard<std::mutex> lock(mutex_);
    while (!pending_.empty()) {
        const auto& [temp, target] = pending_.front();
        if (::rename(temp.c_str(), target.c_str()) != 0)
            return because("cannot put \"" + target + "\" in place", errno);
        pending_.erase(pending_.begin());
    }
    return {};
}

void checkOutputPath(const std::string& target)
{
    if (target.empty())
        throw Refusal("the output file name is empty");
    struct stat st {};
    if (::stat(target.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
        throw Refusal("cannot write \"" + target + "\": a folder of that name is in the way");
    const std::string folder = folderOf(target);
    if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        throw Refusal("cannot write \"" + target + "\": there is no folder \"" + folder + "\"");
}

}  // namespace cli
