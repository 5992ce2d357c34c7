// What cerebrix-cli writes and where: brains and pictures through the one
// writer (what each kind of existing target becomes), "-" as standard
// output, a command's own input refused as its output, and a whole brain's
// pictures all or none even when the program is interrupted or killed.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <thread>

#include "cli_run.h"
#include "platform/image_file.h"

namespace cli::test {
namespace {

using storage::test::fileEntry;
using storage::test::folderSnapshot;

void prepare(const Scratch& dir, int n = 6)
{
    const storage::LoadedBrain b = randomBrain(n, 9);
    ASSERT_TRUE(storage::writeBrainFile(dir.file("a.brain"), b.header, *b.cells).ok);
}

// A black 6 x 6 picture named `name` in the scratch folder.
void putPicture(const Scratch& dir, const std::string& name)
{
    std::string png;
    ASSERT_TRUE(platform::encodePng(platform::Surface(6, 6), 6, 6, 1, png, name).ok);
    std::ofstream(dir.file(name), std::ios::binary) << png;
}

// Every kind of target is the one writer's to judge; a file with other names
// refused and a FIFO never opened show that both kinds of output go through
// it (the rest of the writer's table is its own tests').
TEST(CliOutputs, BrainsAndPicturesGoThroughTheOneWriter)
{
    const std::pair<const char*, std::function<bool(const Scratch&)>> cases[] = {
        {"hard-linked file", [](const Scratch& d) {
             std::ofstream(d.file("t")) << "old";
             return ::link(d.file("t").c_str(), d.file("u").c_str()) == 0;
         }},
        {"FIFO", [](const Scratch& d) { return ::mkfifo(d.file("t").c_str(), 0666) == 0; }},
    };
    const std::vector<std::vector<std::string>> commands = {{"new", "--size", "4", "-o", "t"},
                                                           {"render", "a.brain", "--layer", "2", "-o", "t"}};
    for (const auto& command : commands)
        for (const auto& [kind, arrange] : cases) {
            SCOPED_TRACE(testing::Message() << command[0] << " over a " << kind);
            Scratch dir;
            prepare(dir);
            ASSERT_TRUE(arrange(dir));
            const auto expected = folderSnapshot(dir.path);
            const Outcome r = dir.run(command);
            EXPECT_EQ(r.status, 1) << r.err;
            EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
            EXPECT_EQ(folderSnapshot(dir.path), expected);
        }
}

TEST(CliOutputs, DashIsStandardOutput)
{
    Scratch dir;
    prepare(dir);
    putPicture(dir, "img.png");
    const std::vector<std::vector<std::string>> commands = {
        {"new", "--size", "5", "-o"},
        {"new", "--size", "6", "--from-image", "img.png", "-o"},
        {"generate", "a.brain", "-n", "2", "-o"},
        {"render", "a.brain", "--layer", "3", "--scale", "2", "-o"},
    };
    for (auto command : commands) {
        SCOPED_TRACE(testing::Message() << command[0] << " " << command[1]);
        const std::string name = command[0] == "render" ? "out.png" : "out.brain";
        command.push_back(name);
        const Outcome toFile = dir.run(command);
        ASSERT_EQ(toFile.status, 0) << toFile.err;
        command.back() = "-";
        const auto before = dir.names();
        const Outcome toStdout = dir.run(command);
        EXPECT_EQ(toStdout.status, 0) << toStdout.err;
        EXPECT_EQ(toStdout.out, slurp(dir.file(name)));
        EXPECT_EQ(toStdout.err, toFile.out) << "the report goes to stderr, out of the file's way";
        EXPECT_EQ(dir.names(), before);
    }
}

// Standard output that fails (a full disk, a pipe whose reader has gone):
// status 1, one line, and the brain file not written, as the results are
// printed before it is put in place; --every tells each generation as it
// goes, so no brain is saved after its lines were lost.
TEST(CliOutputs, AFailingStdoutIsARefusalBeforeAnyFileChanges)
{
    Scratch dir;
    prepare(dir);
    putPicture(dir, "img.png");
    const struct {
        std::vector<std::string> command;
        bool closedPipe;  // else a full disk
        const char* reason;
    } cases[] = {
        {{"generate", "a.brain", "-n", "1", "-o", "t.brain"}, false, "No space left on device"},
        {{"generate", "a.brain", "-n", "3", "--every", "-o", "t.brain"}, false, "standard output"},
        {{"new", "--size", "6", "--from-image", "img.png", "-o", "t.brain"}, false, "No space left on device"},
        {{"info", "a.brain"}, false, "standard output"},
        {{"info", "--json", "a.brain"}, false, "standard output"},
        {{"--help"}, false, "standard output"},
        {{"--version"}, false, "standard output"},
        {{"-V"}, false, "standard output"},
        {{"render", "--help"}, false, "standard output"},
        {{"new", "-V"}, false, "standard output"},
        {{"generate", "a.brain", "-n", "3", "--every", "-o", "t.brain"}, true, "Broken pipe"},
        {{"new", "--size", "200", "-o", "-"}, true, "Broken pipe"},
        {{"render", "a.brain", "--layer", "2", "-o", "-"}, true, "Broken pipe"},
    };
    const auto before = folderSnapshot(dir.path);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.command[0] + (c.closedPipe ? " into a closed pipe" : " onto a full disk"));
        int ends[2] = {-1, -1};
        if (c.closedPipe) {
            ASSERT_EQ(::pipe(ends), 0);
            ::close(ends[0]);
        }
        Scratch::Streams out;
        out.outputFile = "/dev/full";
        out.outputFd = ends[1];
        const pid_t pid = dir.start(c.command, out);
        if (c.closedPipe)
            ::close(ends[1]);
        const Outcome r = dir.finish(pid);
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.err.find(c.reason), std::string::npos) << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        EXPECT_EQ(folderSnapshot(dir.path), before);
    }
}

