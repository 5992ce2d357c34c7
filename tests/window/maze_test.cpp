// Maze play: placing the mover, one step by the D/H/V rule, play through the
// main loop, and a whole game from painting the maze to stopping.
#include <QLineEdit>
#include <QTest>
#include <climits>

#include "live_window.h"

using platform::rgb;
using testing_window::LiveWindow;

namespace {

constexpr uint kGrey = rgb(128, 128, 128), kWall = rgb(1, 0, 0);

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

// The mover's point holds grey on the window and 128 on every canvas.
bool showsMover(LiveWindow& w, QPoint p, uint colour = kGrey)
{
    const int v = colour == kGrey ? 128 : 0;
    for (const auto& plane : w.d().canvases.plane)
        if (plane.point(p.x(), p.y()) != platform::Colour(v))
            return false;
    return w.surface().point(p.x(), p.y()) == colour;
}

}  // namespace

class MazeTest : public QObject {
    Q_OBJECT

private slots:
    // Walls are painted on the window only, so the brain sees an empty
    // input and its output stays as fixed.
    void step_data()
    {
        QTest::addColumn<int>("output");
        QTest::addColumn<QPoint>("at");
        QTest::addColumn<QPoint>("stepsBefore");
        QTest::addColumn<QString>("walls");  // of D, H, V after steering
        QTest::addColumn<QPoint>("moved");
        const QPoint mid(10, 10), right(29, 10);
        QTest::newRow("all free") << 200 << mid << QPoint(1, -1) << "" << QPoint(1, 1);
        QTest::newRow("V wall") << 200 << mid << QPoint(1, 1) << "V" << QPoint(1, -1);
        QTest::newRow("H wall") << 100 << mid << QPoint(1, 1) << "H" << QPoint(-1, 1);
        QTest::newRow("H and V walls") << 200 << mid << QPoint(-1, -1) << "HV" << QPoint(0, 0);
        QTest::newRow("D wall, 127 turns X") << 127 << mid << QPoint(1, -1) << "D" << QPoint(-1, 0);
        QTest::newRow("D and V walls, 128 turns Y") << 128 << mid << QPoint(1, 1) << "DV" << QPoint(1, 0);
        QTest::newRow("D and H walls") << 0 << mid << QPoint(-1, 1) << "DH" << QPoint(0, 1);
        QTest::newRow("all walls") << 255 << mid << QPoint(1, 1) << "DHV" << QPoint(0, 0);
        QTest::newRow("right edge") << 200 << right << QPoint(1, -1) << "" << QPoint(0, 1);
        QTest::newRow("right edge, V wall") << 200 << right << QPoint(1, -1) << "V" << QPoint(0, 0);
        QTest::newRow("top edge") << 200 << QPoint(5, 0) << QPoint(1, 1) << "" << QPoint(1, 0);
    }
    void step()
    {
        QFETCH(int, output);
        QFETCH(QPoint, at);
        QFETCH(QPoint, stepsBefore);
        QFETCH(QString, walls);
        QFETCH(QPoint, moved);
        LiveWindow w;
        auto& d = w.d();
        fixOutput(w, output);
        d.moverX = at.x();
        d.moverY = at.y();
        d.moverStepX = stepsBefore.x();
        d.moverStepY = stepsBefore.y();
        const int dx = output < 128 ? -stepsBefore.x() : stepsBefore.x();
        const int dy = output < 128 ? stepsBefore.y() : -stepsBefore.y();
        const QPoint from = moverPoint(w);
        if (walls.contains('D')) w.surface().setPoint(from.x() + dx, from.y() + dy, kWall);
        if (walls.contains('H')) w.surface().setPoint(from.x() + dx, from.y(), kWall);
        if (walls.contains('V')) w.surface().setPoint(from.x(), from.y() + dy, kWall);

        d.onMazeStep();
        QCOMPARE(d.outputValue, output);
        QCOMPARE(QPoint(d.moverStepX, d.moverStepY), QPoint(dx, dy));
        QCOMPARE(QPoint(d.moverX, d.moverY), at + moved);
        QVERIFY(showsMover(w, from + moved));
        if (!moved.isNull())
            QVERIFY(showsMover(w, from, 0));
    }

