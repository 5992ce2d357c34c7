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
        // Red, green and blue typed; the buttons; the colour after.
        const std::tuple<QString, const char*, uint> rows[] = {
            {"1 2 3", "click Command5", rgb(1, 2, 3)},
            {"300 4x -5", "click Command5", rgb(10, 4, 30)},
            {"1 2 3", "click Command6", rgb(10, 20, 30)},
            {"1 2 3", "click Command7;click Command5", rgb(128, 128, 128)},
            {"1 2 3", "click Command8;click Command5", rgb(0, 0, 0)},
        };
        for (const auto& [typed, buttons, colour] : rows) {
            LiveWindow w(buttons);
            w.setColour(rgb(10, 20, 30));
            w.run("menu choosecolor");
            QCOMPARE(w.box("Text3")->text() + ' ' + w.box("Text4")->text() + ' ' + w.box("Text5")->text(), "10 20 30");
            QVERIFY(w.control("Label3")->isVisible() && w.control("Command8")->isVisible());
            for (int i = 0; i < 3; ++i)
                w.box(QString("Text%1").arg(3 + i))->setText(typed.section(' ', i, i));
            w.run(buttons);
            QCOMPARE(w.colour(), colour);
            QCOMPARE(w.surface().point(60, 206), colour);
            QVERIFY(!w.control("Label3")->isVisible() && !w.control("Command8")->isVisible());
        }
    }

    // A focused box takes the keys; the window's key handler sees none.
    void focusedBoxTakesKeys()
    {
        LiveWindow w;
        w.run("menu choosecolor");
        w.box("Text3")->setFocus();
        w.box("Text3")->clear();  // it holds at most 3 characters
        w.run("key Q;key X;key +");
        QCOMPARE(w.box("Text3")->text(), "qx+");
        QCOMPARE(QList<int>({w.d().drawRed, w.d().viewLayer, w.d().dimX}), QList<int>({128, 0, 30}));
        w.run("key Tab");  // between the panel's controls Tab moves the focus
        QCOMPARE(QApplication::focusWidget(), w.control("Command7"));
        // Clicking a button moves the focus to it; closing hands keys back.
        w.run("click Command6");  // Cancel
        w.run("key Q");
        QCOMPARE(w.d().drawRed, 129);
    }
};

QTEST_APPLESS_MAIN(ColourPanelTest)
#include "colour_panel_test.moc"
