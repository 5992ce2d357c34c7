// Maze play: placing the mover, one step by the D/H/V rule, play through the
// main loop, and a whole game from painting the maze to stopping.
#include <climits>

#include "live_window.h"

using platform::rgb;

constexpr uint kWall = rgb(1, 0, 0);
// The mover's point is grey on the window and 128 on every canvas; a
// blanked one black and 0.
constexpr auto kMover = std::pair(rgb(128, 128, 128), rgb(128, 128, 128)), kBlank = std::pair(0u, 0u);

class MazeTest : public QObject {
    Q_OBJECT

private slots:
    void step()
    {
        // The output; the mover's cell; its direction before; walls of D, H, V as it steers; its move.
        const std::tuple<int, QPoint, QPoint, QString, QPoint> rows[] = {
            {200, {10, 10}, {1, -1}, "", {1, 1}},
            {200, {10, 10}, {1, 1}, "V", {1, -1}},
            {100, {10, 10}, {1, 1}, "H", {-1, 1}},
            {200, {10, 10}, {-1, -1}, "HV", {0, 0}},
            {127, {10, 10}, {1, -1}, "D", {-1, 0}},  // 127 turns X
            {128, {10, 10}, {1, 1}, "DV", {1, 0}},   // 128 turns Y
            {0, {10, 10}, {-1, 1}, "DH", {0, 1}},
            {255, {10, 10}, {1, 1}, "DHV", {0, 0}},
            {200, {29, 10}, {1, -1}, "", {0, 1}},  // the right edge: white beyond the grid
        };
        for (const auto& [output, at, dir, walls, moved] : rows) {
            LiveWindow w(QString("output %1, walls %2").arg(output).arg(walls));
            auto& d = w.d();
            // An empty brain whose apex holds the output: walls go on the
            // window only, so every generation leaves it as it is.
            d.needsRealloc = 0;
            d.cells->set(0, 29, 29, 29, std::uint8_t(output));
            std::tie(d.moverX, d.moverY, d.moverStepX, d.moverStepY) = std::tuple(at.x(), at.y(), dir.x(), dir.y());
            const QPoint turned = output < 128 ? QPoint(-dir.x(), dir.y()) : QPoint(dir.x(), -dir.y());
            const QPoint from = w.cell(at.x(), at.y());
            for (QChar wall : walls)
                w.surface().setPoint(from.x() + (wall == 'V' ? 0 : turned.x()), from.y() + (wall == 'H' ? 0 : turned.y()),
                                     kWall);
            d.onMazeStep();
            QCOMPARE(QPoint(d.moverX, d.moverY), at + moved);
            QCOMPARE(w.colourAt(from + moved), kMover);
            if (!moved.isNull())
                QCOMPARE(w.colourAt(from), kBlank);
        }
    }

    // Output fixed at 200: every step turns the vertical direction, so on
    // open ground the mover zigzags, one column per loop turn.
    void zigzagThroughTheMainLoop()
    {
        LiveWindow w;
        auto& d = w.d();
        d.needsRealloc = 0;
        d.cells->set(0, 29, 29, 29, 200);
        // Open ground beside the grid: there the mover never reaches the input.
        w.surface().fillRect(350, 100, 420, 140, 0);
        std::tie(d.moverX, d.moverY) = std::pair(360 - d.originX, 120 - d.originY);
        w.action("cmove")->trigger();
        for (int k = 1; k <= 8; ++k) {
            d.turn();
            QCOMPARE(w.cell(d.moverX, d.moverY), QPoint(360 + k, k % 2 ? 119 : 120));
        }
    }

    // A mover off the surface and past any pixel coordinate (as a brain file
    // may hold) is blocked everywhere; a step and P blank and paint it
    // without harm. P places only on the input layer.
    void moverOffTheSurfaceAndPlacing()
    {
        LiveWindow w;
        std::tie(w.d().moverX, w.d().moverY) = std::pair(INT_MAX, INT_MIN);
        w.d().onMazeStep();
        QCOMPARE(QPoint(w.d().moverX, w.d().moverY), QPoint(INT_MAX, INT_MIN));
        w.run("press 4 4;release 4 4;key P");
        QCOMPARE(QPoint(w.d().moverX, w.d().moverY), QPoint(4, 4));
        w.run("key X;press 6 6;key P");
        QCOMPARE(QPoint(w.d().moverX, w.d().moverY), QPoint(4, 4));
    }

    // Paint a red box, place the mover in it during a press, play, stop.
    void wholeGame()
    {
        LiveWindow w;
        auto& d = w.d();
        int steps = 0;
        d.onMazeStep = [&steps, step = d.onMazeStep] { ++steps; step(); };
        w.setColour(rgb(255, 0, 0));
        w.run("press 5 5;drag 15 5;drag 15 15;drag 5 15;drag 5 5;release 5 5;press 8 9;key P;release 8 9;menu cmove");
        bool moved = false;
        for (int turn = 0; turn < 200; ++turn) {
            d.turn();
            QVERIFY(d.moverX > 5 && d.moverX < 15 && d.moverY > 5 && d.moverY < 15);  // the walls hold
            moved |= QPoint(d.moverX, d.moverY) != QPoint(8, 9);
        }
        QVERIFY(moved);
        QCOMPARE(steps, 201);  // one step per loop turn

        // Keys act between steps; the About panel pauses play until a press.
        w.run("key A;menu about");
        const int paused = steps;
        w.settle(5);
        QCOMPARE(QList<int>({d.drawRed, steps}), QList<int>({254, paused}));
        w.run("press;menu playoff");
        w.settle(5);
        QCOMPARE(steps, paused + 1);
        // Stopping took the picture as play left it into the input layer.
        QCOMPARE(int(d.cells->at(0, d.moverX, d.moverY, 0)), 128);
    }
};

QTEST_APPLESS_MAIN(MazeTest)
#include "maze_test.moc"
