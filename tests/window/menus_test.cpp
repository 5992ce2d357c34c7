// The menus as the mode commands, the panels, keys and play change them, and
// the About panel.

#include "live_window.h"

class MenusTest : public QObject {
    Q_OBJECT

private slots:
    void states_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("enabled");  // of: options playoptions choosecolor about savebrain
        QTest::addColumn<QString>("checked");  // every checked item, in name order
        const QString all = "options playoptions choosecolor about", start = "autogoff drawchosen playoff styletwo";
        // Each mode group is a radio group; each command sets its mode.
        const QString away = "menu autogon;menu drawboutput;menu styleone;menu stylethree";
        QTest::newRow("modes away") << away << all << "autogon drawboutput playoff stylethree";
        QTest::newRow("modes back") << away + ";menu autogoff;menu drawchosen;menu styletwo;menu waqs" << all << start;
        QTest::newRow("about") << "menu about" << "about" << start;
        QTest::newRow("about, press") << "menu about;press" << all << start;
        QTest::newRow("about during play, press") << "menu cmove;menu about;press" << "playoptions about savebrain"
                                                  << "autogoff cmove drawchosen styletwo";
        QTest::newRow("about on a higher layer, press") << "key X;menu about;press" << "options choosecolor about" << start;
        QTest::newRow("about, any key") << "menu about;key F1" << "playoptions about" << start;
        QTest::newRow("colour panel") << "menu choosecolor" << "" << start;
        QTest::newRow("colour panel, cancel") << "menu choosecolor;button Command6" << all << start;
        QTest::newRow("colour panel on a higher layer, done")
            << "key X;menu choosecolor;button Command5" << "options choosecolor about" << start;
        // (A maze step generates, so play enables "Save Brain".)
        QTest::newRow("play") << "menu cmove" << "playoptions about savebrain" << "autogoff cmove drawchosen styletwo";
        QTest::newRow("play, off") << "menu cmove;menu playoff" << all + " savebrain" << start;
        QTest::newRow("play, X") << "menu cmove;key X" << "options choosecolor about savebrain" << start;
        QTest::newRow("play unreachable on a higher layer") << "key X;menu cmove" << "options choosecolor about" << start;
        QTest::newRow("play, enter, plus") << "menu cmove;key Enter;key +" << all << start;
    }
    void states()
    {
        QFETCH(QString, steps);
        QFETCH(QString, enabled);
        QFETCH(QString, checked);
        LiveWindow w;
        w.run(steps);
        for (const char* item : {"options", "playoptions", "choosecolor", "about", "savebrain"}) {
            const bool wanted = enabled.split(' ').contains(item);
            QVERIFY2(w.action(item)->isEnabled() == wanted && w.d().menus.enabled(item) == wanted, item);
        }
        QStringList checkedItems;
        for (QAction* a : w.mainWindow()->menuBar()->findChildren<QAction*>())
            if (a->isChecked() && w.d().menus.checked(a->objectName().toStdString()))
                checkedItems << a->objectName();
        checkedItems.sort();
        QCOMPARE(checkedItems.join(' '), checked);
        const auto& d = w.d();
        QCOMPARE(QList<int>({d.autoGenerate, d.drawMode, d.playMode}),
                 QList<int>({checked.contains("autogon"), checked.contains("drawboutput"), checked.contains("cmove")}));
    }

    void aboutPanel()
    {
        LiveWindow w;
        w.run("menu about");
        QVERIFY(w.control("Label6")->isVisible() && w.control("Picture1")->isVisible());
        // A press on the panel's own controls stays with them.
        w.run("click Picture1;click Label6");
        QVERIFY(w.d().aboutOpen());
        // The press that closes it does nothing else: no pick, no stroke.
        w.run("rpress 3 20");
        QVERIFY(!w.d().aboutOpen() && !w.control("Label6")->isVisible() && !w.control("Picture1")->isVisible());
        QCOMPARE(w.d().drawRed, 128);
        w.run("menu about;press 3 20");
        QCOMPARE(w.d().lastX, -1);
    }
};

QTEST_APPLESS_MAIN(MenusTest)
#include "menus_test.moc"
