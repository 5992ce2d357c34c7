// Mouse painting through the real window: strokes, the right-button pick
// and the three drawing styles.
#include <QTest>

#include "live_window.h"

using platform::rgb;
using testing_window::LiveWindow;

namespace {

// A grid cell's colour on the window, and as the canvases hold it.
std::pair<uint, uint> colourAt(LiveWindow& w, int x, int y)
{
    const QPoint p = w.cell(x, y);
    auto& pl = w.d().canvases.plane;
    return {w.surface().point(p.x(), p.y()),
            rgb(int(pl[0].point(p.x(), p.y())), int(pl[1].point(p.x(), p.y())), int(pl[2].point(p.x(), p.y())))};
}

void setColour(LiveWindow& w, uint c)
{
    w.d().drawRed = int(c & 0xFF);
    w.d().drawGreen = int(c >> 8 & 0xFF);
    w.d().drawBlue = int(c >> 16);
}

}  // namespace

class MouseTest : public QObject {
    Q_OBJECT

private slots:
    void strokes_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("painted");  // cells "x y;x y"
        QTest::addColumn<QString>("black");
        QTest::addColumn<QPoint>("last");  // grid cell; (-1, -1): no stroke under way
        const QPoint none(-1, -1);
        QTest::newRow("press without move") << "press 3 3;release 3 3" << "" << "3 3" << QPoint(3, 3);
        QTest::newRow("then a move, no button") << "press 3 3;release 3 3;hover 4 4" << "" << "3 3;4 4" << none;
        QTest::newRow("segment leaves out its start") << "press 3 3;drag 6 3" << "4 3;5 3;6 3" << "3 3;7 3" << QPoint(6, 3);
        QTest::newRow("entering from outside") << "press -5 3;drag -1 3;drag 2 3;drag 5 3" << "3 3;4 3;5 3"
                                               << "0 3;1 3;6 3" << QPoint(5, 3);
        QTest::newRow("leaving and re-entering") << "press 2 2;drag 4 2;drag 40 2;drag 4 6" << "3 2;4 2;4 3;4 4;4 5;4 6"
                                                 << "5 2;29 2;5 6" << QPoint(4, 6);
        QTest::newRow("higher layer on view") << "key X;press 2 2;drag 5 5" << "" << "3 3;4 4;5 5" << QPoint(2, 2);
        QTest::newRow("both buttons") << "press 2 2;drag2 5 2" << "" << "3 2;4 2;5 2" << none;
        QTest::newRow("last column and row") << "press 29 26;drag 29 29" << "29 27;29 28;29 29" << "28 29"
                                             << QPoint(29, 29);
        QTest::newRow("beyond the last column") << "press 30 5;drag 30 8" << "" << "29 5;29 8" << none;
        QTest::newRow("beyond the last row") << "press 5 30" << "" << "5 29" << none;
    }
    void strokes()
    {
        QFETCH(QString, steps);
        QFETCH(QString, painted);
        QFETCH(QString, black);
        QFETCH(QPoint, last);
        LiveWindow w;
        setColour(w, rgb(10, 20, 30));
        w.run(steps);
        for (const QString& c : painted.split(';', Qt::SkipEmptyParts))
            QCOMPARE(colourAt(w, c.section(' ', 0, 0).toInt(), c.section(' ', 1).toInt()),
                     std::make_pair(rgb(10, 20, 30), rgb(10, 20, 30)));
        for (const QString& c : black.split(';', Qt::SkipEmptyParts))
            QCOMPARE(colourAt(w, c.section(' ', 0, 0).toInt(), c.section(' ', 1).toInt()), std::make_pair(0u, 0u));
        QCOMPARE(QPoint(w.d().lastX, w.d().lastY), last == QPoint(-1, -1) ? last : w.cell(last.x(), last.y()));
        QCOMPARE(w.d().inputChanged, painted.isEmpty() ? 0 : 1);
    }

    // The pick reads the canvases, never the window, on any layer.
    void rightButtonPick_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<uint>("picked");
        const uint marked = rgb(7, 8, 9);
        QTest::newRow("never painted") << "rpress 4 4" << 0u;
        QTest::newRow("canvases, not window") << "rpress 5 6" << marked;
        QTest::newRow("last column and row") << "rpress 29 29" << marked;
        QTest::newRow("beyond the grid") << "rpress 30 29" << rgb(10, 20, 30);
        QTest::newRow("higher layer on view") << "key X;rpress 0 29" << marked;  // beside layer 2's square
    }
    void rightButtonPick()
    {
        QFETCH(QString, steps);
        QFETCH(uint, picked);
        LiveWindow w;
        for (QPoint c : {QPoint(5, 6), QPoint(29, 29), QPoint(30, 29), QPoint(0, 29)}) {
            w.d().canvases.setPoint(w.cell(c.x(), c.y()).x(), w.cell(c.x(), c.y()).y(), 7, 8, 9);
            w.surface().setPoint(w.cell(c.x(), c.y()).x(), w.cell(c.x(), c.y()).y(), rgb(255, 255, 255));
        }
        setColour(w, rgb(10, 20, 30));
        w.run(steps);
        QCOMPARE(rgb(w.d().drawRed, w.d().drawGreen, w.d().drawBlue), picked);
        if (picked != rgb(10, 20, 30))
            QCOMPARE(w.surface().point(60, 206), picked);  // the swatch follows
    }

    // One segment onto cell (28, 29) of an empty brain: the apex then gets
    // 29 times the cell's value, so output and drawn colour differ.
    void styles_data()
    {
        QTest::addColumn<QString>("modes");
        QTest::addColumn<uint>("segment");
        QTest::addColumn<uint>("colourAfter");
        const uint chosen = rgb(10, 20, 30), output = rgb(34, 68, 102);
        for (const char* style : {"styleone", "styletwo", "stylethree"})
            for (const char* modes : {"drawchosen;menu autogoff", "drawchosen;menu autogon", "drawboutput;menu autogoff"})
                QTest::addRow("%s, %s", style, modes) << QString("menu %1;menu %2").arg(style, modes) << chosen << chosen;
        const QString on = ";menu drawboutput;menu autogon";
        QTest::newRow("style one, output, on") << "menu styleone" + on << chosen << output;
        QTest::newRow("style two, output, on") << "menu styletwo" + on << output << output;
        // Under the pointer (200, 100, 0): opposite (72, 228, 128), output 29 times that.
        QTest::newRow("style three, output, on") << "menu stylethree" + on << rgb(40, 212, 128) << rgb(40, 212, 128);
    }
    void styles()
    {
        QFETCH(QString, modes);
        QFETCH(uint, segment);
        QFETCH(uint, colourAfter);
        LiveWindow w;
        w.run(modes);
        setColour(w, rgb(10, 20, 30));
        w.d().canvases.setPoint(w.cell(28, 29).x(), w.cell(28, 29).y(), 200, 100, 0);
        w.run("press 27 29;drag 28 29;release 28 29");
        QCOMPARE(colourAt(w, 28, 29), std::make_pair(segment, segment));
        QCOMPARE(rgb(w.d().drawRed, w.d().drawGreen, w.d().drawBlue), colourAfter);
        const bool generated = modes.contains("autogon");
        QCOMPARE(w.action("savebrain")->isEnabled(), generated);
        QCOMPARE(w.d().needsRealloc, generated ? 0 : 1);
    }
};

QTEST_APPLESS_MAIN(MouseTest)
#include "mouse_test.moc"
