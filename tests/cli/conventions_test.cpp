// The habits of Unix tools that scripts rely on: "-" for standard input,
// inputs that cannot hang, names that cannot take over a terminal or break
// JSON, padded patterns, formats by suffix.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdio>
#include <memory>

#include "cli_run.h"
#include "platform/image_file.h"

namespace cli::test {
namespace {

using Streams = Scratch::Streams;

// a.brain (size 24: its text is larger than a pipe holds, so it is read
// as it comes) and a 9 x 7 picture in.png.
void prepare(const Scratch& dir)
{
    const storage::LoadedBrain b = randomBrain(24, 7);
    ASSERT_TRUE(storage::writeBrainFile(dir.file("a.brain"), b.header, *b.cells).ok);
    platform::Surface picture(9, 7);
    std::mt19937 rng(8);
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 9; ++x)
            picture.setPoint(x, y, rng() & 0xFFFFFF);
    std::string png;
    ASSERT_TRUE(platform::encodePng(picture, 9, 7, 1, png, "in.png").ok);
    std::ofstream(dir.file("in.png"), std::ios::binary) << png;
}

TEST(CliConventions, DashReadsStandardInputAsTheFileWouldBeRead)
{
    struct Case {
        const char* what;
        std::vector<std::string> fromFile, fromStdin;
        const char* input;   // the file fed to stdin
        const char* output;  // the file each form writes, compared
    };
    const std::vector<Case> cases = {
        {"info", {"info", "a.brain"}, {"info", "-"}, "a.brain", nullptr},
        {"info --json", {"info", "--json", "a.brain"}, {"info", "--json", "-"}, "a.brain", nullptr},
        {"generate", {"generate", "a.brain", "-n", "2", "-o", "out.brain"}, {"generate", "-", "-n", "2", "-o", "out.brain"},
         "a.brain", "out.brain"},
        {"render", {"render", "a.brain", "--layer", "2", "-o", "out.png"}, {"render", "-", "--layer", "2", "-o", "out.png"},
         "a.brain", "out.png"},
        {"new --from-image", {"new", "--size", "6", "--from-image", "in.png", "-o", "out.brain"},
         {"new", "--size", "6", "--from-image", "-", "-o", "out.brain"}, "in.png", "out.brain"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Scratch dir;
        prepare(dir);
        const Outcome want = dir.run(c.fromFile);
        ASSERT_EQ(0, want.status) << want.err;
        const std::string wantFile = c.output ? slurp(dir.file(c.output)) : "";
        const std::string bytes = slurp(dir.file(c.input));
        // A pipe, whose length is not known beforehand, and a file given as stdin.
        for (const bool piped : {true, false}) {
            if (c.output)
                fs::remove(dir.file(c.output));
            Streams streams;
            if (piped)
                streams.piped = bytes;
            else
                streams.inputFile = dir.file(c.input);
            const Outcome got = dir.run(c.fromStdin, streams);
            ASSERT_EQ(0, got.status) << got.err;
            std::string expected = want.out;
            if (std::string(c.what) == "info") {
                const std::string length = "length: " + std::to_string(bytes.size()) + " bytes";
                expected.replace(0, expected.find('\n'), "file: -");
                if (piped)
                    expected.replace(expected.find(length), length.size(), "length: unknown");
            } else if (std::string(c.what) == "info --json") {
                expected.replace(expected.find("\"a.brain\""), 9, "\"-\"");
                if (piped)
                    expected.replace(expected.find(std::to_string(bytes.size())), std::to_string(bytes.size()).size(),
                                     "null");
            }
            EXPECT_EQ(expected, got.out) << (piped ? "piped" : "file");
            if (c.output) {
                EXPECT_EQ(wantFile, slurp(dir.file(c.output))) << (piped ? "piped" : "file");
            }
        }
    }
}

TEST(CliConventions, InputsThatAreNoFilesAreRefusedAtOnce)
{
    Scratch dir;
    prepare(dir);
    ASSERT_EQ(0, ::mkfifo(dir.file("fifo").c_str(), 0600));
    const auto before = dir.names();
    for (const std::string input : {"fifo", "/dev/zero", "."}) {
        for (const auto& args : std::vector<std::vector<std::string>>{
                 {"info", input},
                 {"generate", input, "-n", "1", "-o", "b.brain"},
                 {"render", input, "--layer", "1", "-o", "p.png"},
                 {"new", "--size", "4", "--from-image", input, "-o", "b.brain"}}) {
            // With no writer on the FIFO, a program that opened it to read
            // would wait for ever: the deadline catches that.
            const Outcome r = dir.run(args, {}, std::chrono::seconds(3));
            EXPECT_EQ(1, r.status) << args[0] << " " << input << ": " << r.err;
            EXPECT_EQ(1, std::count(r.err.begin(), r.err.end(), '\n')) << r.err;
            EXPECT_EQ(before, dir.names());
        }
    }
    // "-" takes standard input whatever it is; one without end is still
    // refused as soon as it cannot be a brain or a picture.
    Streams endless;
    endless.inputFile = "/dev/zero";
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"info", "-"}, {"new", "--size", "4", "--from-image", "-", "-o", "b.brain"}}) {
        const Outcome r = dir.run(args, endless, std::chrono::seconds(3));
        EXPECT_EQ(1, r.status) << args[0] << ": " << r.err;
        EXPECT_EQ(before, dir.names());
    }
}

