// The program's promises at its edges: exit status 1 with one line on stderr
// and nothing written for a refusal, 2 for wrong usage, 0 for help.
#include <gtest/gtest.h>

#include <unistd.h>

#include "cli_run.h"
#include "platform/image_file.h"

namespace cli::test {
namespace {

struct Case {
    const char* what;
    std::vector<std::string> args;
    int status;
};

// In every case's folder: a.brain (size 6), old.brain (kept unchanged by a
// refusal that names it as output), small.png (5 x 8), bad.brain (cut short),
// junk.png (no picture), a folder layer6.
void prepare(const Scratch& dir)
{
    const storage::LoadedBrain b = randomBrain(6, 5);
    ASSERT_TRUE(storage::writeBrainFile(dir.file("a.brain"), b.header, *b.cells).ok);
    ASSERT_TRUE(storage::writeBrainFile(dir.file("old.brain"), b.header, *b.cells).ok);
    const std::string text = slurp(dir.file("a.brain"));
    std::ofstream(dir.file("bad.brain"), std::ios::binary) << text.substr(0, text.size() / 2);
    std::string png;
    ASSERT_TRUE(platform::encodePng(platform::Surface(5, 8), 5, 8, 1, png, "small.png").ok);
    std::ofstream(dir.file("small.png"), std::ios::binary) << png;
    std::ofstream(dir.file("junk.png")) << "not a picture";
    fs::create_directory(dir.file("layer6"));
}

TEST(CliRefusals, ExitStatusOneLineAndNothingWritten)
{
    const std::vector<Case> cases = {
        {"missing brain file", {"info", "none.brain"}, 1},
        {"truncated brain file", {"info", "bad.brain"}, 1},
        {"brain file given twice", {"generate", "a.brain", "a.brain", "-n", "1", "-o", "b.brain"}, 2},
        {"no brain file", {"info"}, 2},
        {"no command", {}, 2},
        {"unknown command", {"grow", "a.brain"}, 2},
        {"unknown option", {"info", "a.brain", "--yaml"}, 2},
        {"generations not a number", {"generate", "a.brain", "-n", "ten", "-o", "old.brain"}, 1},
        {"zero generations", {"generate", "a.brain", "-n", "0", "-o", "old.brain"}, 1},
        {"too many generations", {"generate", "a.brain", "-n", "99999999999", "-o", "old.brain"}, 1},
        {"generate without -o", {"generate", "a.brain", "-n", "3"}, 2},
        {"generate -n without a value", {"generate", "a.brain", "-o", "old.brain", "-n"}, 2},
        {"generate from a damaged file", {"generate", "bad.brain", "-n", "1", "-o", "old.brain"}, 1},
        {"generate into a missing folder", {"generate", "a.brain", "-n", "1", "-o", "no/such.brain"}, 1},
        {"generate onto a folder", {"generate", "a.brain", "-n", "1", "-o", "."}, 1},
        {"layer 0", {"render", "a.brain", "--layer", "0", "-o", "p.png"}, 1},
        {"layer above the top", {"render", "a.brain", "--layer", "7", "-o", "p.png"}, 1},
        {"scale 0", {"render", "a.brain", "--layer", "1", "-o", "p.png", "--scale", "0"}, 1},
        {"scale past the largest picture", {"render", "a.brain", "--layer", "1", "-o", "p.png", "--scale", "9999"}, 1},
        {"pattern without %d", {"render", "a.brain", "--layer", "all", "-o", "p.png"}, 1},
        {"pattern with a stray %", {"render", "a.brain", "--layer", "all", "-o", "p%d%s.png"}, 1},
        {"pattern with two %d", {"render", "a.brain", "--layer", "all", "-o", "p%d-%d.png"}, 1},
        {"pattern with a flag printf has but we do not", {"render", "a.brain", "--layer", "all", "-o", "p%-3d.png"}, 1},
        {"pattern wider than a name should be", {"render", "a.brain", "--layer", "all", "-o", "p%0100d.png"}, 1},
        {"pattern ending in %", {"render", "a.brain", "--layer", "all", "-o", "p%d%"}, 1},
        {"a folder in the way of layer 6", {"render", "a.brain", "--layer", "all", "-o", "layer%d"}, 1},
        {"render without --layer", {"render", "a.brain", "-o", "p.png"}, 2},
        {"size 1", {"new", "--size", "1", "-o", "old.brain"}, 1},
        {"size past any memory", {"new", "--size", "2000000000", "-o", "old.brain"}, 1},
        {"colour out of range", {"new", "--size", "6", "--colour", "1,256,3", "-o", "old.brain"}, 1},
        {"colour with two parts", {"new", "--size", "6", "--colour", "1,2", "-o", "old.brain"}, 1},
        {"colour with four parts", {"new", "--size", "6", "--colour", "1,2,3,4", "-o", "old.brain"}, 1},
        {"image smaller than the brain", {"new", "--size", "6", "--from-image", "small.png", "-o", "old.brain"}, 1},
        {"image that is no picture", {"new", "--size", "2", "--from-image", "junk.png", "-o", "old.brain"}, 1},
        {"missing image", {"new", "--size", "2", "--from-image", "none.png", "-o", "old.brain"}, 1},
        {"new without --size", {"new", "-o", "old.brain"}, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Scratch dir;
        prepare(dir);
        const auto before = dir.names();
        const std::string old = slurp(dir.file("old.brain"));
        const Outcome r = dir.run(c.args);
        EXPECT_EQ(c.status, r.status) << r.err;
        EXPECT_TRUE(r.out.empty()) << r.out;
        EXPECT_EQ(1, std::count(r.err.begin(), r.err.end(), '\n')) << r.err;
        EXPECT_EQ(before, dir.names());
        EXPECT_EQ(old, slurp(dir.file("old.brain")));
    }
}

TEST(CliRefusals, AFailedPictureTakesEveryOtherPictureWithIt)
{
    // Layers 1..4 have a folder, layer 5 has none: its picture cannot be
    // written, so none of the six appears.
    Scratch dir;
    prepare(dir);
    const auto folder = [&dir](int layer) { return dir.file("d") + std::to_string(layer); };
    for (int layer = 1; layer <= 4; ++layer)
        fs::create_directory(folder(layer));
    const Outcome r = dir.run({"render", "a.brain", "--layer", "all", "-o", "d%d/p.png"});
    EXPECT_EQ(1, r.status) << r.err;
    EXPECT_NE(std::string::npos, r.err.find("d5/p.png")) << r.err;
    for (int layer = 1; layer <= 4; ++layer)
        EXPECT_TRUE(fs::is_empty(folder(layer))) << layer;
}

TEST(CliRefusals, HelpAndVersionEverywhere)
{
    Scratch dir;
    for (const std::string command : {"", "info", "generate", "render", "new"})
        for (const std::string flag : {"--help", "--version"}) {
            std::vector<std::string> args;
            if (!command.empty())
                args.push_back(command);
            args.push_back(flag);
            const Outcome r = dir.run(args);
            EXPECT_EQ(0, r.status) << command << " " << flag;
            EXPECT_NE(std::string::npos, r.out.find(flag == "--help" ? "Usage: cerebrix-cli" : "cerebrix-cli "))
                << command << " " << flag;
            EXPECT_TRUE(r.err.empty());
            // help COMMAND is COMMAND --help, and -V is --version.
            if (!command.empty() && flag == "--help") {
                EXPECT_EQ(r.out, dir.run({"help", command}).out) << command;
            } else if (flag == "--version") {
                args.back() = "-V";
                EXPECT_EQ(r.out, dir.run(args).out) << command;
            }
        }
}

}  // namespace
}  // namespace cli::test
