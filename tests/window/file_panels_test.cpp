// The Save and Load panels in the real window, in a scratch working folder.
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QTemporaryDir>
#include <optional>

#include "files/panels.h"
#include "live_window.h"

namespace {

// Everything a load sets, and a failed load must leave as it was.
auto snapshot(LiveWindow& w)
{
    auto& d = w.d();
    std::vector<platform::Colour> pixels;
    for (int y = 0; y < w.surface().height(); ++y)
        pixels.insert(pixels.end(), w.surface().row(y), w.surface().row(y) + w.surface().width());
    QString menus;
    for (const char* m : {"options", "playoptions", "about", "choosecolor", "savebrain", "cmove", "playoff"})
        menus += QString("%1%2 ").arg(d.menus.enabled(m)).arg(d.menus.checked(m));
    return std::tuple(QList<int>{d.dimX, d.dimY, d.dimZ, d.viewLayer, d.originX, d.originY, d.needsRealloc, d.drawRed,
                                 d.drawGreen, d.drawBlue, d.playMode, d.moverX, d.moverY, d.moverStepX, d.moverStepY},
                      pixels, std::vector(d.cells->plane(0), d.cells->plane(0) + 3 * d.cells->planeBytes()), menus,
                      w.caption());
}

}  // namespace

class FilePanelsTest : public QObject {
    Q_OBJECT

    std::optional<QTemporaryDir> scratch;

private slots:
    void init()
    {
        scratch.emplace();
        QVERIFY(QDir::setCurrent(scratch->path()));
    }

    // A blank name is ignored; any other name that is refused keeps the
    // panel open with a message.
    void saveNames_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("before");  // steps between typing and saving
        QTest::addColumn<QString>("file");    // empty: nothing written
        QTest::newRow("empty") << "" << "" << "";
        QTest::newRow("blanks only") << "   " << "" << "";
        QTest::newRow("plain") << "brainy" << "" << "brainy.brain";
        QTest::newRow("leading blank kept") << " lead" << "" << " lead.brain";
        QTest::newRow("trailing blank kept") << "trail " << "" << "trail .brain";
        QTest::newRow("extension typed") << "twice.brain" << "" << "twice.brain.brain";
        QTest::newRow("path refused") << "sub/dir" << "" << "";
        // The surface has the focus: the brain grows under the open panel.
        QTest::newRow("size change pending") << "grown" << "key +" << "";
        QTest::newRow("size change generated") << "grown" << "key +;key Enter" << "grown.brain";
    }
    void saveNames()
    {
        QFETCH(QString, typed);
        QFETCH(QString, before);
        QFETCH(QString, file);
        QDir().mkdir("sub");
        LiveWindow w;
        w.run("key Enter;menu savebrain");
        w.box("Text1")->setText(typed);
        w.run(before + ";button Command1");
        QCOMPARE(QDir().entryList({"*.brain"}, QDir::Files), file.isEmpty() ? QStringList() : QStringList{file});
        QVERIFY(QDir("sub").isEmpty());
        QCOMPARE(w.control("Text1")->isVisible(), file.isEmpty());
        QCOMPARE(w.control(files::kMessage)->isVisible(), file.isEmpty() && !typed.trimmed().isEmpty());
        QCOMPARE(w.d().menus.enabled("about"), !file.isEmpty());
    }

    // Saved at 30, loaded over a 40 brain viewing layer 2: the window is
    // laid out afresh and is as it was when saving.
    void roundTripThroughThePanels()
    {
        LiveWindow w;
        w.run("press 3 4;drag 9 4;drag 9 12;key Enter;key Enter");
        std::tie(w.d().moverX, w.d().moverStepY) = std::pair(7, -1);
        const auto saved = snapshot(w);
        w.run("menu savebrain");
        w.box("Text1")->setText("trip");
        w.run("button Command1;key +;key X");
        w.d().drawRed = 1;
        QVERIFY(QFile("notes.txt").open(QIODevice::WriteOnly));
        w.run("menu loadbrain");
        auto* list = qobject_cast<QListWidget*>(w.control("File2"));
        QCOMPARE(list->count(), 1);  // read afresh, brains only
        list->setCurrentRow(0);
        QCOMPARE(w.box("Text2")->text(), "trip.brain");
        w.run("button Command3");
        QVERIFY(!w.control("Text2")->isVisible());
        QVERIFY(snapshot(w) == saved);
    }

    void failedLoadChangesNothing()
    {
        for (const char* content : {"ten,10,10,128,128,128,0,0,1,1\r\n", "10,10,10,128,128,128,0,0,1,1\r\n",
                                    "99999,99999,99999,1,1,1,0,0,1,1\r\n0\r\n"}) {
            QFile f("bad.brain");
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write(content) > 0);
            f.close();
            LiveWindow w;
            w.run("press 3 4;drag 9 4;key Enter;key +;menu loadbrain");
            qobject_cast<QListWidget*>(w.control("File2"))->setCurrentRow(0);
            const auto before = snapshot(w);
            w.run("button Command3");
            QVERIFY(w.control("Text2")->isVisible());
            QVERIFY(w.host().text(files::kMessage).find("bad.brain") != std::string::npos);
            QVERIFY2(snapshot(w) == before, content);
            // Cancel closes the panel, the message with it, and keeps the name.
            w.run("button Command4");
            QVERIFY(!w.control(files::kMessage)->isVisible());
            w.run("menu loadbrain");
            QCOMPARE(w.box("Text2")->text(), "bad.brain");
        }
    }
};

QTEST_APPLESS_MAIN(FilePanelsTest)
#include "file_panels_test.moc"
