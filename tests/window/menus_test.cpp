// The mode commands, the menus' enabled states as the panels, keys and play
// change them, and the About panel.
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include "live_window.h"
#include "window/layout.h"

using platform::rgb;
using testing_window::LiveWindow;

class MenusTest : public QObject {
    Q_OBJECT

private slots:
    void modeCommands_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("checkedItems");
        const QString start = "autogoff drawchosen styletwo";
        QTest::newRow("start") << "" << start;
        QTest::newRow("on") << "menu autogon" << "autogon drawchosen styletwo";
        QTest::newRow("on, off") << "menu autogon;menu autogoff" << start;
        QTest::newRow("brain output") << "menu drawboutput" << "autogoff drawboutput styletwo";
        QTest::newRow("output, chosen") << "menu drawboutput;menu drawchosen" << start;
        QTest::newRow("style one") << "menu styleone" << "autogoff drawchosen styleone";
        QTest::newRow("style three twice") << "menu stylethree;menu stylethree"
                                           << "autogoff drawchosen stylethree";
        QTest::newRow("style one, two") << "menu styleone;menu styletwo" << start;
        QTest::newRow("key help item") << "menu waqs;menu ssjsddj" << start;
    }
    void modeCommands()
    {
        QFETCH(QString, steps);
        QFETCH(QString, checkedItems);
        LiveWindow w;
        w.run(steps);
        for (const char* item : {"autogon", "autogoff", "drawchosen", "drawboutput", "styleone", "styletwo",
                                 "stylethree", "waqs", "ssjsddj"}) {
            const bool wanted = checkedItems.split(' ').contains(item);
            QVERIFY2(w.action(item)->isChecked() == wanted, item);
            QCOMPARE(w.d().menus.checked(item), wanted);
        }
        QCOMPARE(w.d().autoGenerate, checkedItems.contains("autogon") ? 1 : 0);
        QCOMPARE(w.d().drawMode, checkedItems.contains("drawboutput") ? 1 : 0);
        // A mode command generates nothing.
        QVERIFY(!w.action("savebrain")->isEnabled());
        QCOMPARE(w.d().needsRealloc, 1);
    }

    void enabledStates_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("enabled");  // of: options playoptions choosecolor about savebrain
        QTest::addColumn<int>("playMode");
        const QString all = "options playoptions choosecolor about";
        QTest::newRow("start") << "" << all << 0;
        QTest::newRow("about") << "menu about" << "about" << 0;
        QTest::newRow("about, press") << "menu about;press" << all << 0;
        QTest::newRow("about twice, press") << "menu about;menu about;press" << all << 0;
        QTest::newRow("about during play, press")
            << "menu cmove;menu about;press" << "playoptions about savebrain" << 1;
        QTest::newRow("about on a higher layer, press")
            << "key X;menu about;press" << "options choosecolor about" << 0;
        QTest::newRow("about, any key") << "menu about;key F1" << "playoptions about" << 0;
        QTest::newRow("colour panel") << "menu choosecolor" << "" << 0;
        QTest::newRow("colour panel, tab") << "menu choosecolor;key Tab" << "playoptions" << 0;
        QTest::newRow("colour panel, cancel") << "menu choosecolor;button Command6" << all << 0;
        QTest::newRow("colour panel on a higher layer, done")
            << "key X;menu choosecolor;button Command5" << "options choosecolor about" << 0;
        // (A maze step generates, so play enables "Save Brain".)
        QTest::newRow("play") << "menu cmove" << "playoptions about savebrain" << 1;
        QTest::newRow("play, off") << "menu cmove;menu playoff" << all + " savebrain" << 0;
        QTest::newRow("play, X") << "menu cmove;key X" << "options choosecolor about savebrain" << 0;
        QTest::newRow("X, Z") << "key X;key Z" << all << 0;
        QTest::newRow("play unreachable on a higher layer")
            << "key X;menu cmove" << "options choosecolor about" << 0;
        QTest::newRow("enter") << "key Enter" << all + " savebrain" << 0;
        QTest::newRow("play, enter, plus") << "menu cmove;key Enter;key Plus" << all << 0;
    }
    void enabledStates()
    {
        QFETCH(QString, steps);
        QFETCH(QString, enabled);
        QFETCH(int, playMode);
        LiveWindow w;
        w.run(steps);
        for (const char* item : {"options", "playoptions", "choosecolor", "about", "savebrain"}) {
            const bool wanted = enabled.split(' ').contains(item);
            QVERIFY2(w.action(item)->isEnabled() == wanted, item);
            QCOMPARE(w.d().menus.enabled(item), wanted);
        }
        QCOMPARE(w.d().playMode, playMode);
        QCOMPARE(w.action("cmove")->isChecked(), playMode == 1);
        QCOMPARE(w.action("playoff")->isChecked(), playMode == 0);
    }

    // Every designed control stands hidden where the design puts it, with
    // its text, colour and input limits.
    void controlsAsDesigned()
    {
        LiveWindow w;
        for (const platform::ControlSpec& c : window::controlDesign()) {
            QWidget* widget = w.control(c.name.c_str());
            QVERIFY2(widget && !widget->isVisible(), c.name.c_str());
            QCOMPARE(widget->geometry(), QRect(c.left, c.top, c.width, c.height));
            if (c.kind != platform::ControlKind::Picture)
                QCOMPARE(w.host().text(c.name), c.text);
            if (auto* label = qobject_cast<QLabel*>(widget); label && c.kind == platform::ControlKind::Label)
                QCOMPARE(label->palette().color(QPalette::WindowText).rgb() & 0xFFFFFF,
                         qRgb(c.colour & 0xFF, c.colour >> 8 & 0xFF, c.colour >> 16) & 0xFFFFFF);
            if (auto* box = qobject_cast<QLineEdit*>(widget)) {
                QCOMPARE(box->maxLength(), c.maxLength ? c.maxLength : 32767);
                QCOMPARE(box->isReadOnly(), c.readOnly);
            }
        }
    }

    void aboutPanel()
    {
        LiveWindow w;
        auto* text = qobject_cast<QLabel*>(w.control("Label6"));
        auto* picture = qobject_cast<QLabel*>(w.control("Picture1"));
        w.menu("about");
        QVERIFY(text->isVisible() && picture->isVisible());
        QVERIFY(text->text().startsWith("This program is a form of actual computerized intelligence."));
        QVERIFY(text->text().endsWith("by me (Quillon)."));
        QCOMPARE(picture->pixmap().size(), QSize(148, 191));

        // Presses on the panel's own controls stay with them, even where the
        // picture covers the grid.
        w.clickThrough(Qt::LeftButton, 20, 20);
        w.clickThrough(Qt::RightButton, w.cell(5, 5).x(), w.cell(5, 5).y());
        QVERIFY(w.d().aboutOpen());

        // The press that closes it does nothing else: no stroke, no pick.
        w.d().drawRed = 7;
        w.press(Qt::RightButton, w.cell(3, 20).x(), w.cell(3, 20).y());
        QVERIFY(!w.d().aboutOpen() && !text->isVisible() && !picture->isVisible());
        QCOMPARE(w.d().drawRed, 7);
        w.menu("about");
        w.press(Qt::LeftButton, w.cell(3, 20).x(), w.cell(3, 20).y());
        QCOMPARE(w.d().lastX, -1);
        // Dragging on paints from the first point reached inside the grid.
        w.move(Qt::LeftButton, w.cell(4, 20).x(), w.cell(4, 20).y());
        w.move(Qt::LeftButton, w.cell(6, 20).x(), w.cell(6, 20).y());
        QCOMPARE(w.surface().point(w.cell(5, 20).x(), w.cell(5, 20).y()), rgb(7, 128, 128));
    }
};

QTEST_APPLESS_MAIN(MenusTest)
#include "menus_test.moc"
