// Files whose length claims far more than they hold (sparse or preallocated,
// as `truncate -s 21G` makes): each is refused at once, at its first zero byte,
// having read and cost no more than a few bytes. Time, memory and the bytes
// read are measured in a child process,
// so that this process's own pages do not blur the figures; the bounds are
// wide margins for a correct reader, not speed targets.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>

#include "tests/storage/brain_file_test_util.h"

namespace storage::test {
namespace {

struct Cost {
    double seconds = 0;
    long long extraKiB = 0, bytesRead = 0;
    char error[512] = {};
};

// Loads `path` in a child process: how long it took, the peak memory beyond
// what the child held before, the bytes it read, and the message.
Cost loadInChild(const std::string& path)
{
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0)
        throw std::runtime_error("no pipe");
    const pid_t child = ::fork();
    if (child == 0) {
        Cost cost;
        std::ofstream("/proc/self/clear_refs") << "5";  // the peak starts from here
        const long long before = systemNumber("/proc/self/status", "VmRSS"),
                        readBefore = systemNumber("/proc/self/io", "rchar");
        const auto start = std::chrono::steady_clock::now();
        LoadedBrain out;
        const FileResult r = readBrainFile(path, out);
        cost.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        cost.bytesRead = systemNumber("/proc/self/io", "rchar") - readBefore;
        cost.extraKiB = systemNumber("/proc/self/status", "VmHWM") - before;
        std::snprintf(cost.error, sizeof cost.error, "%s", r.ok ? "loaded" : r.error.c_str());
        _exit(::write(pipeEnds[1], &cost, sizeof cost) == ssize_t(sizeof cost) ? 0 : 1);
    }
    ::close(pipeEnds[1]);
    Cost cost;
    const bool got = ::read(pipeEnds[0], &cost, sizeof cost) == ssize_t(sizeof cost);
    ::close(pipeEnds[0]);
    ::waitpid(child, nullptr, 0);
    if (!got)
        std::snprintf(cost.error, sizeof cost.error, "the child died");
    return cost;
}

TEST(BrainFileReader, SparseFilesAreRefusedCheaply)
{
    constexpr off_t GiB = off_t(1) << 30;
    const struct {
        int size;
        off_t apparent;
        int goodCells;  // cells written before the hole
        const char* reason;
    } cases[] = {
        {410, 1 * GiB, 0, "red value of cell (0, 0, 0) (at byte 28) is a zero byte"},
        {410, 1 * GiB, 300, "red value of cell (300, 0, 0) (at byte "},
        {1000, 7 * GiB, 0, "is a zero byte"},
        {1180, 10 * GiB, 1000, "is a zero byte"},
        {1500, 21 * GiB, 0, "is a zero byte"},
        {1500, 21 * GiB, 300, "red value of cell (300, 0, 0)"},
        {2000, 21 * GiB, 0, "needs at least 47999999999 bytes"},
        {1500, 1 * GiB, 10, "needs at least"},
    };
    ScratchDir dir;
    for (const auto& c : cases) {
        const std::string path = dir.file("sparse.brain");
        {
            std::ofstream out(path, std::ios::binary | std::ios::trunc);
            out << c.size << ',' << c.size << ',' << c.size << ",1,2,3,0,0,1,1\r\n";
            for (int i = 0; i < 3 * c.goodCells; ++i)
                out << i % 256 << "\r\n";
        }
        if (::truncate(path.c_str(), c.apparent) != 0)
            GTEST_SKIP() << "this file system cannot hold a sparse file of " << c.apparent << " bytes";
        const Cost cost = loadInChild(path);
        SCOPED_TRACE(std::to_string(c.size) + " in " + std::to_string(c.apparent / GiB) + " GiB: " + cost.error);
        EXPECT_NE(std::string(cost.error).find(c.reason), std::string::npos);
        EXPECT_LT(cost.seconds, 0.5);
        EXPECT_LT(cost.extraKiB, 64 * 1024);
        EXPECT_LT(cost.bytesRead, 1 << 20);
    }
}

}  // namespace
}  // namespace storage::test
