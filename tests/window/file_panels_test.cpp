// The Save and Load panels in the real window, in a scratch working folder.
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QTemporaryDir>
#include <fstream>
#include <optional>

#include "window/names.h"

constexpr const char* kMessage = window::control::kFileMessage;
#include "live_window.h"

// Everything a load sets, and a failed load must leave as it was.
static auto snapshot(LiveWindow& w)
{
    auto& d = w.d();
    const brain::CellGrid& cells = *d.brain().cells();
    const window::Rgb c = d.pen().colour();
    const window::MoverPlace m = d.mover().place();
    QString menus;
    for (QAction* a : w.mainWindow()->menuBar()->findChildren<QAction*>())
        menus += QString::number(a->isEnabled() * 2 + a->isChecked());
    auto& s = w.surface();
    return std::tuple(QList<int>{d.brain().side(), d.view().layer(), d.view().origin().x, d.view().origin().y,
                                 d.brain().reallocationPending(), c.red, c.green, c.blue, d.mover().playing(), m.x, m.y,
                                 m.stepX, m.stepY},
                      std::vector(s.row(0), s.row(s.height() - 1) + s.width()),
                      std::vector(cells.pyramid(0), cells.pyramid(0) + 3 * cells.pyramidCells()), menus, w.caption());
}

class FilePanelsTest : public QObject {
    Q_OBJECT

    std::optional<QTemporaryDir> scratch;

private slots:
    void init()
    {
        scratch.emplace();
        QVERIFY(QDir::setCurrent(scratch->path()) && QDir().mkdir("sub"));
    }

    // A blank name is ignored; any other name that is refused keeps the
    // panel open with a message.
    void saveNames()
    {
        // Typed name; steps between typing and saving; the file written, empty for none.
        const std::tuple<QString, QString, QString> rows[] = {
            {"   ", "", ""},
            {" both ", "", " both .brain"},  // blanks kept
            {"twice.brain", "", "twice.brain.brain"},
            {"sub/dir", "", ""},
            // With the keyboard given to the surface, the brain grows under the open panel.
            {"grown", "key +", ""},
            {"grown", "key +;key Enter", "grown.brain"},
        };
        for (const auto& [typed, before, file] : rows) {
            init();  // a fresh folder for each row
            LiveWindow w(typed + ", " + before);
            w.run("key Enter;menu savebrain");
            w.box("Text1")->setText(typed);
            if (!before.isEmpty())
                w.view()->setFocus();  // as a click on the surface does
            w.run(before + ";click Command1");
            QCOMPARE(QDir().entryList({"*.brain"}, QDir::Files), file.isEmpty() ? QStringList() : QStringList{file});
            QVERIFY(QDir("sub").isEmpty());
            // Still open: the panel; with a message: only a name refused; the menus back: only when saved.
            QCOMPARE(QList<bool>({w.control("Text1")->isVisible(), w.control(kMessage)->isVisible(),
                                  w.d().menus().enabled("about")}),
                     QList<bool>({file.isEmpty(), file.isEmpty() && !typed.trimmed().isEmpty(), !file.isEmpty()}));
        }
    }

    // Saved at 30, loaded over a 40 brain viewing layer 2: the window is
    // laid out afresh and is as it was when saving.
    void roundTripThroughThePanels()
    {
        LiveWindow w;
        w.run("press 3 4;drag 9 4;drag 9 12;key Enter;key Enter");
        w.d().mover().setPlace({.x = 7, .y = 0, .stepX = 1, .stepY = -1});
        const auto saved = snapshot(w);
        w.run("menu savebrain");
        w.box("Text1")->setText("trip");
        w.run("click Command1;key +;key X");
        w.d().pen().setColour({1, 2, 3});
        std::ofstream("notes.txt") << "not a brain";
        w.run("menu loadbrain");
        auto* list = qobject_cast<QListWidget*>(w.control("File2"));
        QCOMPARE(list->count(), 1);  // read afresh, brains only
        list->setCurrentRow(0);
        QCOMPARE(w.box("Text2")->text(), "trip.brain");
        w.run("click Command3");
        QVERIFY(!w.control("Text2")->isVisible());
        QVERIFY(snapshot(w) == saved);
    }