// The JSON text parsed by Python's json module, each value printed back with
// json.dumps (ASCII only), one per line.
std::string parsedByPython(const std::string& json, const std::string& key)
{
    Scratch tmp;
    std::ofstream(tmp.file("in.json"), std::ios::binary) << json;
    const std::string command = "python3 -c 'import json,sys; print(json.dumps(json.load(open(sys.argv[1]))[sys.argv[2]]))' "
        + tmp.file("in.json") + " " + key + " 2>&1";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
    std::string out;
    char buf[256];
    while (pipe && std::fgets(buf, sizeof buf, pipe.get()))
        out += buf;
    return out;
}

TEST(CliConventions, HostileNamesAreEscapedInTextAndValidInJson)
{
    if (std::system("python3 -c 'import json' 2>/dev/null") != 0)
        GTEST_SKIP() << "no python3 to parse the JSON";
    struct Case {
        std::string name, text, json;
    };
    const std::vector<Case> cases = {
        {"red\x1b[31m.brain", "red\\x1b[31m.brain", "\"red\\u001b[31m.brain\""},
        {"cr\rlf\n\ttab.brain", "cr\\x0dlf\\x0a\\x09tab.brain", "\"cr\\rlf\\n\\ttab.brain\""},
        {"bad\xff\xfe.brain", "bad\\xff\\xfe.brain", "\"bad\\ufffd\\ufffd.brain\""},
        {"del\x7f c1\xc2\x9b.brain", "del\\x7f c1\\xc2\\x9b.brain", "\"del\\u007f c1\\u009b.brain\""},
        {"caf\xc3\xa9 \xe2\x82\xac.brain", "caf\xc3\xa9 \xe2\x82\xac.brain", "\"caf\\u00e9 \\u20ac.brain\""},
        {"quote\"back\\slash.brain", "quote\"back\\slash.brain", "\"quote\\\"back\\\\slash.brain\""},
    };
    Scratch dir;
    prepare(dir);
    for (const Case& c : cases) {
        fs::copy_file(dir.file("a.brain"), dir.file(c.name));
        const Outcome text = dir.run({"info", c.name});
        ASSERT_EQ(0, text.status) << text.err;
        EXPECT_EQ("file: " + c.text, text.out.substr(0, text.out.find('\n'))) << c.text;
        const Outcome json = dir.run({"info", "--json", c.name});
        ASSERT_EQ(0, json.status) << json.err;
        EXPECT_EQ(c.json + "\n", parsedByPython(json.out, "file")) << json.out;
        // A refusal names the file on one line, escaped the same way.
        const Outcome refused = dir.run({"info", c.name + ".missing"});
        EXPECT_EQ(1, refused.status);
        EXPECT_EQ(1, std::count(refused.err.begin(), refused.err.end(), '\n')) << refused.err;
        EXPECT_NE(std::string::npos, refused.err.find(c.text + ".missing")) << refused.err;
        fs::remove(dir.file(c.name));
    }
}

