// Mouse painting through the real window: strokes and the three drawing styles.
#include "live_window.h"

using platform::rgb;

constexpr uint kChosen = rgb(10, 20, 30);

class MouseTest : public QObject {
    Q_OBJECT

private slots:
    void strokes()
    {
        // Steps; grid cells "x y" painted (marked *) or left black; the
        // stroke's last cell, (-1, -1) for none.
        const std::tuple<const char*, QString, QPoint> rows[] = {
            {"press 3 3;release 3 3", "3 3", {3, 3}},
            {"press -5 3;drag -1 3;drag 2 3;drag 5 3", "3 3*;4 3*;5 3*;0 3;1 3;2 3;6 3", {5, 3}},
            {"press 2 2;drag 4 2;drag 40 2;drag 4 6", "3 2*;4 2*;4 3*;4 4*;4 5*;4 6*;2 2;5 2;29 2;5 6", {4, 6}},
            {"key X;press 2 2;drag 5 5", "3 3;4 4;5 5", {2, 2}},  // a higher layer on view
            {"press 2 2;drag2 5 2", "3 2;4 2;5 2", {-1, -1}},    // both buttons held
            {"press 2 2;hover 5 2", "3 2;4 2;5 2", {-1, -1}},    // no button held
            {"press 29 26;drag 29 29", "29 27*;29 28*;29 29*;29 26;28 29", {29, 29}},
            {"press 30 5;drag 5 30", "29 5;5 29", {-1, -1}},  // beyond the last column and row
        };
        for (const auto& [steps, cells, last] : rows) {
            LiveWindow w(steps);
            w.setColour(kChosen);
            w.run(steps);
            for (QString c : cells.split(';')) {
                const uint wanted = c.endsWith('*') ? kChosen : 0;
                QCOMPARE(w.colourAt(w.cell(c.remove('*'))), std::pair(wanted, wanted));
            }
            const window::Point stroke = w.d().strokePoint().value_or(window::Point{-1, -1});
            QCOMPARE(QPoint(stroke.x, stroke.y), last.x() < 0 ? last : w.cell(last.x(), last.y()));
            QCOMPARE(w.d().brain().inputChanged(), cells.contains('*'));
        }
    }

    // One segment onto cell (28, 29) of an empty brain, whose canvases hold
    // (200, 100, 0) there: the opposite is (72, 228, 128), and a generation
    // puts 29 times the cell's value into the apex.
    void styles()
    {
        const uint output = rgb(34, 68, 102), opposite = rgb(40, 212, 128);
        // Mode commands; the segment's colour; the drawing colour after it.
        std::vector<std::tuple<QString, uint, uint>> rows = {
            {"styleone;menu drawboutput;menu autogon", kChosen, output},
            {"styletwo;menu drawboutput;menu autogon", output, output},
            {"stylethree;menu drawboutput;menu autogon", opposite, opposite},
        };
        // Drawing the chosen colour, or with nothing generated, no style changes anything.
        for (const char* style : {"styleone", "styletwo", "stylethree"})
            for (const char* modes : {"drawchosen;menu autogoff", "drawchosen;menu autogon", "drawboutput;menu autogoff"})
                rows.emplace_back(QString("%1;menu %2").arg(style, modes), kChosen, kChosen);
        for (const auto& [modes, segment, after] : rows) {
            LiveWindow w(modes);
            w.run("menu " + modes);
            w.setColour(kChosen);
            w.d().canvases().setPoint(w.cell(28, 29).x(), w.cell(28, 29).y(), 200, 100, 0);
            w.run("press 27 29;drag 28 29;release 28 29");
            QCOMPARE(w.colourAt(w.cell(28, 29)), std::pair(segment, segment));
            QCOMPARE(w.colour(), after);
            QCOMPARE(w.action("savebrain")->isEnabled(), modes.contains("autogon"));
        }
    }
};

QTEST_APPLESS_MAIN(MouseTest)
#include "mouse_test.moc"
