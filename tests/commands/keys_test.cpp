// The key handler on a fake host: resizing, stepping through the layers,
// generation on demand, the colour keys and the caption.
#include <gtest/gtest.h>

#include <vector>

#include "commands/install.h"
#include "tests/window/fake_window.h"

namespace {

using platform::rgb;
using namespace window::menu;

constexpr platform::Colour kMarker = rgb(1, 2, 3), kWhite = rgb(255, 255, 255);

// Enabled in the window's model and on the host alike.
bool enabled(const FakeWindow& w, const char* item)
{
    EXPECT_EQ(w.d.menus().enabled(item), w.host.menuEnabled(item)) << item;
    return w.host.menuEnabled(item);
}

// What a size change wipes: generated cells, play, the mover, a painted
// cell and a mark outside the grid. A size refused wipes nothing.
TEST(Keys, Resize)
{
    struct Row {
        int height;
        const char* before;
        const char* key;
        int side;
        const char* size;  // in the caption
    } rows[] = {
        {412, "", "+", 40, "22140"},
        {412, "", "Num++", 30, "9455"},  // keypad plus is no command
        {40, "", "+", 30, "9455"},       // the height limit
        {412, "key -;key -", "-", 10, "385"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string("height ") + std::to_string(row.height) + ";" + row.before + ";key " + row.key);
        FakeWindow w(commands::install);
        w.surface().resize(574, row.height, kWhite);
        w.d.surfaceResized(574, row.height);
        w.run(std::string(row.before) + ";key Enter;menu cmove");
        w.d.mover().setPlace({-1, -1, -1, -1});
        const window::Point painted = w.cell(5, 5);
        w.surface().setPoint(painted.x, painted.y, kMarker);
        w.d.canvases().setPoint(painted.x, painted.y, 1, 2, 3);
        w.surface().setPoint(500, 5, kMarker);
        const auto kept = w.colourAt(painted);
        const bool resized = row.side != w.d.brain().side();
        w.run(std::string("key ") + row.key);

        EXPECT_EQ(w.d.brain().side(), row.side);
        EXPECT_EQ(enabled(w, kSaveBrain), !resized);
        EXPECT_EQ(w.captionPart(1), std::string("Size of brain: ") + row.size);
        EXPECT_EQ(w.surface().point(500, 5), resized ? kWhite : kMarker);
        EXPECT_EQ(w.colourAt(painted), resized ? std::pair(0u, 0u) : kept);
        if (resized) {
            const brain::Origin o = w.d.view().origin();
            EXPECT_EQ(std::vector<int>({o.x, o.y, w.d.brain().reallocationPending(), w.d.mover().playing()}),
                      std::vector<int>({287 - row.side / 2, 206 - row.side / 2, 1, 0}));
            EXPECT_EQ(w.d.mover().place(), window::MoverPlace{});
        }
    }
}

// A side whose arrays cannot be had (from 40 on, here) is refused like one
// that does not fit, with nothing cleared. (The arrays set aside for a size
// still pending are the brain's to keep, and its own tests follow them.)
TEST(Keys, PlusWithoutMemory)
{
    FakeWindow w(commands::install, [](int side) -> std::unique_ptr<brain::CellGrid> {
        return side < 40 ? brain::CellGrid::allocate(side) : nullptr;
    });
    w.run("key Enter");
    w.surface().setPoint(0, 5, kMarker);
    w.run("key +");
    EXPECT_EQ(std::vector<int>({w.d.brain().side(), w.d.brain().reallocationPending(), w.d.brain().cells()->size(),
                                enabled(w, kSaveBrain)}),
              std::vector<int>({30, 0, 30, 1}));
    EXPECT_EQ(w.surface().point(0, 5), kMarker);
}

// X always redisplays; Z unless it lands on or stays on the input layer
// during play; neither steps while a size change awaits its arrays. A
// generation puts the red 100 painted into input cell (3, 3) into cell
// (3, 3) of layer 1, and as much again each time.
TEST(Keys, LayersAndGeneration)
{
    const std::string paint = "press 2 3;drag 3 3;release 3 3;";
    std::string climb;
    for (int i = 0; i < 29; ++i)
        climb += "key X;";
    struct Row {
        std::string before;
        bool playing;
        const char* key;
        int layer;  // on view after
        bool redisplayed;
        int generated;  // red of cell (3, 3) on layer 1
        bool saved;     // "Save Brain" enabled
    } rows[] = {
        {"", false, "X", 1, true, 0, false},
        {"key Enter", false, "Z", 0, true, 0, true},
        {"key X", true, "Z", 0, false, 0, true},
        {"key X;key X", true, "Z", 1, true, 0, false},
        {climb, false, "X", 29, true, 0, false},
        {"key -", false, "Z", 0, false, 0, false},
        {"key -", false, "X", 1, true, 0, false},
        {paint, false, "X", 1, true, 100, true},
        {paint + "key Enter", false, "Enter", 0, false, 200, true},
        {paint + "key X", false, "Enter", 1, false, 200, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE("play " + std::to_string(row.playing) + ";" + row.before + ";key " + row.key);
        FakeWindow w(commands::install);
        w.setColour(rgb(100, 0, 0));
        w.run(row.before);
        w.d.mover().setPlaying(row.playing);
        w.surface().setPoint(500, 5, kMarker);
        w.run(std::string("key ") + row.key);
        EXPECT_EQ(w.surface().point(500, 5), row.redisplayed ? kWhite : kMarker);
        EXPECT_EQ(w.captionPart(2),
                  row.layer ? "Viewing layer " + std::to_string(row.layer + 1) : std::string("Drawing on input layer"));
        EXPECT_EQ(w.surface().point(60, 206), rgb(100, 0, 0));  // the swatch survives a clearing
        // Layer 2's values lie on the canvases: Enter there must not
        // sample them, or input cell (4, 4) would get 100.
        const brain::CellGrid& cells = *w.d.brain().cells();
        EXPECT_EQ(std::vector<int>({w.d.view().layer(), enabled(w, kPlayOptions), enabled(w, kSaveBrain),
                                    cells.at(0, 3, 3, 1), cells.at(0, 4, 4, 0), w.d.brain().inputChanged()}),
                  std::vector<int>({row.layer, row.layer == 0, row.saved, row.generated, 0, 0}));
    }
}

// Each key moves its own component by one, wrapping at both ends; every key
// repaints the swatch.
TEST(Keys, ColourKeys)
{
    FakeWindow w(commands::install);
    w.setColour(rgb(255, 0, 9));
    w.run("key Q;key S;key E;key E");
    EXPECT_EQ(w.colour(), rgb(0, 255, 11));
    w.run("key A;key W;key D");
    EXPECT_EQ(w.colour(), rgb(255, 0, 10));
    EXPECT_EQ(w.surface().point(60, 206), rgb(255, 0, 10));
}

}  // namespace