TEST(CliConventions, PatternsPadTheLayerNumber)
{
    const std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
        {"l-%d.png", {"l-1.png", "l-9.png", "l-10.png"}},
        {"l-%03d.png", {"l-001.png", "l-009.png", "l-010.png"}},
        {"l-%3d.png", {"l-  1.png", "l-  9.png", "l- 10.png"}},
        {"%%%02d%%.png", {"%01%.png", "%09%.png", "%10%.png"}},
        {"l-%1d.png", {"l-1.png", "l-9.png", "l-10.png"}},
    };
    Scratch dir;
    const storage::LoadedBrain b = randomBrain(10, 9);
    ASSERT_TRUE(storage::writeBrainFile(dir.file("a.brain"), b.header, *b.cells).ok);
    for (const auto& [pattern, names] : cases) {
        const Outcome r = dir.run({"render", "a.brain", "--layer", "all", "-o", pattern});
        ASSERT_EQ(0, r.status) << pattern << ": " << r.err;
        for (const std::string& name : names)
            EXPECT_TRUE(fs::exists(dir.file(name))) << pattern << " -> " << name;
        EXPECT_EQ(11u, dir.names().size()) << pattern;
        for (const auto& e : fs::directory_iterator(dir.path))
            if (e.path().filename() != "a.brain")
                fs::remove(e.path());
    }
}

TEST(CliConventions, ThePictureFormatFollowsTheSuffix)
{
    struct Case {
        std::string name;
        std::string magic;  // how the file starts
        bool exact;         // every pixel as drawn
    };
    const std::vector<Case> cases = {
        {"p.png", "\x89PNG", true},       {"p", "\x89PNG", true},           {"p.jpg", "\xff\xd8\xff", false},
        {"p.JPEG", "\xff\xd8\xff", false}, {"p.bmp", "BM", true},            {"p.ppm", "P6", true},
        {"dir.v2/p.Png", "\x89PNG", true},
    };
    Scratch dir;
    const storage::LoadedBrain b = randomBrain(8, 10);
    ASSERT_TRUE(storage::writeBrainFile(dir.file("a.brain"), b.header, *b.cells).ok);
    fs::create_directory(dir.file("dir.v2"));
    const Outcome png = dir.run({"render", "a.brain", "--layer", "3", "-o", "ref.png"});
    ASSERT_EQ(0, png.status) << png.err;
    platform::Surface want;
    ASSERT_TRUE(platform::readImage(dir.file("ref.png"), want).ok);
    for (const Case& c : cases) {
        const Outcome r = dir.run({"render", "a.brain", "--layer", "3", "-o", c.name});
        ASSERT_EQ(0, r.status) << c.name << ": " << r.err;
        const std::string bytes = slurp(dir.file(c.name));
        EXPECT_EQ(c.magic, bytes.substr(0, c.magic.size())) << c.name;
        if (c.magic == "\x89PNG") {
            EXPECT_EQ(slurp(dir.file("ref.png")), bytes) << c.name;
        }
        platform::Surface got;
        ASSERT_TRUE(platform::readImage(dir.file(c.name), got).ok) << c.name;
        ASSERT_EQ(8, got.width());
        for (int y = 0; y < 8 && c.exact; ++y)
            for (int x = 0; x < 8; ++x)
                ASSERT_EQ(want.point(x, y), got.point(x, y)) << c.name << " at " << x << "," << y;
    }
    // Every layer in the pattern's format.
    ASSERT_EQ(0, dir.run({"render", "a.brain", "--layer", "all", "-o", "l%d.bmp"}).status);
    EXPECT_EQ("BM", slurp(dir.file("l8.bmp")).substr(0, 2));

    // A suffix no image writer knows: refused, with the formats there are.
    const auto before = dir.names();
    for (const std::string name : {"p.gif", "p.txt", "p.brain", "l%d.tga"}) {
        const Outcome r = dir.run({"render", "a.brain", "--layer", name.find('%') != std::string::npos ? "all" : "1", "-o", name});
        EXPECT_EQ(1, r.status) << name;
        EXPECT_NE(std::string::npos, r.err.find("png, ppm")) << r.err;
        EXPECT_EQ(before, dir.names());
    }
}

}  // namespace
}  // namespace cli::test