    // Messages naming long or non-ASCII names, and long folders, keep the
    // label's usual font size: the names give way, shortened in the middle
    // on whole characters, and a save names the folder it was made in.
    void messagesKeepTheirSize()
    {
        const QString longName = "brain-" + QString(140, 'x') + "-end.brain";
        const QString wide = QString("Grüße-日本の脳-").repeated(6) + ".brain";
        const QString deep = "d-" + QString(90, 'y') + "/e-" + QString(90, 'z');
        // The folder to work in (made below the scratch folder), a file to
        // make there, and what happens in the panels; whether a name is shortened.
        const std::tuple<QString, QString, QString, bool> rows[] = {
            {"", longName, "load " + longName, true},
            {"", wide, "load " + wide, true},
            {deep, "", "load missing.brain", false},
            {"", "", "pending ÄÖÜäöüßéèêëïîôœùûÿçÆØÅæøåñ", true},  // wider than a line
            {deep, "", "save in the way", true},  // a folder named as the new file
        };
        for (const auto& [folder, file, what, shortened] : rows) {
            init();
            QVERIFY(folder.isEmpty() || (QDir().mkpath(folder) && QDir::setCurrent(folder)));
            if (!file.isEmpty())
                std::ofstream(QFile::encodeName(file).toStdString()) << "not a brain";
            LiveWindow w(what);
            const QString name = what.section(' ', 1);
            if (what.startsWith("load")) {
                w.run("menu loadbrain");
                w.host().setText("Text2", name.toStdString());
                w.run("click Command3");
            } else {
                w.run("key Enter;menu savebrain");
                w.host().setText("Text1", (what.startsWith("pending") ? name : QString(30, 'n')).toStdString());
                if (what.startsWith("pending"))
                    w.d().resizeTo(40);
                else
                    QVERIFY(QDir().mkdir(QString(30, 'n') + ".brain"));
                w.run("click Command1");
            }
            auto* label = qobject_cast<QLabel*>(w.control(kMessage));
            const QString text = label->text();
            QVERIFY(label->isVisible() && text.startsWith("Cannot"));
            label->grab();  // painted, and so fitted, as on the screen
            const QRect box = label->contentsRect();
            QCOMPARE(QFontInfo(label->font()).pixelSize(), 13);
            const int flags = int(label->alignment()) | Qt::TextWordWrap;
            QVERIFY2(box.contains(QFontMetrics(label->font()).boundingRect(box, flags, text)), qPrintable(text));
            QCOMPARE(text.contains(QChar(0x2026)), shortened);
            QVERIFY(!text.contains(QChar::ReplacementCharacter));
            if (what.startsWith("save"))
                QVERIFY2(text.contains("\"" + scratch->path().left(8)) && !text.contains("\".\""), qPrintable(text));
            if (what.startsWith("pending"))
                QVERIFY(text.contains("press Enter on the grid"));
        }
    }

    // A large folder fills the list in steps after the panel opens; a new
    // opening meanwhile starts afresh, so no name is lost or listed twice.
    void largeFolderFillsInSteps()
    {
        constexpr int brains = 30000;
        for (int i = 0; i < brains; ++i)
            std::ofstream(QString("b%1.brain").arg(i, 5, 10, QChar('0')).toStdString());
        QVERIFY(QDir().mkdir("folder.brain"));
        std::ofstream("other.txt");
        LiveWindow w;
        auto* list = qobject_cast<QListWidget*>(w.control("File2"));
        w.run("menu loadbrain");
        QVERIFY(list->count() < brains);
        w.run("click Command4;menu loadbrain");
        for (int turns = 0; list->count() < brains && turns < 1000; ++turns)
            w.settle(1);
        QCOMPARE(list->count(), brains);
        for (int i = 0; i < brains; i += 997)
            QCOMPARE(list->item(i)->text(), QString("b%1.brain").arg(i, 5, 10, QChar('0')));
        w.settle(5);
        QCOMPARE(list->count(), brains);
    }

    // A file that ends before its first cell.
    void failedLoadChangesNothing()
    {
        std::ofstream("bad.brain") << "10,10,10,128,128,128,0,0,1,1\r\n";
        LiveWindow w;
        w.run("press 3 4;drag 9 4;key Enter;key +;menu loadbrain");
        qobject_cast<QListWidget*>(w.control("File2"))->setCurrentRow(0);
        const auto before = snapshot(w);
        w.run("click Command3");
        QVERIFY(w.control("Text2")->isVisible());
        QVERIFY(w.host().text(kMessage).find("bad.brain") != std::string::npos);
        QVERIFY(snapshot(w) == before);
        // Cancel closes the panel, the message with it.
        w.run("click Command4");
        QVERIFY(!w.control(kMessage)->isVisible());
    }
};

QTEST_APPLESS_MAIN(FilePanelsTest)
#include "file_panels_test.moc"
