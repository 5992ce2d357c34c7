// Mouse painting through the real window: strokes, the right-button pick
// and the three drawing styles.

#include "live_window.h"

using platform::rgb;

namespace {

constexpr uint kChosen = rgb(10, 20, 30);

// A grid cell "x y" as the window shows it, and as the canvases hold it.
std::pair<uint, uint> colourAt(LiveWindow& w, const QString& xy)
{
    return w.colourAt(w.cell(xy.section(' ', 0, 0).toInt(), xy.section(' ', 1).toInt()));
}

// Steps; cells painted, "x y;x y"; cells left black; the stroke's last cell, (-1, -1) for none.
using Stroke = std::tuple<QString, QString, QString, QPoint>;
// Mode commands; the segment's colour; the drawing colour after it.
using Style = std::tuple<QString, uint, uint>;

}  // namespace

class MouseTest : public QObject {
    Q_OBJECT

private slots:
    void strokes_data()
    {
        QTest::addColumn<Stroke>("row");
        const QPoint none(-1, -1);
        QTest::newRow("press without move") << Stroke{"press 3 3;release 3 3", "", "3 3", {3, 3}};
        QTest::newRow("entering from outside")
            << Stroke{"press -5 3;drag -1 3;drag 2 3;drag 5 3", "3 3;4 3;5 3", "0 3;1 3;2 3;6 3", {5, 3}};
        QTest::newRow("leaving and re-entering")
            << Stroke{"press 2 2;drag 4 2;drag 40 2;drag 4 6", "3 2;4 2;4 3;4 4;4 5;4 6", "2 2;5 2;29 2;5 6", {4, 6}};
        QTest::newRow("higher layer on view") << Stroke{"key X;press 2 2;drag 5 5", "", "3 3;4 4;5 5", {2, 2}};
        QTest::newRow("both buttons") << Stroke{"press 2 2;drag2 5 2", "", "3 2;4 2;5 2", none};
        QTest::newRow("last column and row") << Stroke{"press 29 26;drag 29 29", "29 27;29 28;29 29", "29 26;28 29", {29, 29}};
        QTest::newRow("beyond the last column and row") << Stroke{"press 30 5;drag 5 30", "", "29 5;5 29", none};
    }
    void strokes()
    {
        QFETCH(Stroke, row);
        const auto& [steps, painted, black, last] = row;
        LiveWindow w;
        w.setColour(kChosen);
        w.run(steps);
        for (const QString& c : painted.split(';', Qt::SkipEmptyParts))
            QCOMPARE(colourAt(w, c), std::pair(kChosen, kChosen));
        for (const QString& c : black.split(';', Qt::SkipEmptyParts))
            QCOMPARE(colourAt(w, c), std::pair(0u, 0u));
        QCOMPARE(QPoint(w.d().lastX, w.d().lastY), last.x() < 0 ? last : w.cell(last.x(), last.y()));
        QCOMPARE(w.d().inputChanged, painted.isEmpty() ? 0 : 1);
    }

    // The pick reads the canvases, never the window, and only over the grid.
    void rightButtonPick()
    {
        LiveWindow w;
        for (QPoint c : {w.cell(5, 6), w.cell(30, 29)}) {
            w.d().canvases.setPoint(c.x(), c.y(), 7, 8, 9);
            w.surface().setPoint(c.x(), c.y(), rgb(255, 255, 255));
        }
        w.setColour(kChosen);
        w.run("rpress 30 29");
        QCOMPARE(w.colour(), kChosen);
        w.run("rpress 5 6");
        QCOMPARE(w.colour(), rgb(7, 8, 9));
        QCOMPARE(w.surface().point(60, 206), rgb(7, 8, 9));  // the swatch follows
    }

    // One segment onto cell (28, 29) of an empty brain: the apex then gets
    // 29 times the cell's value, so output and drawn colour differ.
    void styles_data()
    {
        QTest::addColumn<Style>("row");
        for (const char* style : {"styleone", "styletwo", "stylethree"})
            for (const char* modes : {"drawchosen;menu autogoff", "drawchosen;menu autogon", "drawboutput;menu autogoff"})
                QTest::addRow("%s, %s", style, modes) << Style{QString("menu %1;menu %2").arg(style, modes), kChosen, kChosen};
        const QString on = ";menu drawboutput;menu autogon";
        const uint output = rgb(34, 68, 102);
        QTest::newRow("style one, output, on") << Style{"menu styleone" + on, kChosen, output};
        QTest::newRow("style two, output, on") << Style{"menu styletwo" + on, output, output};
        // Under the pointer (200, 100, 0): opposite (72, 228, 128), output 29 times that.
        QTest::newRow("style three, output, on") << Style{"menu stylethree" + on, rgb(40, 212, 128), rgb(40, 212, 128)};
    }
    void styles()
    {
        QFETCH(Style, row);
        const auto& [modes, segment, colourAfter] = row;
        LiveWindow w;
        w.run(modes);
        w.setColour(kChosen);
        w.d().canvases.setPoint(w.cell(28, 29).x(), w.cell(28, 29).y(), 200, 100, 0);
        w.run("press 27 29;drag 28 29;release 28 29");
        QCOMPARE(colourAt(w, "28 29"), std::pair(segment, segment));
        QCOMPARE(w.colour(), colourAfter);
        const bool generated = modes.contains("autogon");
        QCOMPARE(w.action("savebrain")->isEnabled(), generated);
        QCOMPARE(w.d().needsRealloc, generated ? 0 : 1);
    }
};

QTEST_APPLESS_MAIN(MouseTest)
#include "mouse_test.moc"
