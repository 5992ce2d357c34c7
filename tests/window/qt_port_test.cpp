// How the port shows the program: the menu tree as the user sees it, every
// caption whole in its box, the keyboard inside the panels (Tab, Enter,
// Escape), in a scratch working folder.
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QStyleOptionButton>
#include <QTemporaryDir>
#include <optional>

#include "files/panels.h"
#include "live_window.h"

namespace {

// One line per entry: nesting, caption, name, then "box" for a check box,
// "ticked", "off" when disabled and "keys" for a shortcut.
void describe(const QList<QAction*>& actions, int depth, QStringList& out)
{
    for (QAction* a : actions) {
        QString line = QString(depth * 2, ' ') + a->text() + " [" + a->objectName() + "]";
        for (const auto& [flag, word] : {std::pair(a->isCheckable(), " box"), std::pair(a->isChecked(), " ticked"),
                                         std::pair(!a->isEnabled(), " off"),
                                         std::pair(!a->shortcut().isEmpty(), " keys")})
            line += flag ? word : "";
        out << line;
        if (a->menu())
            describe(a->menu()->actions(), depth + 1, out);
    }
}

// Whether a control's text shows whole, measured as Qt lays it out.
bool showsWhole(QWidget* c)
{
    c->grab();  // paints it, as the screen would
    const QFontMetrics fm(c->font());
    if (QFontInfo(c->font()).pixelSize() < 7)
        return false;
    if (auto* b = qobject_cast<QPushButton*>(c)) {
        // The caption's ink, found against the bare button, keeps clear of
        // the edges of the room it is drawn in: a cut caption runs into them.
        const QString text = b->text();
        const QImage with = b->grab().toImage();
        b->setText({});
        const QImage without = b->grab().toImage();
        b->setText(text);
        QRect ink;
        for (int y = 0; y < with.height(); ++y)
            for (int x = 0; x < with.width(); ++x)
                if (with.pixel(x, y) != without.pixel(x, y))
                    ink |= QRect(x, y, 1, 1);
        QStyleOptionButton opt;
        opt.initFrom(b);
        const QRect room = b->style()->subElementRect(QStyle::SE_PushButtonContents, &opt, b);
        return room.adjusted(1, 1, -1, -1).contains(ink);
    }
    if (auto* l = qobject_cast<QLabel*>(c)) {
        const QRect box = l->contentsRect();
        return box.contains(fm.boundingRect(box, int(l->alignment()) | Qt::TextWordWrap, l->text()));
    }
    // A text box scrolls only when its text is wider than its room: the
    // cursor then moves less than the text's width from start to end.
    auto* e = qobject_cast<QLineEdit*>(c);
    const auto cursorX = [e](int at) {
        e->setCursorPosition(at);
        e->grab();
        return e->inputMethodQuery(Qt::ImCursorRectangle).toRect().x();
    };
    return e->minimumSizeHint().height() <= e->height() &&
           cursorX(int(e->text().size())) - cursorX(0) == fm.horizontalAdvance(e->text());
}

}  // namespace

class QtPortTest : public QObject {
    Q_OBJECT

    std::optional<QTemporaryDir> scratch;

private slots:
    void init()
    {
        scratch.emplace();
        QVERIFY(QDir::setCurrent(scratch->path()));
    }

    // The menu tree as the user sees it at start: only the modes and the play
    // state carry check boxes (the marks moving is the menus test's).
    void menuTree()
    {
        const QStringList atStart = {
            "Options [options]",
            "  Save Brain [savebrain] off",
            "  Load Brain [loadbrain]",
            "  Quit [quit]",
            "Draw options [drawoptions]",
            "  Auto-Generating [ssksdm]",
            "    On [autogon] box",
            "    Off [autogoff] box ticked",
            "  Draw-Mode [sdfsdssf]",
            "    Draw chosen color [drawchosen] box ticked",
            "    Draw brain output [drawboutput] box",
            "    Choose style [choosestyle]",
            "      style one [styleone] box",
            "      style two [styletwo] box ticked",
            "      style three [stylethree] box",
            "  Choose draw color [choosecolor]",
            "Play options [playoptions]",
            "  Computer moves in maze [cmove] box",
            "  Playmode off [playoff] box ticked",
            "Key help [keyhelp]",
            "  Changing brain size [dsfdfdsd]",
            "    Press \"+ or -\" [waqs]",
            "  Viewing higher layer [dsfsfd]",
            "    Press \"X\" [sfsdf]",
            "  Viewing lower layer [sdfsdf]",
            "    Press \"Z\" [dsfsdf]",
            "  Creating generation [esfdsds]",
            "    Press enter [dslsksj]",
            "  Changing red value [fsdsdsd]",
            "    Hold down \"Q\" or \"A\" [egwsfw]",
            "  Changing green value [dfsdssdes]",
            "    Hold down \"W\" or \"S\" [sdsdjss]",
            "  Changing blue value [dcssds]",
            "    Hold down \"E\" or \"D\" [sskskssmsm]",
            "  Positioning maze-mover [dfsgdsff]",
            "    Hold down Left mouse button and press \"P\" [ssjsddj]",
            "About [about]",
        };
        LiveWindow w;
        QStringList shown;
        describe(w.mainWindow()->menuBar()->actions(), 0, shown);
        QCOMPARE(shown, atStart);
    }

