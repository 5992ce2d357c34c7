// Maze play: placing the mover, one step by the D/H/V rule, play through the
// main loop, and a whole game from painting the maze to stopping.
#include <climits>

#include "live_window.h"

using platform::rgb;

namespace {

constexpr uint kWall = rgb(1, 0, 0);
// The mover's point is grey on the window and 128 on every canvas; a
// blanked one black and 0.
constexpr auto kMover = std::pair(rgb(128, 128, 128), rgb(128, 128, 128)), kBlank = std::pair(0u, 0u);

// An empty brain whose apex holds `output` in red: while the canvases over
// the grid stay 0, every generation leaves the output at that value.
void fixOutput(LiveWindow& w, int output)
{
    w.d().needsRealloc = 0;
    w.d().cells->set(0, 29, 29, 29, std::uint8_t(output));
}

QPoint moverPoint(LiveWindow& w)
{
    return {w.d().originX + w.d().moverX, w.d().originY + w.d().moverY};
}

// The output; the mover's cell; its steps before; walls of D, H, V as it
// steers; its move.
using Step = std::tuple<int, QPoint, QPoint, QString, QPoint>;

}  // namespace

class MazeTest : public QObject {
    Q_OBJECT

private slots:
    // Walls are painted on the window only, so the brain sees an empty
    // input and its output stays as fixed.
    void step_data()
    {
        QTest::addColumn<Step>("row");
        const QPoint mid(10, 10);
        QTest::newRow("all free") << Step{200, mid, {1, -1}, "", {1, 1}};
        QTest::newRow("V wall") << Step{200, mid, {1, 1}, "V", {1, -1}};
        QTest::newRow("H wall") << Step{100, mid, {1, 1}, "H", {-1, 1}};
        QTest::newRow("H and V walls") << Step{200, mid, {-1, -1}, "HV", {0, 0}};
        QTest::newRow("D wall, 127 turns X") << Step{127, mid, {1, -1}, "D", {-1, 0}};
        QTest::newRow("D and V walls, 128 turns Y") << Step{128, mid, {1, 1}, "DV", {1, 0}};
        QTest::newRow("D and H walls") << Step{0, mid, {-1, 1}, "DH", {0, 1}};
        QTest::newRow("all walls") << Step{255, mid, {1, 1}, "DHV", {0, 0}};
        QTest::newRow("right edge") << Step{200, {29, 10}, {1, -1}, "", {0, 1}};
    }
    void step()
    {
        QFETCH(Step, row);
        const auto& [output, at, before, walls, moved] = row;
        LiveWindow w;
        auto& d = w.d();
        fixOutput(w, output);
        std::tie(d.moverX, d.moverY, d.moverStepX, d.moverStepY) = std::tuple(at.x(), at.y(), before.x(), before.y());
        const QPoint turned = output < 128 ? QPoint(-before.x(), before.y()) : QPoint(before.x(), -before.y());
        const QPoint from = moverPoint(w);
        for (QChar wall : walls) {
            const QPoint p = from + QPoint(wall == 'V' ? 0 : turned.x(), wall == 'H' ? 0 : turned.y());
            w.surface().setPoint(p.x(), p.y(), kWall);
        }
        d.onMazeStep();
        QCOMPARE(d.outputValue, output);
        QCOMPARE(QPoint(d.moverStepX, d.moverStepY), turned);
        QCOMPARE(QPoint(d.moverX, d.moverY), at + moved);
        QCOMPARE(w.colourAt(from + moved), kMover);
        if (!moved.isNull())
            QCOMPARE(w.colourAt(from), kBlank);
    }

    // A mover off the surface and past any pixel coordinate (as a brain file
    // may hold) is blocked everywhere; a step and P blank and paint it
    // without harm.
    void moverOffTheSurface()
    {
        LiveWindow w;
        std::tie(w.d().moverX, w.d().moverY) = std::pair(INT_MAX, INT_MIN);
        w.d().onMazeStep();
        QCOMPARE(QPoint(w.d().moverX, w.d().moverY), QPoint(INT_MAX, INT_MIN));
        w.run("press 4 4;key P");
        QCOMPARE(QPoint(w.d().moverX, w.d().moverY), QPoint(4, 4));
    }