TEST(CliOutputs, OwnInputIsNoOutputAndLongNamesAreFine)
{
    Scratch dir;
    prepare(dir);
    putPicture(dir, "p.png");
    ASSERT_EQ(::symlink("a.brain", dir.file("l.brain").c_str()), 0);
    ASSERT_EQ(::symlink("a.brain", dir.file("x2.png").c_str()), 0);
    const auto before = folderSnapshot(dir.path);
    const std::vector<std::vector<std::string>> refused = {
        {"render", "a.brain", "--layer", "1", "-o", "a.brain"},
        {"render", "a.brain", "--layer", "1", "-o", "./l.brain"},
        {"render", "l.brain", "--layer", "all", "-o", "x%d.png"},
        {"new", "--size", "4", "--from-image", "p.png", "-o", "p.png"},
    };
    for (const auto& args : refused) {
        SCOPED_TRACE(args.back());
        const Outcome r = dir.run(args);
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.err.find("is the input"), std::string::npos) << r.err;
        EXPECT_EQ(folderSnapshot(dir.path), before);
    }
    const std::string longest(251, 'y');
    EXPECT_EQ(dir.run({"render", "a.brain", "--layer", "1", "-o", longest + ".png"}).status, 0);
    EXPECT_EQ(dir.run({"render", "a.brain", "--layer", "all", "-o", longest.substr(1) + "%d"}).status, 0);
    EXPECT_EQ(dir.names().size(), before.size() + 7);
}

// Interrupted or killed at any moment, a whole brain's pictures are all
// there or none is; what a kill leaves, the next write in the folder tidies.
TEST(CliOutputs, EveryLayerOrNoneWhateverStopsIt)
{
    Scratch dir;
    prepare(dir, 120);
    const auto reset = [&] {
        for (const auto& e : fs::directory_iterator(dir.path))
            if (e.path().extension() == ".png")
                fs::remove(e.path());
        for (const char* k : {"1", "2", "3", "4", "5"})
            std::ofstream(dir.file(std::string("p").append(k).append(".png"))) << "old " << k;
    };
    reset();
    const auto old = folderSnapshot(dir.path);
    for (const int signal : {SIGINT, SIGTERM, SIGKILL})
        for (const int ms : {20, 120, 400}) {
            SCOPED_TRACE(testing::Message() << "signal " << signal << " after " << ms << " ms");
            const pid_t pid = dir.start({"render", "a.brain", "--layer", "all", "-o", "p%d.png"});
            std::this_thread::sleep_for(std::chrono::milliseconds(ms));
            ::kill(pid, signal);
            const int status = dir.finish(pid).status;
            ASSERT_EQ(dir.run({"render", "a.brain", "--layer", "1", "-o", "tidy.png"}).status, 0);
            fs::remove(dir.file("tidy.png"));
            const auto now = folderSnapshot(dir.path);
            if (status != 0) {
                EXPECT_EQ(status, 128 + signal);
            }
            // A signal that lands after the pictures are in place still ends
            // the program by that signal: every picture new is then right too.
            if (status == 0 || now != old) {
                EXPECT_EQ(now.size(), 121u);
                for (const char* k : {"p1.png", "p2.png", "p3.png", "p4.png", "p5.png"})
                    EXPECT_NE(now.at(k).find("\x89PNG\r\n"), std::string::npos) << k << ": an old picture stayed";
            }
            reset();
        }
}

}  // namespace
}  // namespace cli::test
