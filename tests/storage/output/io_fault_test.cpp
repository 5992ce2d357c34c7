// Every system call of a save and of a load fails in turn, through the
// preloaded layer of io_faults.cpp, as in SQLite's I/O-error tests: each time
// the old file is byte for byte as it was, the brain in memory untouched, no
// temporary file is left, and the message names the file and the reason.
// Short transfers and interrupted calls, which the code must simply carry on
// after, change nothing at all.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <map>
#include <memory>

#include "storage/output/output_file.h"
#include "storage/output/leftovers.h"

#include "tests/storage/brain_file_test_util.h"

namespace storage::test {
namespace {

struct Outcome {
    int exit = -1;
    bool ok = false;
    std::string message;
    std::vector<std::string> calls;  // name and file of each counted call
};

Outcome runDriver(const std::string& mode, const std::string& folder, const std::string& only, int err, long at,
                  int signal = 0)
{
    int out[2];
    if (::pipe(out) != 0)
        throw std::runtime_error("no pipe");
    const pid_t child = ::fork();
    if (child == 0) {
        ::dup2(out[1], 1);
        ::setenv("LD_PRELOAD", IO_FAULTS_LIB, 1);
        ::setenv("IO_FAULTS_ONLY", only.c_str(), 1);
        ::setenv("IO_FAULTS_ERRNO", std::to_string(err).c_str(), 1);
        ::setenv("IO_FAULTS_AT", std::to_string(at).c_str(), 1);
        ::setenv("IO_FAULTS_SIGNAL", std::to_string(signal).c_str(), 1);
        // The sanitizer's runtime wants to be first; the layer must be.
        const char* asan = std::getenv("ASAN_OPTIONS");
        ::setenv("ASAN_OPTIONS", (std::string(asan ? asan : "") + ":verify_asan_link_order=0:detect_leaks=0").c_str(), 1);
        ::execl(IO_FAULT_DRIVER, IO_FAULT_DRIVER, mode.c_str(), folder.c_str(), nullptr);
        _exit(127);
    }
    ::close(out[1]);
    std::string text;
    char buffer[4096];
    for (ssize_t n; (n = ::read(out[0], buffer, sizeof buffer)) > 0;)
        text.append(buffer, std::size_t(n));
    ::close(out[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    Outcome o;
    o.exit = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    std::istringstream lines(text);
    std::string verdict, line;
    std::getline(lines, verdict);
    std::getline(lines, o.message);
    o.ok = verdict == "ok";
    while (std::getline(lines, line))
        o.calls.push_back(line);
    return o;
}

TEST(BrainFileFaults, EveryFailingCallLeavesTheOldFileAndSaysWhy)
{
    ScratchDir dir;
    const std::string target = dir.file("old.brain");
    const LoadedBrain old = sampleBrain(kLoadedSize);
    ASSERT_TRUE(writeBrainFile(target, old.header, *old.cells, WriteOptions{false}).ok);
    const std::string oldBytes = slurp(target);
    std::string newBytes;
    // Calls whose failure does no harm: listing the folder for old temporary
    // files, making the rename durable once it is done, closing what was read.
    const std::vector<std::string> harmless = {"open " + dir.path, "fsync " + dir.path, "close " + dir.path,
                                               "close " + target};

    const struct {
        const char* mode;
        const char* only;  // calls counted and failed; empty: all
        int err;           // 0: read or write moves half its bytes
    } runs[] = {
        {"save", "", EIO},         {"save-named", "", EIO},      {"load", "", EIO},
        {"save", "write", ENOSPC}, {"save", "write", 0},         {"save-named", "write", EINTR},
        {"load", "read", 0},       {"load", "read", EINTR},
    };
    for (const auto& run : runs) {
        const std::string mode = run.mode;
        std::ofstream(target, std::ios::binary | std::ios::trunc) << oldBytes;
        const Outcome dry = runDriver(mode, dir.path, run.only, run.err, 0);
        ASSERT_TRUE(dry.exit == 0 && dry.ok) << mode << ": " << dry.message;
        if (mode != "load")
            newBytes = slurp(target);
        const bool mustSucceed = run.err == 0 || run.err == EINTR;
        for (long k = 1; k <= long(dry.calls.size()); ++k) {
            std::ofstream(target, std::ios::binary | std::ios::trunc) << oldBytes;
            const Outcome o = runDriver(mode, dir.path, run.only, run.err, k);
            const std::string failed = dry.calls[std::size_t(k - 1)];
            SCOPED_TRACE(mode + " " + (run.err ? std::strerror(run.err) : "short") + ", call " + std::to_string(k) + " (" + failed
                         + "): " + (o.ok ? "ok" : o.message));
            EXPECT_EQ(o.exit, 0) << "the brain in memory was touched, or a load handed over part of one";
            EXPECT_EQ(std::distance(fs::directory_iterator(dir.path), {}), 1) << "a file was left behind";
            const bool changed = slurp(target) != oldBytes;
            if (mustSucceed || o.ok) {
                EXPECT_TRUE(o.ok);
                // A save holds the file it replaces only to free it off its own thread.
                const bool released = mode != "load" && (failed == "open " + target || failed == "close " + target + " (deleted)");
                // The system's files that tell how many threads to use: without them, the CPUs the process may run on.
                const bool limits = failed.find(" /proc/") != std::string::npos || failed.find("/cgroup") != std::string::npos;
                EXPECT_TRUE(mustSucceed || released || limits
                            || std::find(harmless.begin(), harmless.end(), failed) != harmless.end())
                    << "a failure was reported as success";
                EXPECT_TRUE(mode == "load" ? !changed : slurp(target) == newBytes);
            } else {
                EXPECT_FALSE(changed);
                EXPECT_NE(o.message.find("\"" + target + "\": "), std::string::npos);
                const std::string reason =
                    (failed.starts_with("write ") ? "writing failed: " : "") + std::string(std::strerror(run.err));
                EXPECT_NE(o.message.find(reason), std::string::npos);
            }
        }
    }
}

// Four pictures in two folders put in place together over two old ones,
// while every call of the commit in turn fails with EIO, or a SIGTERM (held
// until the old pictures are back) or a SIGKILL comes just before it. The
// user then edits one picture in place and puts another file over a second,
// and a second write in each folder tidies what was left. Whatever came
// when: no picture is lost, neither edit undone, nothing hidden left, and
// the pictures the user did not touch are all old or all new, as the
// outcome said (after a kill, either). An old version whose place the user
// took meanwhile is kept beside it, and one line tells so.
TEST(PictureBatchFaults, NothingLostOrRevertedAndEverySetWhole)
{
    ScratchDir dir;
    using Folder = std::map<std::string, std::string>;
    const Folder old = {{"p1.png", "old 1"}, {"sub/p3.png", "old 3"}, {"other", "x"}};
    const Folder fresh = {{"p1.png", "new 1"}, {"p2.png", "new 2"}, {"sub/p3.png", "new 3"}, {"sub/p4.png", "new 4"},
                          {"other", "x"}};
    const auto contents = [&] {
        Folder now;
        for (const auto& e : fs::recursive_directory_iterator(dir.path))
            if (!e.is_directory())
                now[fs::relative(e.path(), dir.path).string()] = slurp(e.path().string());
        return now;
    };
    const auto visible = [&] {
        Folder now = contents();
        std::erase_if(now, [](const auto& e) { return e.first.find(".cerebrix-save-") != std::string::npos; });
        return now;
    };
    const auto reset = [&] {
        fs::remove_all(dir.file("sub"));
        for (const auto& e : fs::directory_iterator(dir.path))
            fs::remove(e.path());
        fs::create_directory(dir.file("sub"));
        for (const auto& [name, bytes] : old)
            std::ofstream(dir.file(name)) << bytes;
    };
    std::vector<std::string> notices;
    setNoticeHandler([&](const std::string& line) { notices.push_back(line); });
    const std::shared_ptr<void> quiet(nullptr, [](void*) { setNoticeHandler({}); });
    const struct {
        const char* mode;
        int err, signal;
    } runs[] = {{"pictures", EIO, 0},     {"pictures-named", EIO, 0},     {"pictures", 0, SIGTERM},
                {"pictures-named", 0, SIGTERM}, {"pictures", 0, SIGKILL}, {"pictures-named", 0, SIGKILL}};
    for (const auto& run : runs) {
        reset();
        // Closes are left out of the signalled runs: the old files are closed
        // on threads of their own.
        const std::string only = run.signal ? "open,write,link,linkat,rename,unlink,ftruncate,fdatasync,fsync" : "";
        const Outcome dry = runDriver(run.mode, dir.path, only, run.err, 0);
        ASSERT_TRUE(dry.ok && contents() == fresh) << run.mode << ": " << dry.message;
        // A signal from the first journal's removal on finds the commit standing.
        const auto stands = std::find_if(dry.calls.begin(), dry.calls.end(), [](const std::string& call) {
            return call.starts_with("unlink ") && call.ends_with(".journal");
        });
        ASSERT_NE(stands, dry.calls.end());
        for (long k = 1; k <= long(dry.calls.size()); ++k) {
            reset();
            notices.clear();
            const Outcome o = runDriver(run.mode, dir.path, only, run.err, k, run.signal);
            SCOPED_TRACE(std::string(run.mode) + " " + std::to_string(run.err) + "/" + std::to_string(run.signal)
                         + " at call " + std::to_string(k) + " (" + dry.calls[std::size_t(k - 1)] + "): " + o.message);
            const bool committed = (o.exit == 0 && o.ok) || (run.signal && k > stands - dry.calls.begin());
            if (run.signal != SIGKILL) {
                EXPECT_EQ(o.exit, run.signal ? 128 + run.signal : 0);
                EXPECT_EQ(visible(), committed ? fresh : old);
            }
            // The user's edits: one in place, one file put over a picture.
            std::ofstream(dir.file("p1.png"), std::ios::trunc) << "edit 1";
            std::ofstream(dir.file("sub/mine")) << "edit 4";
            fs::rename(dir.file("sub/mine"), dir.file("sub/p4.png"));
            for (const char* folder : {"q", "sub/q"}) {
                ASSERT_TRUE(writeFile(dir.file(folder), "q").ok);
                fs::remove(dir.file(folder));
            }
            Folder now = contents();
            EXPECT_EQ(now["p1.png"], "edit 1");
            EXPECT_EQ(now["sub/p4.png"], "edit 4");
            EXPECT_EQ(now["other"], "x");
            const bool wasNew = now["sub/p3.png"] == "new 3";
            EXPECT_EQ(now.count("p2.png") ? now["p2.png"] : "none", wasNew ? "new 2" : "none");
            EXPECT_EQ(now["sub/p3.png"], wasNew ? "new 3" : "old 3");
            if (run.signal != SIGKILL) {
                EXPECT_EQ(wasNew, committed);
            }
            // Kept beside the edit only when the undo found the new picture replaced.
            const bool keptBeside = now.count("p1.png.old") != 0;
            if (keptBeside) {
                EXPECT_EQ(now["p1.png.old"], "old 1");
            }
            EXPECT_EQ(notices.size(), keptBeside ? 1u : 0u);
            for (const char* name : {"p1.png", "p2.png", "sub/p3.png", "sub/p4.png", "other", "p1.png.old"})
                now.erase(name);
            EXPECT_TRUE(now.empty()) << "left behind: " << now.begin()->first;
        }
    }
}

}  // namespace
}  // namespace storage::test
