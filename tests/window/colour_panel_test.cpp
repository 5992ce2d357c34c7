// The colour panel through the real window: what opening shows, the four
// buttons, and the keyboard going to a focused text box.

#include "live_window.h"

using platform::rgb;

class ColourPanelTest : public QObject {
    Q_OBJECT

private slots:
    // Each box is read on its own: a refused entry keeps that component only.
    void buttons()
    {
        const std::tuple<QStringList, const char*, uint> rows[] = {  // typed red, green, blue; buttons; colour
            {{"1", "2", "3"}, "button Command5", rgb(1, 2, 3)},
            {{"300", "4x", "-5"}, "button Command5", rgb(10, 4, 30)},
            {{"1", "2", "3"}, "button Command6", rgb(10, 20, 30)},
            {{}, "button Command7;button Command5", rgb(128, 128, 128)},
        };
        for (const auto& [typed, buttons, colour] : rows) {
            LiveWindow w;
            w.setColour(rgb(10, 20, 30));
            w.run("menu choosecolor");
            const char* const boxes[] = {"Text3", "Text4", "Text5"};
            const char* const panel[] = {"Label3", "Text3", "Label4", "Text4", "Label5",
                                         "Text5", "Command5", "Command6", "Command7", "Command8"};
            QVERIFY(std::all_of(panel, panel + 10, [&](auto c) { return w.control(c)->isVisible(); }));
            QCOMPARE(w.box("Text4")->text(), "20");
            for (int i = 0; i < typed.size(); ++i)
                w.box(boxes[i])->setText(typed[i]);
            w.run(buttons);
            QCOMPARE(w.colour(), colour);
            QCOMPARE(w.surface().point(60, 206), colour);
            QVERIFY(!std::any_of(panel, panel + 10, [&](auto c) { return w.control(c)->isVisible(); }));
            // Opening again shows the colour in force, not what was typed.
            w.run("menu choosecolor");
            QCOMPARE(w.box("Text3")->text(), QString::number(w.d().drawRed));
        }
    }

    // A focused box takes the keys; the window's key handler sees none.
    void focusedBoxTakesKeys()
    {
        LiveWindow w;
        w.run("menu choosecolor");
        w.box("Text3")->setFocus();
        w.box("Text3")->clear();
        w.run("type Q;type X;type +;type Enter");
        QCOMPARE(w.box("Text3")->text(), "qx+");
        QCOMPARE(QList<int>({w.d().drawRed, w.d().viewLayer, w.d().dimX}), QList<int>({128, 0, 30}));
        QVERIFY(!w.action("playoptions")->isEnabled());
        w.run("type Tab");  // between the panel's controls Tab moves the focus
        QCOMPARE(QApplication::focusWidget(), w.control("Text4"));
        // Clicking a button moves the focus to it; closing hands keys back.
        w.run("click Command6");  // Cancel
        QVERIFY(!w.control("Text3")->isVisible());
        w.run("type Q");
        QCOMPARE(w.d().drawRed, 129);
    }
};

QTEST_APPLESS_MAIN(ColourPanelTest)
#include "colour_panel_test.moc"