    // A mover off the surface (as a brain file may hold) is blocked
    // everywhere; a step and P blank and paint it without harm.
    void moverOffTheSurface_data()
    {
        QTest::addColumn<QPoint>("at");
        QTest::newRow("left, above") << QPoint(-400, -300);
        QTest::newRow("far right") << QPoint(1000, 5);
        QTest::newRow("past any pixel") << QPoint(INT_MAX, INT_MIN);
    }
    void moverOffTheSurface()
    {
        QFETCH(QPoint, at);
        LiveWindow w;
        w.d().moverX = at.x();
        w.d().moverY = at.y();
        w.d().onMazeStep();
        QCOMPARE(QPoint(w.d().moverX, w.d().moverY), at);
        w.run("press 4 4;key P");
        QCOMPARE(QPoint(w.d().moverX, w.d().moverY), QPoint(4, 4));
    }

    // P: only on the input layer, only while a left stroke is under way.
    void placing_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<bool>("placed");
        QTest::newRow("during the press") << "press 5 6;key P" << true;
        QTest::newRow("after a release") << "press 5 6;release 5 6;key P" << true;
        QTest::newRow("after a move with no button") << "press 5 6;hover 5 6;key P" << false;
        QTest::newRow("on a higher layer") << "key X;press 5 6;key P" << false;
    }
    void placing()
    {
        QFETCH(QString, steps);
        QFETCH(bool, placed);
        LiveWindow w;
        // A wall over the mover's start point, which it has never stood on.
        const QPoint start = w.cell(0, 0), target = w.cell(5, 6);
        w.surface().setPoint(start.x(), start.y(), kWall);
        w.d().canvases.setPoint(start.x(), start.y(), 1, 0, 0);
        w.run(steps);
        QCOMPARE(QPoint(w.d().moverX, w.d().moverY), placed ? QPoint(5, 6) : QPoint(0, 0));
        QCOMPARE(showsMover(w, target), placed);
        QCOMPARE(showsMover(w, start, 0), placed);  // blanked, wall and all
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
        d.moverX = 360 - d.originX;
        d.moverY = 120 - d.originY;
        w.action("cmove")->trigger();
        for (int k = 1; k <= 8; ++k) {
            d.turn();
            QCOMPARE(d.outputValue, 200);
            QCOMPARE(moverPoint(w), QPoint(360 + k, k % 2 ? 119 : 120));
            QVERIFY(showsMover(w, moverPoint(w)));
            QCOMPARE(w.surface().point(360 + k - 1, k % 2 ? 120 : 119), 0u);
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
        // A red box, the colour typed into the colour panel.
        w.run("menu choosecolor;button Command8");
        qobject_cast<QLineEdit*>(w.control("Text3"))->setText("255");
        w.click("Command5");
        w.run("press 5 5;drag 15 5;drag 15 15;drag 5 15;drag 5 5;release 5 5");
        QCOMPARE(w.surface().point(w.cell(5, 5).x(), w.cell(5, 15).y()), rgb(255, 0, 0));

        // The mover goes where the left button is held down.
        w.run("press 8 9;key P;release 8 9");
        QVERIFY(showsMover(w, w.cell(8, 9)));

        w.menu("cmove");
        QPoint at = moverPoint(w);
        bool moved = false;
        for (int turn = 0; turn < 200; ++turn) {
            d.turn();
            QVERIFY(d.moverX > 5 && d.moverX < 15 && d.moverY > 5 && d.moverY < 15);  // the walls hold
            QVERIFY(showsMover(w, moverPoint(w)));
            if (moverPoint(w) != at)
                QVERIFY(showsMover(w, at, 0));
            moved = moved || moverPoint(w) != at;
            at = moverPoint(w);
        }
        QVERIFY(moved);
        QCOMPARE(steps, 201);
        w.settle();
        at = moverPoint(w);
        QCOMPARE(w.view()->grab().toImage().pixel(at) & 0xFFFFFF, qRgb(128, 128, 128) & 0xFFFFFF);

        // Keys act between steps; the About panel pauses play until a press.
        w.key(Qt::Key_A);
        QCOMPARE(d.drawRed, 254);
        w.menu("about");
        const int paused = steps;
        w.settle(5);
        QCOMPARE(steps, paused);
        w.run("press");
        QVERIFY(steps > paused);

        w.menu("playoff");
        const int stopped = steps;
        at = moverPoint(w);
        w.settle(5);
        QCOMPARE(steps, stopped);
        QCOMPARE(moverPoint(w), at);
        // Stopping took the picture as play left it into the input layer.
        QCOMPARE(int(d.cells->at(0, d.moverX, d.moverY, 0)), 128);
    }
};

QTEST_APPLESS_MAIN(MazeTest)
#include "maze_test.moc"
