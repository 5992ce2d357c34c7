// The menus as the mode commands, the panels, keys and play change them; the
// About panel and the right-button pick.
#include "live_window.h"

class MenusTest : public QObject {
    Q_OBJECT

private slots:
    void states()
    {
        const QString all = "options playoptions choosecolor about", start = "autogoff drawchosen playoff styletwo";
        const QString played = "autogoff cmove drawchosen styletwo", higher = "options choosecolor about";
        // Steps; which of options, playoptions, choosecolor, about and
        // savebrain are enabled; every checked item, in name order.
        const std::tuple<const char*, QString, QString> rows[] = {
            // Each mode group is a radio group; each command sets its mode.
            {"menu autogon;menu drawboutput;menu styleone;menu stylethree;menu autogoff;menu waqs", all,
             "autogoff drawboutput playoff stylethree"},
            {"menu about", "about", start},
            {"menu cmove;menu about;press", "playoptions about savebrain", played},
            {"key X;menu about;press", higher, start},
            {"menu about;key F1", "playoptions about", start},
            {"menu choosecolor", "", start},
            {"menu choosecolor;click Command6", all, start},
            {"key X;menu choosecolor;click Command5", higher, start},
            // A maze step generates, so play enables "Save Brain".
            {"menu cmove", "playoptions about savebrain", played},
            {"menu cmove;menu playoff", all + " savebrain", start},
            {"menu cmove;key X", higher + " savebrain", start},
        };
        for (const auto& [steps, enabled, checked] : rows) {
            LiveWindow w(steps);
            w.run(steps);
            QStringList on, ticked;
            for (const char* item : {"options", "playoptions", "choosecolor", "about", "savebrain"})
                if (w.action(item)->isEnabled() && w.d().menus().enabled(item))
                    on << item;
            for (QAction* a : w.mainWindow()->menuBar()->findChildren<QAction*>())
                if (a->isChecked() && w.d().menus().checked(a->objectName().toStdString()))
                    ticked << a->objectName();
            ticked.sort();
            QCOMPARE(steps + (": " + on.join(' ') + " / " + ticked.join(' ')),
                     steps + (": " + enabled + " / " + checked));
        }
    }

    void aboutPanelAndPick()
    {
        LiveWindow w;
        // A press on the panel's own controls stays with them.
        w.run("menu about;click Picture1;click Label6");
        const auto aboutOpen = [&w] { return w.d().menus().panelOpen(window::Panel::About); };
        QVERIFY(aboutOpen() && w.control("Label6")->isVisible() && w.control("Picture1")->isVisible());
        // The press that closes it does nothing else: no pick, no stroke.
        w.d().canvases().setPoint(w.cell(3, 20).x(), w.cell(3, 20).y(), 7, 8, 9);
        w.run("rpress 3 20");
        QVERIFY(!aboutOpen() && !w.control("Label6")->isVisible() && !w.control("Picture1")->isVisible());
        QCOMPARE(w.d().pen().colour().red, 128);
        w.run("menu about;press 3 20");
        QVERIFY(!w.d().strokePoint());
        // The pick reads the canvases (the window there is black), and the swatch follows.
        w.run("rpress 3 20");
        QCOMPARE(w.colour(), platform::rgb(7, 8, 9));
        QCOMPARE(w.surface().point(60, 206), platform::rgb(7, 8, 9));
    }
};

QTEST_APPLESS_MAIN(MenusTest)
#include "menus_test.moc"
