// The colour panel through the real window: what opening shows, the four
// buttons, and the keyboard going to a focused text box.
#include <QLineEdit>
#include <QTest>

#include "live_window.h"

using platform::rgb;
using testing_window::LiveWindow;

namespace {

QLineEdit* box(LiveWindow& w, const char* name)
{
    return qobject_cast<QLineEdit*>(w.control(name));
}

void open(LiveWindow& w, uint colour)
{
    w.d().drawRed = int(colour & 0xFF);
    w.d().drawGreen = int(colour >> 8 & 0xFF);
    w.d().drawBlue = int(colour >> 16);
    w.d().drawswatch();
    w.menu("choosecolor");
}

const char* const kPanel[] = {"Label3", "Text3", "Label4", "Text4", "Label5",
                              "Text5", "Command5", "Command6", "Command7", "Command8"};

}  // namespace

class ColourPanelTest : public QObject {
    Q_OBJECT

private slots:
    // Each box is read on its own: a refused entry keeps that component only.
    void buttons_data()
    {
        QTest::addColumn<QStringList>("typed");  // red, green, blue; or none
        QTest::addColumn<QStringList>("buttons");
        QTest::addColumn<uint>("colour");
        const uint start = rgb(10, 20, 30);
        QTest::newRow("done") << QStringList{"1", "2", "3"} << QStringList{"Command5"} << rgb(1, 2, 3);
        QTest::newRow("out of range kept") << QStringList{"300", "-5", "9.9"} << QStringList{"Command5"}
                                           << rgb(10, 20, 9);
        QTest::newRow("blanks, letters, nothing") << QStringList{" 42", "4x", ""} << QStringList{"Command5"}
                                                  << rgb(42, 4, 0);
        QTest::newRow("letters only, edges") << QStringList{"abc", "255", "-0"} << QStringList{"Command5"}
                                             << rgb(0, 255, 0);
        QTest::newRow("cancel") << QStringList{"1", "2", "3"} << QStringList{"Command6"} << start;
        QTest::newRow("middle, done") << QStringList{} << QStringList{"Command7", "Command5"} << rgb(128, 128, 128);
        QTest::newRow("zero, done") << QStringList{} << QStringList{"Command8", "Command5"} << rgb(0, 0, 0);
        QTest::newRow("middle, cancel") << QStringList{} << QStringList{"Command7", "Command6"} << start;
    }
    void buttons()
    {
        QFETCH(QStringList, typed);
        QFETCH(QStringList, buttons);
        QFETCH(uint, colour);
        LiveWindow w;
        open(w, rgb(10, 20, 30));
        const char* boxes[] = {"Text3", "Text4", "Text5"};
        for (const char* name : kPanel)
            QVERIFY2(w.control(name)->isVisible(), name);
        QCOMPARE(box(w, "Text4")->text(), QString("20"));
        for (int i = 0; i < typed.size(); ++i)
            box(w, boxes[i])->setText(typed[i]);
        for (const QString& b : buttons)
            w.click(qPrintable(b));
        QCOMPARE(rgb(w.d().drawRed, w.d().drawGreen, w.d().drawBlue), colour);
        QCOMPARE(w.surface().point(60, 206), colour);
        for (const char* name : kPanel)
            QVERIFY2(!w.control(name)->isVisible(), name);
        // Opening again shows the colour in force, not what was typed.
        w.menu("choosecolor");
        QCOMPARE(box(w, "Text3")->text(), QString::number(w.d().drawRed));
    }

    // A focused box takes the keys; the window's key handler sees none.
    void focusedBoxTakesKeys()
    {
        LiveWindow w;
        open(w, rgb(10, 20, 30));
        w.control("Text3")->setFocus();
        box(w, "Text3")->clear();
        for (int k : {Qt::Key_Q, Qt::Key_X, Qt::Key_Plus, Qt::Key_Return})
            w.keyThrough(k);
        QCOMPARE(box(w, "Text3")->text(), QString("qx+"));
        QCOMPARE(w.d().drawRed, 10);
        QCOMPARE(w.d().viewLayer, 0);
        QCOMPARE(w.d().dimX, 30);
        QVERIFY(!w.action("playoptions")->isEnabled());
        w.keyThrough(Qt::Key_Tab);  // between the panel's controls Tab moves the focus
        QCOMPARE(QApplication::focusWidget(), w.control("Text4"));
        // Clicking a button moves the focus to it; closing hands keys back.
        w.clickThrough(Qt::LeftButton, 20, 280);  // "Cancel"
        QVERIFY(!w.control("Text3")->isVisible());
        w.keyThrough(Qt::Key_Q);
        QCOMPARE(w.d().drawRed, 11);
    }
};

QTEST_APPLESS_MAIN(ColourPanelTest)
#include "colour_panel_test.moc"
