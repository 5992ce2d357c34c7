// Saving replaces a file whole or not at all: after any failure the old file
// is byte for byte as it was and no temporary file is left.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "tests/files/brain_file_test_util.h"

namespace files::test {
namespace {

// A folder holding one brain file, "old.brain", to be saved over.
struct BrainFileSave : ::testing::Test {
    void SetUp() override
    {
        ASSERT_FALSE(dir.path().empty());
        spit(target, oldBytes);
    }
    void expectUntouched()
    {
        EXPECT_EQ(slurp(target), oldBytes);
        EXPECT_EQ(dir.entries(), std::vector<std::string>{"old.brain"});
    }

    ScratchDir dir;
    std::string target = dir.file("old.brain");
    std::string oldBytes = brainText("2,2,2,1,2,3,4,5,1,1", 2);
};

// Runs `body` in a child process and returns its exit code (-signal if killed).
template <class Body>
int inChild(Body body)
{
    const pid_t child = ::fork();
    if (child == 0)
        _exit(body());
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
}

TEST_F(BrainFileSave, ReplacesTheFileKeepingItsPermissions)
{
    ASSERT_EQ(::chmod(target.c_str(), 0600), 0);
    auto grid = patternGrid(3);
    ASSERT_TRUE(writeBrainFile(target, headerOfSize(3), *grid).ok);
    LoadedBrain back;
    ASSERT_TRUE(readBrainFile(target, back).ok);
    EXPECT_EQ(back.cells->at(brain::Blue, 2, 2, 2), grid->at(brain::Blue, 2, 2, 2));
    struct stat st {};
    ASSERT_EQ(::stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    // A name without a folder is saved in the working directory.
    EXPECT_EQ(0, inChild([&] {
        return ::chdir(dir.path().c_str()) == 0 && writeBrainFile("new.brain", headerOfSize(3), *grid).ok ? 0 : 1;
    }));
    EXPECT_EQ(slurp(dir.file("new.brain")), slurp(target));
}

TEST_F(BrainFileSave, RefusalsLeaveEverythingAsItWas)
{
    auto grid = patternGrid(30);
    BrainHeader grown = headerOfSize(40), badColour = headerOfSize(30), badStep = headerOfSize(30);
    badColour.drawGreen = 300;
    badStep.moverStepX = 0;
    ASSERT_EQ(::mkdir(dir.file("folder.brain").c_str(), 0755), 0);
    const struct {
        std::string path;
        BrainHeader header;
        std::string reason;
    } cases[] = {
        {target, grown, "generate the brain at its new size first"},
        {target, badColour, "green component is 300"},
        {target, badStep, "horizontal direction is 0"},
        {dir.file("folder.brain"), headerOfSize(30), "folder of that name"},
        {dir.file("no/such/folder.brain"), headerOfSize(30), "No such file or directory"},
    };
    for (const auto& c : cases) {
        const FileResult r = writeBrainFile(c.path, c.header, *grid);
        EXPECT_FALSE(r.ok);
        EXPECT_NE(r.error.find("\"" + c.path + "\""), std::string::npos) << r.error;
        EXPECT_NE(r.error.find(c.reason), std::string::npos) << r.error;
    }
    ASSERT_EQ(::rmdir(dir.file("folder.brain").c_str()), 0);
    expectUntouched();
}

TEST_F(BrainFileSave, FullDiskLeavesTheOldFile)
{
    auto grid = patternGrid(100);
    const std::string probe = dir.file("probe");
    ASSERT_TRUE(writeBrainFile(probe, headerOfSize(100), *grid, WriteOptions{false}).ok);
    struct stat st {};
    ASSERT_EQ(::stat(probe.c_str(), &st), 0);
    ASSERT_EQ(::unlink(probe.c_str()), 0);

    // The limit hits before the header, inside it, in the first and a later
    // chunk, and on the very last byte.
    const rlim_t full = rlim_t(st.st_size);
    for (rlim_t limit : {rlim_t(0), rlim_t(10), rlim_t(4096), rlim_t(5) << 20, full - 1}) {
        SCOPED_TRACE(limit);
        const int code = inChild([&] {
            ::signal(SIGXFSZ, SIG_IGN);  // report the failed write instead of dying
            const rlimit cap{limit, limit};
            ::setrlimit(RLIMIT_FSIZE, &cap);
            const FileResult r = writeBrainFile(target, headerOfSize(100), *grid);
            return !r.ok && r.error.find("writing failed: File too large") != std::string::npos ? 0 : 1;
        });
        EXPECT_EQ(code, 0);
        expectUntouched();
    }
}

TEST_F(BrainFileSave, ProtectedFolderOrFileIsLeftAlone)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root writes anywhere";
    const struct {
        mode_t folder, file;
    } cases[] = {{0555, 0644}, {0755, 0444}};
    auto grid = patternGrid(4);
    for (const auto& c : cases) {
        ASSERT_EQ(::chmod(dir.path().c_str(), c.folder), 0);
        ASSERT_EQ(::chmod(target.c_str(), c.file), 0);
        const FileResult r = writeBrainFile(target, headerOfSize(4), *grid);
        ::chmod(dir.path().c_str(), 0755);
        EXPECT_FALSE(r.ok);
        EXPECT_NE(r.error.find("Permission denied"), std::string::npos) << r.error;
        expectUntouched();
    }
}

std::uint64_t bytesWrittenBy(pid_t pid)
{
    std::ifstream io("/proc/" + std::to_string(pid) + "/io");
    std::string key;
    std::uint64_t value = 0;
    while (io >> key >> value)
        if (key == "wchar:")
            return value;
    return 0;
}

TEST_F(BrainFileSave, SaveKilledMidWriteLeavesTheOldFile)
{
    auto grid = patternGrid(200);  // about 110 MB of text
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0)
        _exit(writeBrainFile(target, headerOfSize(200), *grid, WriteOptions{false}).ok ? 0 : 1);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (bytesWrittenBy(child) < (std::uint64_t(8) << 20) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (!WIFSIGNALED(status))
        GTEST_SKIP() << "the save finished before it could be killed";

    EXPECT_EQ(slurp(target), oldBytes);
    // Where the folder cannot hold unnamed files a named one is left; it is
    // hidden and never taken for a brain.
    std::vector<std::string> names = dir.entries();
    const int probe = ::open(dir.path().c_str(), O_TMPFILE | O_WRONLY, 0600);
    if (probe < 0)
        std::erase_if(names, [](const std::string& n) { return n.rfind(".cerebrix-save-", 0) == 0; });
    else
        ::close(probe);
    EXPECT_EQ(names, std::vector<std::string>{"old.brain"});
}

}  // namespace
}  // namespace files::test
