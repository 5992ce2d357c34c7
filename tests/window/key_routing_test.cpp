// Where the keys go, driven as a user drives the window: through the menu
// bar and its menus, into the panels, keys held down. Run offscreen and on
// an X server (tests/app), where menus are windows of their own.
#include <QDir>
#include <QListWidget>
#include <QMenu>
#include <QTemporaryDir>
#include <optional>

#include "live_window.h"

namespace {

QMainWindow* programWindow()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* m = qobject_cast<QMainWindow*>(w); m && m->isVisible())
            return m;
    return nullptr;
}

// Steps separated by ';', each as a user does it: "open NAME" clicks a
// menu bar entry, "item NAME" an entry of the open menu, "away" the surface
// beside the grid; "key K" presses and releases a key, "type TEXT" types,
// "hold K" holds a key down through three auto-repeats; "pick NAME" selects
// a name in the open Load panel's list.
void act(LiveWindow& w, const QString& steps)
{
    QMainWindow* win = programWindow();
    QWindow* handle = win->windowHandle();
    QMenuBar* bar = win->menuBar();
    const auto keyOf = [](const QString& k) { return QKeySequence(k, QKeySequence::PortableText)[0].key(); };
    for (const QString& step : steps.split(';', Qt::SkipEmptyParts)) {
        const QString verb = step.section(' ', 0, 0), arg = step.section(' ', 1);
        if (verb == "open") {
            QTest::mouseClick(handle, Qt::LeftButton, {}, bar->mapTo(win, bar->actionGeometry(w.action(arg)).center()));
        } else if (verb == "item") {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            QVERIFY2(menu, qPrintable("no menu open for " + step));
            QTest::mouseClick(menu->windowHandle(), Qt::LeftButton, {}, menu->actionGeometry(w.action(arg)).center());
        } else if (verb == "away") {
            QTest::mouseClick(handle, Qt::LeftButton, {}, w.view()->mapTo(win, QPoint(500, 300)));
        } else if (verb == "key") {
            QTest::keyClick(handle, keyOf(arg));
        } else if (verb == "type") {
            for (QChar c : arg)
                QTest::keyClick(handle, c.toLatin1());
        } else if (verb == "hold") {
            const Qt::Key key = keyOf(arg);
            QTest::keyPress(handle, key);
            w.settle(1);
            for (int i = 0; i < 3; ++i)  // as X delivers them: a release and a press, both marked as repeats
                for (QEvent::Type type : {QEvent::KeyRelease, QEvent::KeyPress}) {
                    QKeyEvent repeat(type, key, Qt::NoModifier, {}, true);
                    QApplication::sendEvent(handle, &repeat);
                }
            QTest::keyRelease(handle, key);
        } else if (verb == "pick") {
            auto* list = qobject_cast<QListWidget*>(w.control("File2"));
            list->setCurrentItem(list->findItems(arg, Qt::MatchExactly).value(0));
        }
        w.settle(1);
    }
}

// Whether a menu is open or the menu bar shows an entry highlighted.
bool menuShown()
{
    return QApplication::activePopupWidget() || programWindow()->menuBar()->activeAction();
}

}  // namespace

class KeyRoutingTest : public QObject {
    Q_OBJECT

    std::optional<QTemporaryDir> scratch;

private slots:
    void init()
    {
        scratch.emplace();
        QVERIFY(QDir::setCurrent(scratch->path()));
    }

    void keysReachTheRightPlace()
    {
        const QString saved = "key Enter;open options;item savebrain;type a;key Enter";  // a.brain, panel closed
        // Steps before counting; steps; the key codes that reached the key
        // commands; the state after.
        const std::tuple<QString, QString, QString, QString> rows[] = {
            // However a menu closes, the next keys are key commands.
            {"", "open options;key Escape;key =;key Enter", "187 13", "closed, side 40, red 128, files "},
            {"", "open drawoptions;key Escape;key Escape;key Q", "27 81", "closed, side 30, red 129, files "},
            {"", "open playoptions;away;key Q", "81", "closed, side 30, red 129, files "},
            {"", "open options;open options;key Q", "81", "closed, side 30, red 129, files "},
            {"", "open playoptions;item playoff;key Q", "81", "closed, side 30, red 129, files "},
            {"", "open about;key Q", "81", "About '', side 30, red 129, files "},
            // Alt alone is a key like any other and leaves the menus shut.
            {"", "key Alt;key Q;key Enter", "18 81 13", "closed, side 30, red 129, files "},
            {"", "key Alt;key Alt;key -", "18 18 189", "closed, side 20, red 128, files "},
            // A panel opened from its menu takes what is typed, replacing
            // what its box held.
            {"key Enter", "open options;item savebrain;type my-brain", "", "Save 'my-brain', side 30, red 128, files "},
            {saved, "open options;item savebrain;type b-x", "", "Save 'b-x', side 30, red 128, files a.brain"},
            {"", "open options;item loadbrain;type x-a", "", "Load '', side 30, red 128, files "},
            {"", "open drawoptions;item choosecolor;type 20x", "", "Colour '20x', side 30, red 128, files "},
            // A key held in a panel that closes it stops with the panel.
            {"key Enter", "open options;item savebrain;type held;hold Enter", "",
             "closed, side 30, red 128, files held.brain"},
            {saved + ";key Q", "open options;item loadbrain;pick a.brain;hold Enter;key Q", "81",
             "closed, side 30, red 129, files a.brain"},
            {"", "open drawoptions;item choosecolor;type 200;hold Enter;hold Q", "81 81 81 81",
             "closed, side 30, red 204, files "},
            {"", "open drawoptions;item choosecolor;hold Escape;key Q", "81", "closed, side 30, red 129, files "},
            // Escape closes About and is no key command.
            {"", "open about;key Escape;key Q", "81", "closed, side 30, red 129, files "},
        };
        for (const auto& [before, steps, codes, after] : rows) {
            for (const QString& f : QDir().entryList({"*.brain"}, QDir::Files))
                QFile::remove(f);
            LiveWindow w(before + " / " + steps);
            QVERIFY(QTest::qWaitForWindowActive(programWindow()));
            act(w, before);
            const auto seen = w.watchKeys();
            act(w, steps);
            QCOMPARE(seen->join(' '), codes);
            QCOMPARE(w.panelState() + (menuShown() ? ", menu" : ""), after);
        }
    }
};

QTEST_APPLESS_MAIN(KeyRoutingTest)
#include "key_routing_test.moc"
