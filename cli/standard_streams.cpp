#include "standard_streams.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "arguments.h"
#include "progress.h"

namespace cli {
namespace {

// Told once: a failed write already refused needs no second line at exit.
bool told = false;

std::string writeProblem(int error)
{
    return std::string("cannot write to standard output: ") + std::strerror(error);
}

}  // namespace

void printOut(const std::string& text, bool flush)
{
    Progress::wipe();
    errno = 0;
    if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size() || (flush && std::fflush(stdout) != 0)
        || std::ferror(stdout)) {
        told = true;
        throw Refusal(writeProblem(errno != 0 ? errno : EIO));
    }
}

void printErr(const std::string& text)
{
    Progress::wipe();
    std::fputs(text.c_str(), stderr);
    std::fflush(stderr);
}

int finishStandardOutput(int status)
{
    errno = 0;
    const bool failed = std::ferror(stdout) != 0;
    // fclose flushes what is left; on a full disk or a closed pipe it fails.
    if (std::fclose(stdout) != 0 || failed) {
        if (told)
            return status;
        std::fprintf(stderr, "cerebrix-cli: %s\n", writeProblem(errno != 0 ? errno : EIO).c_str());
        return 1;
    }
    return status;
}

}  // namespace cli
