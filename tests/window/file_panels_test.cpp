// The Save and Load panels in the real window, in a scratch working folder.
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTest>

#include "brain/cell_grid.h"
#include "files/panels.h"
#include "live_window.h"

using testing_window::LiveWindow;

namespace {

// Everything a failed load must leave as it was.
struct Snapshot {
    std::vector<int> fields;
    std::vector<platform::Colour> pixels;
    std::vector<std::uint8_t> cells;
    std::vector<bool> menus;
    std::string caption;

    explicit Snapshot(LiveWindow& w)
    {
        auto& d = w.d();
        fields = {d.dimX, d.dimY, d.dimZ, d.viewLayer, d.originX, d.originY, d.needsRealloc, d.drawRed,
                  d.drawGreen, d.drawBlue, d.playMode, d.moverX, d.moverY, d.moverStepX, d.moverStepY};
        for (int y = 0; y < w.surface().height(); ++y)
            for (int x = 0; x < w.surface().width(); ++x)
                pixels.push_back(w.surface().point(x, y));
        for (int c = 0; c < 3; ++c)
            cells.insert(cells.end(), d.cells->plane(c), d.cells->plane(c) + d.cells->planeBytes());
        for (const char* m : {"options", "playoptions", "about", "choosecolor", "savebrain", "cmove", "playoff"})
            menus.insert(menus.end(), {d.menus.enabled(m), d.menus.checked(m)});
        caption = w.host().caption();
    }
    bool operator==(const Snapshot&) const = default;
};

QStringList brainFiles()
{
    return QDir::current().entryList({"*.brain"}, QDir::Files, QDir::Name);
}

void typeName(LiveWindow& w, const char* box, const QString& text)
{
    qobject_cast<QLineEdit*>(w.control(box))->setText(text);
}

}  // namespace

class FilePanelsTest : public QObject {
    Q_OBJECT

    QTemporaryDir scratch;
    QString home;

private slots:
    void initTestCase()
    {
        home = QDir::currentPath();
        QVERIFY(scratch.isValid());
    }
    void init()
    {
        QDir(scratch.path()).removeRecursively();
        QDir().mkpath(scratch.path());
        QDir::setCurrent(scratch.path());
    }
    void cleanupTestCase() { QDir::setCurrent(home); }

