// Saving replaces a file whole or not at all: after any failure the old file
// is byte for byte as it was and no temporary file is left.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <sys/file.h>

#include <set>
#include <thread>

#include "storage/output/atomic_file.h"
#include "storage/output/leftovers.h"

#include "storage/file_calls.h"
#include "tests/storage/brain_file_test_util.h"

namespace storage::test {
namespace {

// A folder holding one brain file, "old.brain", to be saved over.
struct BrainFileSave : ::testing::Test {
    void SetUp() override { std::ofstream(target, std::ios::binary) << oldBytes; }
    void expectUntouched()
    {
        EXPECT_EQ(slurp(target), oldBytes);
        EXPECT_EQ(std::distance(fs::directory_iterator(dir.path), {}), 1) << "more than the old file";
    }
    ScratchDir dir;
    std::string target = dir.file("old.brain"), oldBytes = brainText("2,2,2,1,2,3,4,5,1,1", 2);
};

// Runs `body` in a child process: its exit code, or minus the signal that killed it.
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

// Either would give a file that cannot be loaded again.
TEST_F(BrainFileSave, RefusesAHeaderThatDoesNotFitTheCells)
{
    auto grid = patternGrid(30);
    const std::string sizeError = writeBrainFile(target, sized(40), *grid).error;
    const BrainHeader badColour{.dimX = 30, .dimY = 30, .dimZ = 30, .drawGreen = 300};
    const std::string colourError = writeBrainFile(target, badColour, *grid).error;
    EXPECT_NE(sizeError.find("generate the brain at its new size first"), std::string::npos) << sizeError;
    EXPECT_NE(colourError.find("green component is 300"), std::string::npos) << colourError;
    expectUntouched();
}

TEST_F(BrainFileSave, SaveKilledMidWriteLeavesTheOldFile)
{
    auto grid = patternGrid(200);  // about 110 MB of text
    const int code = inChild([&] {
        std::thread([] {  // kills the save once it has written some 8 MB
            while (systemNumber("/proc/self/io", "wchar") < (8 << 20)) {
            }
            ::raise(SIGKILL);
        }).detach();
        return writeBrainFile(target, sized(200), *grid, WriteOptions{false}).ok ? 0 : 1;
    });
    if (code != -SIGKILL)
        GTEST_SKIP() << "the save finished before it could be killed";
    EXPECT_EQ(slurp(target), oldBytes);
    // Where the folder cannot hold unnamed files, a killed save leaves a
    // hidden named one behind, never taken for a brain.
    if (const int unnamed = storage::openUnnamedFile(dir.path); unnamed >= 0 && ::close(unnamed) == 0)
        expectUntouched();
}

// Where a folder cannot hold unnamed files, a save killed mid-write leaves a
// named temporary file. The next save removes those of processes that no
// longer run, and nothing else.
TEST_F(BrainFileSave, RemovesOnlyTemporariesOfSavesThatDied)
{
    detail::allowUnnamedTemporaries(false);
    auto startSave = [&](bool finish) {  // a child that dies, or lives, mid-save
        int ready[2];
        EXPECT_EQ(::pipe(ready), 0);
        const pid_t child = ::fork();
        if (child == 0) {
            detail::AtomicFile file(target, false);
            const bool begun = file.open() && file.write("12", 2);
            if (::write(ready[1], &begun, 1) != 1 || finish)
                _exit(0);  // no destructors: the file stays behind
            ::pause();
        }
        bool begun = false;
        EXPECT_TRUE(::read(ready[0], &begun, 1) == 1 && begun);
        ::close(ready[0]);
        ::close(ready[1]);
        if (finish)
            ::waitpid(child, nullptr, 0);
        return child;
    };
    const std::string dead = std::to_string(startSave(true)), self = std::to_string(::getpid());
    pid_t running = startSave(false);
    // Ends the child once: after it was reaped its pid may be another process's.
    const auto reap = [&] {
        if (running > 0) {
            ::kill(running, SIGKILL);
            ::waitpid(running, nullptr, 0);
            running = 0;
        }
    };
    const std::shared_ptr<void> reaper(nullptr, [&](void*) {  // also when an assertion fails
        reap();
        detail::allowUnnamedTemporaries(true);
    });
    const auto tmp = [](const std::string& pid, const char* rest) { return ".cerebrix-save-" + pid + rest; };
    std::string runningFile;  // its save goes on
    for (const auto& e : fs::directory_iterator(dir.path))
        if (e.path().filename().string().starts_with(tmp(std::to_string(running), "-")))
            runningFile = e.path().filename();
    const std::set<std::string> kept = {
        "old.brain",
        runningFile,
        tmp(self, "-7.tmp"),                     // this process runs
        tmp(dead, "-8.tmp"),                     // dead here, but locked: in use elsewhere
        tmp(dead, ".tmp"),
        tmp(dead, "-1.tmp~"),
        tmp(dead, "-x.tmp"),
        tmp("0", "-1.tmp"),
        "cerebrix-save-" + dead + "-1.tmp",
        tmp(dead, "-9.tmp/"),  // a folder
    };
    for (const std::string& name : kept)
        if (name.ends_with("/"))
            fs::create_directory(dir.file(name));
        else if (!fs::exists(dir.file(name)))
            std::ofstream(dir.file(name)) << "x";
    const int lock = ::open(dir.file(tmp(dead, "-8.tmp")).c_str(), O_RDONLY);
    ASSERT_EQ(::flock(lock, LOCK_EX), 0);
    std::ofstream(dir.file(tmp(dead, "-5.tmp"))) << "abandoned";
    ASSERT_EQ(std::distance(fs::directory_iterator(dir.path), {}), 11);

    ASSERT_TRUE(writeBrainFile(target, sized(3), *patternGrid(3), WriteOptions{false}).ok);
    std::set<std::string> left;
    for (const auto& e : fs::directory_iterator(dir.path))
        left.insert(e.path().filename().string() + (e.is_directory() ? "/" : ""));
    EXPECT_EQ(left, kept);

    // Once its process has ended, the next clean-up removes its file too.
    reap();
    removeAbandonedSaves(dir.path);
    EXPECT_FALSE(fs::exists(dir.file(runningFile)));
    ::close(lock);
}

}  // namespace
}  // namespace storage::test
