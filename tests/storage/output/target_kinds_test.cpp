// Every kind of existing target against every door to the one writer: the
// window's save, a single picture, and several pictures committed together.
// A refusal leaves the folder exactly as it was; a write replaces the file
// the name leads to and leaves nothing else behind.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <memory>

#include "storage/output/file_batch.h"
#include "storage/output/leftovers.h"
#include "tests/storage/brain_file_test_util.h"

namespace storage::test {
namespace {

enum class Door { WindowSave, Picture, Batch };

// Writes "t" (and, for a batch, the new "u" with it) through one door; the
// bytes "t" gets.
FileResult writeThrough(Door door, const ScratchDir& dir, std::string& bytes)
{
    if (door == Door::WindowSave) {
        ScratchDir elsewhere;
        writeBrainFile(elsewhere.file("t"), sized(3), *patternGrid(3));
        bytes = slurp(elsewhere.file("t"));
        return writeBrainFile(dir.file("t"), sized(3), *patternGrid(3));
    }
    bytes = "new picture";
    if (door == Door::Picture)
        return writeFile(dir.file("t"), bytes);
    FileBatch batch;
    FileResult r = batch.put(dir.file("u"), "another picture");
    if (r.ok)
        r = batch.put(dir.file("t"), bytes);
    return r.ok ? batch.commit() : r;
}

TEST(OneWriter, EveryKindOfTargetThroughEveryDoor)
{
    const bool root = ::geteuid() == 0;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    const std::string fresh = std::to_string(0666 & ~mask);
    const auto file = [](const std::string& path, mode_t mode) {
        std::ofstream(path) << "old";
        return ::chmod(path.c_str(), mode) == 0;
    };
    const struct {
        const char* kind;
        std::function<bool(const ScratchDir&)> arrange;  // false: cannot be arranged here
        const char* written;                             // the file that gets the new bytes; null: refused
        const char* reason;                              // in the refusal
    } cases[] = {
        {"nothing there", [](const ScratchDir&) { return true; }, "t", ""},
        {"regular file", [&](const ScratchDir& d) { return file(d.file("t"), 0640); }, "t", ""},
        {"set-id program", [&](const ScratchDir& d) { return file(d.file("t"), 06755); }, "t", ""},
        {"link to a file", [&](const ScratchDir& d) { return file(d.file("f"), 0600) && ::symlink("f", d.file("t").c_str()) == 0; },
         "f", ""},
        {"read-only file", [&](const ScratchDir& d) { return !root && file(d.file("t"), 0444); }, nullptr,
         "may not be written"},
        {"hard-linked file", [&](const ScratchDir& d) { return file(d.file("t"), 0644) && ::link(d.file("t").c_str(), d.file("twin").c_str()) == 0; },
         nullptr, "1 other name(s) (hard links)"},
        {"another user's file", [&](const ScratchDir& d) { return root && file(d.file("t"), 0644) && ::chown(d.file("t").c_str(), 65534, 65534) == 0; },
         nullptr, "belongs to another user"},
        {"dangling link", [](const ScratchDir& d) { return ::symlink("nowhere", d.file("t").c_str()) == 0; }, nullptr,
         "symbolic link to a file that does not exist"},
        {"device node", [](const ScratchDir& d) { return ::mknod(d.file("t").c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0; },
         nullptr, "a character device, not a regular file"},
        {"link to a device node", [](const ScratchDir& d) {
             return ::mknod(d.file("null").c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0 && ::symlink("null", d.file("t").c_str()) == 0;
         }, nullptr, "a character device, not a regular file"},
        {"FIFO", [](const ScratchDir& d) { return ::mkfifo(d.file("t").c_str(), 0666) == 0; }, nullptr, "a FIFO"},
        {"socket", [](const ScratchDir& d) { return ::mknod(d.file("t").c_str(), S_IFSOCK | 0666, 0) == 0; }, nullptr,
         "a socket"},
        {"folder", [](const ScratchDir& d) { return fs::create_directory(d.file("t")); }, nullptr, "a folder of that name"},
    };
    for (const Door door : {Door::WindowSave, Door::Picture, Door::Batch})
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(c.kind) + " through door " + std::to_string(int(door)));
            ScratchDir dir;
            if (!c.arrange(dir))
                continue;
            auto expected = folderSnapshot(dir.path);
            std::string bytes;
            const FileResult r = writeThrough(door, dir, bytes);
            EXPECT_EQ(r.ok, c.written != nullptr) << r.error;
            if (c.written) {
                // Set-id bits are dropped, the rest of the mode kept; a new file gets the umask's.
                const auto old = expected.find(c.written);
                const std::string mode = old == expected.end() ? fresh
                                                               : old->second.substr(5, old->second.find(' ', 5) - 5);
                expected[c.written] = fileEntry(unsigned(std::stoi(mode)) & 0777, bytes);
                if (door == Door::Batch)
                    expected["u"] = fileEntry(unsigned(std::stoi(fresh)), "another picture");
            } else {
                EXPECT_NE(r.error.find(c.reason), std::string::npos) << r.error;
            }
            EXPECT_EQ(folderSnapshot(dir.path), expected);
        }
}

// The name limit is the target's own: hidden temporary names never add to it,
// and a name past it is refused before any byte is written.
TEST(OneWriter, NamesUpToTheSystemLimit)
{
    ScratchDir dir;
    const std::string longest = dir.file(std::string(255 - 4, 'y') + ".png"), tooLong = longest + "x";
    FileBatch batch;
    EXPECT_TRUE(writeFile(longest, "one").ok);
    EXPECT_TRUE(batch.put(longest, "two").ok);
    EXPECT_TRUE(batch.commit().ok);
    EXPECT_EQ(slurp(longest), "two");
    const FileResult r = writeFile(tooLong, "three");
    EXPECT_NE(r.error.find("the name cannot be used: File name too long"), std::string::npos) << r.error;
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path), {}), 1);
}