    // P: only on the input layer, only while a left stroke is under way. A
    // wall stands over the mover's start point, which it has never stood on:
    // placing blanks it all the same.
    void placing()
    {
        const std::pair<const char*, bool> rows[] = {
            {"press 5 6;key P", true},
            {"press 5 6;release 5 6;key P", true},
            {"press 5 6;hover 5 6;key P", false},
            {"key X;press 5 6;key P", false},
        };
        for (auto [steps, placed] : rows) {
            LiveWindow w;
            const QPoint start = w.cell(0, 0);
            w.surface().setPoint(start.x(), start.y(), kWall);
            w.d().canvases.setPoint(start.x(), start.y(), 1, 0, 0);
            w.run(steps);
            QCOMPARE(QPoint(w.d().moverX, w.d().moverY), placed ? QPoint(5, 6) : QPoint(0, 0));
            QCOMPARE(w.colourAt(w.cell(5, 6)), placed ? kMover : kBlank);
            QCOMPARE(w.colourAt(start) == kBlank, placed);
        }
    }

    // Output fixed at 200: every step turns the vertical direction, so on
    // open ground the mover zigzags, one column per step.
    void zigzagThroughTheMainLoop()
    {
        LiveWindow w;
        auto& d = w.d();
        fixOutput(w, 200);
        // Open ground beside the grid: there the mover never reaches the input.
        w.surface().fillRect(350, 100, 420, 140, 0);
        std::tie(d.moverX, d.moverY) = std::pair(360 - d.originX, 120 - d.originY);
        w.action("cmove")->trigger();
        for (int k = 1; k <= 8; ++k) {
            d.turn();
            QCOMPARE(moverPoint(w), QPoint(360 + k, k % 2 ? 119 : 120));
            QCOMPARE(w.colourAt(moverPoint(w)), kMover);
            QCOMPARE(w.colourAt({360 + k - 1, k % 2 ? 120 : 119}), kBlank);
        }
    }

    void wholeGame()
    {
        LiveWindow w;
        auto& d = w.d();
        int steps = 0;
        d.onMazeStep = [&steps, step = d.onMazeStep] {
            ++steps;
            step();
        };
        // A red box, the colour typed into the colour panel; the mover goes
        // where the left button is held down.
        w.run("menu choosecolor;button Command8");
        w.box("Text3")->setText("255");
        w.run("button Command5;press 5 5;drag 15 5;drag 15 15;drag 5 15;drag 5 5;release 5 5");
        QCOMPARE(w.surface().point(w.cell(5, 5).x(), w.cell(5, 15).y()), rgb(255, 0, 0));
        w.run("press 8 9;key P;release 8 9");
        QCOMPARE(w.colourAt(w.cell(8, 9)), kMover);

        w.run("menu cmove");
        const QPoint start = moverPoint(w);
        bool moved = false;
        for (int turn = 0; turn < 200; ++turn) {
            d.turn();
            QVERIFY(d.moverX > 5 && d.moverX < 15 && d.moverY > 5 && d.moverY < 15);  // the walls hold
            moved = moved || moverPoint(w) != start;
        }
        QVERIFY(moved);
        QCOMPARE(steps, 201);

        // Keys act between steps; the About panel pauses play until a press.
        w.run("key A;menu about");
        QCOMPARE(d.drawRed, 254);
        const int paused = steps;
        w.settle(5);
        QCOMPARE(steps, paused);
        w.run("press");
        QVERIFY(steps > paused);

        w.run("menu playoff");
        const int stopped = steps;
        w.settle(5);
        QCOMPARE(steps, stopped);
        // Stopping took the picture as play left it into the input layer.
        QCOMPARE(int(d.cells->at(0, d.moverX, d.moverY, 0)), 128);
    }
};

QTEST_APPLESS_MAIN(MazeTest)
#include "maze_test.moc"