    void saveNames_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("file");  // empty: nothing written
        QTest::addColumn<bool>("stayOpen");
        QTest::addColumn<bool>("message");
        QTest::newRow("empty") << "" << "" << true << false;
        QTest::newRow("blanks only") << "   " << "" << true << false;
        QTest::newRow("plain") << "brainy" << "brainy.brain" << false << false;
        QTest::newRow("leading blank kept") << " lead" << " lead.brain" << false << false;
        QTest::newRow("trailing blank kept") << "trail " << "trail .brain" << false << false;
        QTest::newRow("extension typed") << "twice.brain" << "twice.brain.brain" << false << false;
        QTest::newRow("path refused") << "sub/dir" << "" << true << true;
        QTest::newRow("parent refused") << "../up" << "" << true << true;
    }
    void saveNames()
    {
        QFETCH(QString, typed);
        QFETCH(QString, file);
        QFETCH(bool, stayOpen);
        QFETCH(bool, message);
        QDir().mkdir("sub");
        LiveWindow w;
        w.run("key Enter; menu savebrain");
        QVERIFY(w.control("Text1")->isVisible());
        typeName(w, "Text1", typed);
        w.click("Command1");
        QCOMPARE(brainFiles(), file.isEmpty() ? QStringList() : QStringList{file});
        QVERIFY(QDir("sub").entryList(QDir::Files).isEmpty());
        QVERIFY(!QFile::exists("../up.brain"));
        QCOMPARE(w.control("Text1")->isVisible(), stayOpen);
        QCOMPARE(w.control(files::kMessage)->isVisible(), message);
        QCOMPARE(w.d().menus.enabled("options"), !stayOpen);
    }

    void saveWhileResizePendingIsRefused()
    {
        LiveWindow w;
        w.run("key Enter; menu savebrain");
        typeName(w, "Text1", "grown");
        w.key(Qt::Key_Plus);  // the surface has the focus: the brain grows under the open panel
        QCOMPARE(w.d().dimX, 40);
        w.click("Command1");
        QVERIFY(brainFiles().isEmpty());
        QVERIFY(w.control("Text1")->isVisible());
        QVERIFY(w.host().text(files::kMessage).find("enerate") != std::string::npos);
        // Generating at the new size lets the same save through.
        w.key(Qt::Key_Return);
        w.click("Command1");
        QCOMPARE(brainFiles(), QStringList{"grown.brain"});
        QVERIFY(!w.control(files::kMessage)->isVisible());
    }

    void roundTripThroughThePanels()
    {
        LiveWindow w;
        w.run("press 3 4; drag 9 4; drag 9 12; key Enter; key Enter");
        w.d().moverX = 7;
        w.d().moverStepY = -1;
        const Snapshot saved(w);
        const auto savedColour = std::tuple(w.d().drawRed, w.d().drawGreen, w.d().drawBlue);
        w.menu("savebrain");
        typeName(w, "Text1", "trip");
        w.click("Command1");

        // Change everything a load restores, then load.
        w.run("key Plus; key X");
        w.d().drawRed = 1;
        w.menu("loadbrain");
        auto* list = qobject_cast<QListWidget*>(w.control("File2"));
        QCOMPARE(list->count(), 1);
        list->setCurrentRow(0);
        QCOMPARE(QString::fromStdString(w.host().text("Text2")), QString("trip.brain"));
        w.click("Command3");

        auto& d = w.d();
        QCOMPARE(d.dimX, 30);
        QCOMPARE(d.moverX, 7);
        QCOMPARE(d.moverStepY, -1);
        QCOMPARE(std::tuple(d.drawRed, d.drawGreen, d.drawBlue), savedColour);
        QCOMPARE(d.needsRealloc, 0);
        QVERIFY(d.menus.enabled("savebrain") && d.menus.enabled("playoptions") && d.menus.enabled("options"));
        QVERIFY(!w.control("Text2")->isVisible());
        QCOMPARE(Snapshot(w).cells, saved.cells);
        QCOMPARE(Snapshot(w).pixels, saved.pixels);  // input layer shown, grid and swatch where they were
        QCOMPARE(w.host().caption(), saved.caption);
    }

    void loadOfSmallerBrainRelaysTheWindow()
    {
        {
            LiveWindow w;
            w.run("key Minus; key Enter; menu savebrain");
            typeName(w, "Text1", "twenty");
            w.click("Command1");
        }
        LiveWindow w;
        w.run("key X; key X; menu loadbrain");
        qobject_cast<QListWidget*>(w.control("File2"))->setCurrentRow(0);
        w.click("Command3");
        QCOMPARE(w.d().originX, 287 - 10);
        QCOMPARE(w.d().viewLayer, 0);
        QCOMPARE(QString::fromStdString(w.host().caption()),
                 QString("Cerebrix - By Quillon (Age 26) / Size of brain: 2870 / Drawing on input layer"));
        QCOMPARE(w.surface().point(276, 196), platform::rgb(255, 255, 255));
        QCOMPARE(w.surface().point(277, 196), 0u);
    }

    void failedLoadChangesNothing_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("header only") << QByteArray("10,10,10,128,128,128,0,0,1,1\r\n");
        QTest::newRow("sizes differ") << QByteArray("10,10,9,128,128,128,0,0,1,1\r\n");
        QTest::newRow("letters") << QByteArray("ten,10,10,128,128,128,0,0,1,1\r\n");
        QTest::newRow("colour out of range") << QByteArray("10,10,10,300,128,128,0,0,1,1\r\n");
        QTest::newRow("huge size") << QByteArray("99999,99999,99999,1,1,1,0,0,1,1\r\n0\r\n");
        QTest::newRow("empty") << QByteArray();
    }
    void failedLoadChangesNothing()
    {
        QFETCH(QByteArray, content);
        QFile f("bad.brain");
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
        f.close();
        LiveWindow w;
        w.run("press 3 4; drag 9 4; key Enter; key Plus");
        w.menu("loadbrain");
        const Snapshot before(w);
        qobject_cast<QListWidget*>(w.control("File2"))->setCurrentRow(0);
        w.click("Command3");
        QVERIFY(w.control("Text2")->isVisible());
        QVERIFY(w.control(files::kMessage)->isVisible());
        QVERIFY(w.host().text(files::kMessage).find("bad.brain") != std::string::npos);
        QVERIFY(Snapshot(w) == before);
        // Cancel closes the panel, the message with it, and keeps the name.
        w.click("Command4");
        QVERIFY(!w.control(files::kMessage)->isVisible());
        w.menu("loadbrain");
        QCOMPARE(QString::fromStdString(w.host().text("Text2")), QString("bad.brain"));
    }

    void listsAreReadOnEveryOpening()
    {
        LiveWindow w;
        w.menu("loadbrain");
        QCOMPARE(qobject_cast<QListWidget*>(w.control("File2"))->count(), 0);
        w.click("Command4");
        QFile f("later.brain");
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        QFile g("not-a-brain.txt");
        QVERIFY(g.open(QIODevice::WriteOnly));
        g.close();
        w.menu("loadbrain");
        auto* list = qobject_cast<QListWidget*>(w.control("File2"));
        QCOMPARE(list->count(), 1);
        QCOMPARE(list->item(0)->text(), QString("later.brain"));
        // Choosing in the Save panel's list fills nothing.
        w.click("Command4");
        w.run("key Enter; menu savebrain");
        qobject_cast<QListWidget*>(w.control("File1"))->setCurrentRow(0);
        QCOMPARE(QString::fromStdString(w.host().text("Text1")), QString());
    }
};

QTEST_APPLESS_MAIN(FilePanelsTest)
#include "file_panels_test.moc"