// A journal left by a killed commit is followed only within its own folder
// and only when it is this user's: one planted in a shared folder must not
// have our files renamed or removed. Even our own puts nothing over a file
// it cannot prove it placed (the old version goes beside it instead), and
// where the old version is gone the file stays, with one line saying so.
TEST(OneWriter, AJournalIsFollowedOnlyInItsFolderAndForItsUser)
{
    const pid_t dead = ::fork();
    if (dead == 0)
        _exit(0);
    ::waitpid(dead, nullptr, 0);
    const std::string id = ".cerebrix-save-" + std::to_string(dead), backup = id + "-1.old";
    std::vector<std::string> notices;
    setNoticeHandler([&](const std::string& line) { notices.push_back(line); });
    const std::shared_ptr<void> quiet(nullptr, [](void*) { setNoticeHandler({}); });
    const struct {
        const char* what;
        std::string target;
        bool othersJournal;
        bool proven;      // the journal names the victim as the file it placed
        bool backupGone;  // the hidden old version was removed after the kill
        const char* victimAfter;
        bool keptBeside, told;
    } cases[] = {
        {"own journal", "victim", false, false, false, "mine", true, true},
        {"own journal, the file it placed", "victim", false, true, false, "kept aside", false, false},
        {"own journal, the old version gone", "victim", false, true, true, "mine", false, true},
        {"names outside the folder", "../victim", false, true, false, "mine", false, false},
        {"another user's journal", "victim", true, true, false, "mine", false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ScratchDir dir;
        notices.clear();
        fs::create_directory(dir.file("sub"));
        std::ofstream(dir.file("victim")) << "mine";
        std::ofstream(dir.file("sub/victim")) << "mine";
        if (!c.backupGone)
            std::ofstream(dir.file("sub/" + backup)) << "kept aside";
        struct stat v {}, b {};
        ::stat(dir.file("sub/victim").c_str(), &v);
        ::stat(dir.file("sub/" + backup).c_str(), &b);
        const std::string who = std::to_string(v.st_dev) + " " + std::to_string(v.st_ino) + " "
            + std::to_string(v.st_size) + " " + std::to_string(v.st_mtim.tv_sec) + " "
            + std::to_string(v.st_mtim.tv_nsec) + " " + std::to_string(b.st_dev) + " " + std::to_string(b.st_ino);
        const std::string journal = dir.file("sub/" + id + "-2.journal");
        std::ofstream(journal, std::ios::binary)
            << (c.proven ? std::string("cerebrix batch journal 2\n") + '\0' + "0" + '\0' + c.target + '\0' + backup
                               + '\0' + who + '\0'
                         : std::string("cerebrix batch journal\n") + c.target + '\0' + backup + '\0' + "0" + '\0');
        if (c.othersJournal && (::geteuid() != 0 || ::chown(journal.c_str(), 65534, 65534) != 0))
            continue;
        removeAbandonedSaves(dir.file("sub"));
        EXPECT_EQ(slurp(dir.file("victim")), "mine");
        EXPECT_EQ(slurp(dir.file("sub/victim")), c.victimAfter);
        EXPECT_EQ(fs::exists(dir.file("sub/victim.old")), c.keptBeside);
        EXPECT_EQ(fs::exists(journal), c.othersJournal);
        EXPECT_EQ(notices.size(), c.told ? 1u : 0u);
    }
}

// Two batches and a single save to the same names at once, round after
// round: each commit waits for the folder, none takes the other's backups
// for strangers' hard links, and the pictures are all of one batch (the
// single save's picture being whichever came last).
TEST(OneWriter, ConcurrentBatchesAndASaveLeaveOneWholeSet)
{
    ScratchDir dir;
    constexpr int kPictures = 16, kRounds = 50;
    const auto name = [&](int k) { return dir.file("p" + std::to_string(k) + ".png"); };
    for (int round = 0; round < kRounds; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        int go[2];
        ASSERT_EQ(::pipe(go), 0);
        std::vector<pid_t> children;
        for (const char* writer : {"A", "B", "C"}) {
            const pid_t child = ::fork();
            if (child == 0) {
                ::close(go[1]);
                char start = 0;
                if (::read(go[0], &start, 1) < 0)
                    _exit(2);
                if (*writer == 'C')
                    _exit(writeFile(name(7), "C").ok ? 0 : 1);
                FileBatch batch(WriteOptions{false});
                bool ok = true;
                for (int k = 1; k <= kPictures && ok; ++k)
                    ok = batch.put(name(k), std::string(writer) + " " + std::to_string(k)).ok;
                _exit(ok && batch.commit().ok ? 0 : 1);
            }
            children.push_back(child);
        }
        ::close(go[0]);
        ::close(go[1]);  // all start at once
        for (const pid_t child : children) {
            int status = 0;
            ::waitpid(child, &status, 0);
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "a writer was refused";
        }
        const std::string winner = slurp(name(1)).substr(0, 1);
        for (int k = 2; k <= kPictures; ++k)
            if (k != 7) {
                EXPECT_EQ(slurp(name(k)), winner + " " + std::to_string(k));
            }
        const std::string seventh = slurp(name(7));
        EXPECT_TRUE(seventh == "C" || seventh == winner + " 7") << seventh;
        EXPECT_EQ(std::distance(fs::directory_iterator(dir.path), {}), kPictures);
    }
}

}  // namespace
}  // namespace storage::test