    // Every caption, and the widest content of a short text box, shows whole
    // in its designed box, also a text set after start-up.
    void textsFitTheirBoxes()
    {
        LiveWindow w;
        // Control, its text, and whether the test gives it that text or the
        // program has (and must still read it back whole).
        const std::tuple<const char*, QString, bool> rows[] = {
            {"Label1", "Save brain as:", false}, {"Label2", "Name of brain to load:", false},
            {"Label3", "Amount of red (0-255):", false}, {"Label4", "Amount of green (0-255):", false},
            {"Label5", "Amount of blue (0-255)", false}, {"Command1", "Done", false}, {"Command2", "Cancel", false},
            {"Command3", "Done", false}, {"Command4", "Cancel", false}, {"Command5", "Done", false},
            {"Command6", "Cancel", false}, {"Command7", "Set to middle value", false},
            {"Command8", "Set to zero", false}, {"Label6", QString::fromStdString(w.host().text("Label6")), false},
            {"Text3", "255", true}, {"Text4", "128", true}, {"Text5", "0", true},
            {"Label6", "Twice as long: " + QString::fromStdString(w.host().text("Label6")).repeated(2), true},
            {window::control::kFileMessage, "Could not read \"a rather long name.brain\": the file ends too early.", true},
        };
        for (const auto& [name, text, set] : rows) {
            if (set)
                w.host().setText(name, text.toStdString());
            QCOMPARE(QString::fromStdString(w.host().text(name)), text);
            QVERIFY2(showsWhole(w.control(name)), name);
        }
    }

    // Tab walks an open panel's controls in reading order and round again,
    // Shift+Tab back; nothing gets filled or selected on the way, and no key
    // pressed on a control reaches the key commands.
    void tabWalksThePanel()
    {
        const std::tuple<QString, QString> rows[] = {
            {"key Enter;menu savebrain;click Text1", "Text1 File1 Command1 Command2 Text1"},
            {"key Enter;menu savebrain;click Text1;key A;key Enter;menu loadbrain;click Text2",
             "Text2 File2 Command3 Command4 Text2"},
            {"menu choosecolor;click Text3", "Text3 Command7 Text4 Command8 Text5 Command5 Command6 Text3"},
            {"menu about;click Picture1", "Picture1 Picture1"},  // a press gives the photograph the keyboard
        };
        for (const auto& [open, order] : rows) {
            LiveWindow w(open);
            w.run(open);
            const auto keys = w.watchKeys();
            const QString before = w.panelState();
            const auto focused = [] {
                const QWidget* f = QApplication::focusWidget();
                return f ? f->objectName() : "nothing";
            };
            QStringList seen = {focused()};
            for (qsizetype i = 1; i < order.count(' ') + 1; ++i) {
                w.run("key X;key Q;key Tab");  // letters reach a box as text, elsewhere nothing
                seen << focused();
            }
            QCOMPARE(seen.join(' '), order);
            w.run("key Shift+Tab");
            QCOMPARE(focused(), order.section(' ', -2, -2));
            QCOMPARE(keys->join(' '), "");
            QCOMPARE(w.d().view().layer(), 0);
            if (open.contains("loadbrain")) {
                QCOMPARE(w.panelState(), before);  // the name box stays empty
                QVERIFY(qobject_cast<QListWidget*>(w.control("File2"))->selectedItems().isEmpty());
            }
        }
    }

    // Enter in a panel does what its "Done" does, and on a focused button
    // clicks that button; Escape does what "Cancel" does, or closes About.
    void enterAndEscape()
    {
        const QString save = "key Enter;menu savebrain;click Text1";
        // The Load rows start from a.brain saved with red 129, then red 130.
        const QString load = "key Enter;key Q;menu savebrain;click Text1;key A;key Enter;key Q;menu loadbrain";
        const std::tuple<QString, QString, QString> rows[] = {
            {save, "key A;key Enter", "closed, side 30, red 128, files a.brain"},
            {save, "key Enter", "Save '', side 30, red 128, files "},  // a blank name: Done does nothing
            {save, "key A;key Tab;key Tab;key Enter", "closed, side 30, red 128, files a.brain"},  // Done's own button
            {save, "key A;key Tab;key Escape", "closed, side 30, red 128, files "},
            {load, "click Text2;key Tab;key Space;key Enter", "closed, side 30, red 129, files a.brain"},
            {load, "click Text2;key Tab;key Space;key Shift+Tab;key Enter", "closed, side 30, red 129, files a.brain"},
            {load, "click Text2;key Tab;key Enter", "Load '', side 30, red 130, files a.brain"},  // nothing chosen yet
            {load, "click Text2;key Escape", "closed, side 30, red 130, files a.brain"},
            {"menu choosecolor", "click Command8;key Tab;key Enter", "closed, side 30, red 0, files "},
            {"menu choosecolor", "click Command8;key Tab;key Tab;key Enter", "closed, side 30, red 0, files "},
            {"menu choosecolor", "click Command8;key Shift+Tab;key Shift+Tab;key Enter",
             "Colour '128', side 30, red 128, files "},
            {"menu choosecolor", "click Command8;key Escape", "closed, side 30, red 128, files "},
            {"menu about", "click Picture1;key Enter", "About '', side 30, red 128, files "},
            {"menu about", "click Picture1;key Escape", "closed, side 30, red 128, files "},
        };
        for (const auto& [open, steps, after] : rows) {
            for (const QString& f : QDir().entryList({"*.brain"}, QDir::Files))
                QFile::remove(f);
            LiveWindow w(open + " / " + steps);
            w.run(open);
            const auto keys = w.watchKeys();
            w.run(steps);
            QCOMPARE(w.panelState(), after);
            QCOMPARE(keys->join(' '), "");
            QCOMPARE(w.d().menus().panelOpen(window::Panel::About), after.startsWith("About"));
        }
    }
};

QTEST_APPLESS_MAIN(QtPortTest)
#include "qt_port_test.moc"
