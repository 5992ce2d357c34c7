// Each command against the engine and the file code run directly.
#include <gtest/gtest.h>

#include <cstring>

#include <sys/stat.h>

#include "brain/canvases.h"
#include "brain/generation.h"
#include "brain/sampling.h"
#include "cli_run.h"
#include "platform/image_file.h"

namespace cli::test {
namespace {

std::string apexText(const brain::Apex& a)
{
    return std::to_string(a.red) + "," + std::to_string(a.green) + "," + std::to_string(a.blue) + " (output "
        + std::to_string(a.value()) + ")";
}

storage::LoadedBrain load(const std::string& path)
{
    storage::LoadedBrain b;
    const storage::FileResult r = storage::readBrainFile(path, b);
    if (!r.ok)
        throw std::runtime_error(r.error);
    return b;
}

TEST(CliCommands, InfoReportsWhatTheWriterStored)
{
    Scratch dir;
    const storage::LoadedBrain b = randomBrain(7, 1);
    ASSERT_TRUE(storage::writeBrainFile(dir.file("a.brain"), b.header, *b.cells).ok);
    struct stat st {};
    ASSERT_EQ(0, ::stat(dir.file("a.brain").c_str(), &st));
    const int top = 6;
    const brain::Apex apex{b.cells->at(0, top, top, top), b.cells->at(1, top, top, top), b.cells->at(2, top, top, top)};

    const Outcome text = dir.run({"info", "a.brain"});
    EXPECT_EQ(0, text.status) << text.err;
    EXPECT_EQ("file: a.brain\nlength: " + std::to_string(st.st_size)
                  + " bytes\nsize: 7 x 7 x 7 (size of brain 140)\ndrawing colour: 200,0,64\n"
                    "maze-mover: 3,4 moving +1,-1\napex: " + apexText(apex) + "\n",
              text.out);

    const Outcome json = dir.run({"info", "--json", "a.brain"});
    EXPECT_EQ(0, json.status) << json.err;
    // Qt's JSON writer puts the keys in order.
    EXPECT_EQ("{\"apex\":{\"blue\":" + std::to_string(apex.blue) + ",\"green\":" + std::to_string(apex.green)
                  + ",\"red\":" + std::to_string(apex.red)
                  + "},\"drawingColour\":{\"blue\":64,\"green\":0,\"red\":200},\"file\":\"a.brain\",\"length\":"
                  + std::to_string(st.st_size) + ",\"mover\":{\"stepX\":1,\"stepY\":-1,\"x\":3,\"y\":4},\"output\":"
                  + std::to_string(apex.value()) + ",\"size\":7,\"sizeOfBrain\":140}\n",
              json.out);
}

TEST(CliCommands, GenerateMatchesTheEngineGenerationByGeneration)
{
    Scratch dir;
    storage::LoadedBrain want = randomBrain(12, 2);
    ASSERT_TRUE(storage::writeBrainFile(dir.file("a.brain"), want.header, *want.cells).ok);
    std::string lines;
    for (int k = 1; k <= 3; ++k)
        lines += "generation " + std::to_string(k) + ": apex " + apexText(brain::generate(*want.cells)) + "\n";
    const std::string last = lines.substr(lines.rfind("generation 3"));

    // Both the plain form and --every, the second writing over its own input.
    for (const bool every : {false, true}) {
        std::vector<std::string> args{"generate", "a.brain", "-n", "3", "-o", every ? "a.brain" : "b.brain"};
        if (every)
            args.push_back("--every");
        const Outcome r = dir.run(args);
        ASSERT_EQ(0, r.status) << r.err;
        EXPECT_EQ(every ? lines : last, r.out);
        EXPECT_TRUE(storage::test::sameBrain(load(dir.file(every ? "a.brain" : "b.brain")), want));
    }
}

// What the window shows with layer z on view, over the grid square.
platform::Surface windowView(const brain::CellGrid& cells, int z)
{
    const int n = cells.size();
    platform::Surface window(n, n, platform::rgb(255, 255, 255));
    brain::Canvases canvases;
    canvases.cover(n, n);
    brain::displayLayer(cells, z, window, canvases, {0, 0});
    return window;
}

void expectPicture(const std::string& path, const platform::Surface& view, int scale)
{
    platform::Surface got;
    const platform::FileResult r = platform::readImage(path, got);
    ASSERT_TRUE(r.ok) << r.error;
    ASSERT_EQ(view.width() * scale, got.width());
    ASSERT_EQ(view.height() * scale, got.height());
    for (int y = 0; y < got.height(); ++y)
        for (int x = 0; x < got.width(); ++x)
            ASSERT_EQ(view.point(x / scale, y / scale), got.point(x, y)) << path << " at " << x << "," << y;
}

TEST(CliCommands, RenderIsTheWindowsViewPixelForPixel)
{
    Scratch dir;
    const storage::LoadedBrain b = randomBrain(9, 3);
    ASSERT_TRUE(storage::writeBrainFile(dir.file("a.brain"), b.header, *b.cells).ok);
    for (const int scale : {1, 3})
        for (const int layer : {1, 4, 9}) {
            const Outcome r = dir.run({"render", "a.brain", "--layer", std::to_string(layer), "-o", "one.png",
                                   "--scale", std::to_string(scale)});
            ASSERT_EQ(0, r.status) << r.err;
            expectPicture(dir.file("one.png"), windowView(*b.cells, layer - 1), scale);
        }

    const Outcome all = dir.run({"render", "a.brain", "--layer", "all", "-o", "layer-%d.png", "--scale", "3"});
    ASSERT_EQ(0, all.status) << all.err;
    EXPECT_EQ(9 + 2u, dir.names().size());  // a.brain, one.png and layers 1..9
    for (int layer = 1; layer <= 9; ++layer)
        expectPicture(dir.file("layer-" + std::to_string(layer) + ".png"), windowView(*b.cells, layer - 1), 3);
}

TEST(CliCommands, NewFromImageIsEnterAfterPaintingThePixels)
{
    Scratch dir;
    const int n = 10;
    platform::Surface picture(n + 3, n + 5);
    std::mt19937 rng(4);
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            picture.setPoint(x, y, rng() & 0xFFFFFF);
    std::string png;
    ASSERT_TRUE(platform::encodePng(picture, picture.width(), picture.height(), 1, png, "in.png").ok);
    std::ofstream(dir.file("in.png"), std::ios::binary) << png;

    storage::LoadedBrain want;
    want.header.dimX = want.header.dimY = want.header.dimZ = n;
    want.header.drawRed = 1;
    want.header.drawGreen = 2;
    want.header.drawBlue = 3;
    want.cells = brain::CellGrid::allocate(n);
    platform::Surface window(picture.width(), picture.height());
    brain::Canvases canvases;
    canvases.cover(window.width(), window.height());
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) {
            const platform::Colour c = picture.point(x, y);
            canvases.setPoint(x, y, int(c & 0xFF), int((c >> 8) & 0xFF), int(c >> 16));
        }
    brain::sampleInput(*want.cells, canvases, window, {0, 0});
    const brain::Apex apex = brain::generate(*want.cells);

    const Outcome r = dir.run({"new", "--size", "10", "--from-image", "in.png", "--colour", "1,2,3", "-o", "b.brain"});
    ASSERT_EQ(0, r.status) << r.err;
    EXPECT_EQ("generation 1: apex " + apexText(apex) + "\n", r.out);
    EXPECT_TRUE(storage::test::sameBrain(load(dir.file("b.brain")), want));

    // Without an image: the window's start values, every cell 0.
    const Outcome plain = dir.run({"new", "--size", "10", "-o", "c.brain"});
    ASSERT_EQ(0, plain.status) << plain.err;
    storage::LoadedBrain fresh;
    fresh.header.dimX = fresh.header.dimY = fresh.header.dimZ = n;
    fresh.cells = brain::CellGrid::allocate(n);
    EXPECT_TRUE(storage::test::sameBrain(load(dir.file("c.brain")), fresh));
}

}  // namespace
}  // namespace cli::test
