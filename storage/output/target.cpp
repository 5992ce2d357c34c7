// Which existing files a write may replace, and which file that is when the
// name is a symbolic link.
#include <limits.h>
#include <sys/stat.h>
#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>

#include "storage/output/leftovers.h"
#include "storage/output/target.h"

namespace storage::detail {

namespace {

std::string folderOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

std::string because(const std::string& what, int err)
{
    return what + ": " + std::strerror(err);
}

const char* kindOf(mode_t mode)
{
    return S_ISCHR(mode) ? "a character device" : S_ISBLK(mode) ? "a block device"
        : S_ISFIFO(mode) ? "a FIFO (named pipe)" : S_ISSOCK(mode) ? "a socket" : "no regular file";
}

}  // namespace

std::string targetFolder(const std::string& name)
{
    struct stat entry {};
    if (::lstat(name.c_str(), &entry) == 0 && S_ISLNK(entry.st_mode)) {
        const std::unique_ptr<char, decltype(&::free)> real(::realpath(name.c_str(), nullptr), &::free);
        if (real)
            return folderOf(real.get());
    }
    return folderOf(name);
}

// Replacing a file gives the new one a new identity: other names (hard
// links) of the old file would keep the old contents, and the new file would
// belong to whoever writes. Neither is what a user writing "over" a file
// expects, so both are refused; writing under another name always works.
// Anything but a regular file (a device such as /dev/null, a FIFO another
// program reads) would be destroyed by a rename, so it is never replaced.
std::string targetProblem(const std::string& name, Target& out)
{
    out = Target{};
    if (name.empty())
        return "the name is empty";
    struct stat st {}, entry {};
    if (::stat(name.c_str(), &st) != 0) {
        const int err = errno;
        if (err != ENOENT) {
            out.systemError = err;
            return because("the name cannot be used", err);
        }
        if (::lstat(name.c_str(), &entry) == 0 && S_ISLNK(entry.st_mode))
            return "it is a symbolic link to a file that does not exist";
        out.path = name;
        out.folder = folderOf(name);
        if (::stat(out.folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
            out.systemError = ENOENT;
            return "there is no folder \"" + out.folder + "\"";
        }
        return {};
    }
    if (S_ISDIR(st.st_mode))
        return "a folder of that name is in the way";
    if (!S_ISREG(st.st_mode))
        return std::string("it is ") + kindOf(st.st_mode) + ", not a regular file, and is never replaced";
    out.path = name;
    // A link stays, and the file it leads to is replaced, as cp and editors do.
    if (::lstat(name.c_str(), &entry) == 0 && S_ISLNK(entry.st_mode)) {
        const std::unique_ptr<char, decltype(&::free)> real(::realpath(name.c_str(), nullptr), &::free);
        if (!real) {
            out.systemError = errno;
            return because("the file the link leads to cannot be found", out.systemError);
        }
        out.path = real.get();
    }
    out.folder = folderOf(out.path);
    out.exists = true;
    out.mode = st.st_mode;
    // The rename could replace a write-protected file; a plain rewrite could
    // not, and the protection is the user's to lift.
    // The system's refusal: the caller tells it from a refused file by systemError.
    if (::access(out.path.c_str(), W_OK) != 0) {
        out.systemError = errno;
        return because("the existing file may not be written", out.systemError);
    }
    // A hidden backup of ours is a name a commit (under way, or cut short
    // and not yet undone) holds for a moment: no stranger's. Another commit
    // may take or drop that name while the folder is read, so the count
    // stands only when the file's names did not change meanwhile.
    unsigned long links = 0, ours = 0;
    for (int tries = 0; tries < 1000; ++tries) {
        links = st.st_nlink - 1;
        ours = links > 0 ? ourBackupsOf(out.folder, st) : 0;
        struct stat again {};
        if (links <= ours || ::stat(out.path.c_str(), &again) != 0
            || (again.st_dev == st.st_dev && again.st_ino == st.st_ino && again.st_nlink == st.st_nlink))
            break;
        st = again;
    }
    if (links > ours)
        return "the existing file has " + std::to_string(links - ours)
            + " other name(s) (hard links), which would keep the old contents; write under another name";
    if (st.st_uid != ::geteuid())
        return "the existing file belongs to another user, and replacing it would make it yours; write under "
               "another name";
    return {};
}

}  // namespace storage::detail
