// The real window at start: caption, grid, swatch, start values, menus.
#include <QMenu>
#include <QTest>

#include "live_window.h"

using testing_window::LiveWindow;
using platform::rgb;

class StartUpTest : public QObject {
    Q_OBJECT

private slots:
    void captionAndClientArea()
    {
        LiveWindow w;
        QCOMPARE(QString::fromStdString(w.host().caption()),
                 QString("Cerebrix - By Quillon (Age 26) / Size of brain: 9455 / Drawing on input layer"));
        QCOMPARE(w.surface().width(), 574);
        QCOMPARE(w.surface().height(), 412);
        QCOMPARE(w.view()->size(), QSize(574, 412));
    }

    void pixels_data()
    {
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("y");
        QTest::addColumn<uint>("colour");
        const uint white = rgb(255, 255, 255), grey = rgb(128, 128, 128), outline = rgb(0, 0, 128);
        QTest::newRow("grid top-left") << 272 << 191 << 0u;
        QTest::newRow("grid bottom-right") << 301 << 220 << 0u;
        QTest::newRow("left of grid") << 271 << 191 << white;
        QTest::newRow("right of grid") << 302 << 220 << white;
        QTest::newRow("above grid") << 272 << 190 << white;
        QTest::newRow("below grid") << 301 << 221 << white;
        QTest::newRow("swatch corner") << 10 << 156 << outline;
        QTest::newRow("swatch far corner") << 110 << 256 << outline;
        QTest::newRow("swatch inside") << 11 << 157 << grey;
        QTest::newRow("swatch centre") << 60 << 206 << grey;
        QTest::newRow("swatch inside far") << 109 << 255 << grey;
        QTest::newRow("left of swatch") << 9 << 200 << white;
        QTest::newRow("below swatch") << 60 << 257 << white;
    }
    void pixels()
    {
        QFETCH(int, x);
        QFETCH(int, y);
        QFETCH(uint, colour);
        LiveWindow w;
        QCOMPARE(w.surface().point(x, y), colour);
        // What is shown is what the surface holds.
        const QImage shown = w.view()->grab().toImage();
        QCOMPARE(shown.pixel(x, y) & 0xFFFFFF,
                 uint(qRgb(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF)) & 0xFFFFFF);
    }

    void startValues()
    {
        LiveWindow w;
        auto& d = w.d();
        const int fields[][2] = {{d.dimX, 30}, {d.dimY, 30}, {d.dimZ, 30}, {d.originX, 272}, {d.originY, 191},
                                 {d.drawRed, 128}, {d.drawGreen, 128}, {d.drawBlue, 128}, {d.needsRealloc, 1},
                                 {d.lastX, -1}, {d.lastY, -1}, {d.viewLayer, 0}, {d.drawMode, 0},
                                 {d.autoGenerate, 0}, {d.playMode, 0}, {d.moverX, 0}, {d.moverY, 0},
                                 {d.moverStepX, 1}, {d.moverStepY, 1}, {d.inputChanged, 0}};
        for (auto [value, expected] : fields)
            QCOMPARE(value, expected);
        QVERIFY(d.cells && d.cells->size() == 30);
        for (int c = 0; c < 3; ++c)
            QVERIFY(std::all_of(d.cells->plane(c), d.cells->plane(c) + d.cells->planeBytes(),
                                [](std::uint8_t v) { return v == 0; }));
        for (int c = 0; c < 3; ++c)
            QCOMPARE(d.canvases.plane[c].point(280, 200), 0u);
        for (const char* name : {"Label1", "Text1", "File2", "Command5", "Label6", "Picture1"})
            QVERIFY(!w.control(name)->isVisible());
    }

    void menuTree()
    {
        LiveWindow w;
        // caption path, name, checked, enabled
        struct Row {
            const char* path;
            const char* name;
            bool checked, enabled;
        };
        const Row rows[] = {
            {"Options", "options", false, true},
            {"Options/Save Brain", "savebrain", false, false},
            {"Options/Load Brain", "loadbrain", false, true},
            {"Options/Quit", "quit", false, true},
            {"Draw options", "drawoptions", false, true},
            {"Draw options/Auto-Generating", "ssksdm", false, true},
            {"Draw options/Auto-Generating/On", "autogon", false, true},
            {"Draw options/Auto-Generating/Off", "autogoff", true, true},
            {"Draw options/Draw-Mode", "sdfsdssf", false, true},
            {"Draw options/Draw-Mode/Draw chosen color", "drawchosen", true, true},
            {"Draw options/Draw-Mode/Draw brain output", "drawboutput", false, true},
            {"Draw options/Draw-Mode/Choose style", "choosestyle", false, true},
            {"Draw options/Draw-Mode/Choose style/style one", "styleone", false, true},
            {"Draw options/Draw-Mode/Choose style/style two", "styletwo", true, true},
            {"Draw options/Draw-Mode/Choose style/style three", "stylethree", false, true},
            {"Draw options/Choose draw color", "choosecolor", false, true},
            {"Play options", "playoptions", false, true},
            {"Play options/Computer moves in maze", "cmove", false, true},
            {"Play options/Playmode off", "playoff", true, true},
            {"Key help", "keyhelp", false, true},
            {"Key help/Changing brain size/Press \"+ or -\"", "waqs", false, true},
            {"Key help/Viewing higher layer/Press \"X\"", "sfsdf", false, true},
            {"Key help/Viewing lower layer/Press \"Z\"", "dsfsdf", false, true},
            {"Key help/Creating generation/Press enter", "dslsksj", false, true},
            {"Key help/Changing red value/Hold down \"Q\" or \"A\"", "egwsfw", false, true},
            {"Key help/Changing green value/Hold down \"W\" or \"S\"", "sdsdjss", false, true},
            {"Key help/Changing blue value/Hold down \"E\" or \"D\"", "sskskssmsm", false, true},
            {"Key help/Positioning maze-mover/Hold down Left mouse button and press \"P\"", "ssjsddj", false, true},
            {"About", "about", false, true},
        };
        QStringList seen;
        std::function<void(const QList<QAction*>&, const QString&)> walk = [&](const QList<QAction*>& actions,
                                                                               const QString& prefix) {
            for (QAction* a : actions) {
                if (a->isSeparator())
                    continue;
                const QString path = prefix.isEmpty() ? a->text() : prefix + "/" + a->text();
                QVERIFY2(!a->text().contains('&'), qPrintable(path));
                QVERIFY2(a->shortcut().isEmpty(), qPrintable(path));
                if (a->menu())
                    walk(a->menu()->actions(), path);
                else
                    seen << path;
            }
        };
        walk(w.mainWindow()->menuBar()->actions(), "");
        int leaves = 0;
        for (const Row& r : rows) {
            QAction* a = w.action(r.name);
            QVERIFY2(a, r.name);
            QCOMPARE(a->isChecked(), r.checked);
            QCOMPARE(a->isEnabled(), r.enabled);
            if (!a->menu()) {
                ++leaves;
                QVERIFY2(seen.contains(r.path), r.path);
            }
        }
        QCOMPARE(seen.size(), leaves);
        QCOMPARE(w.mainWindow()->menuBar()->actions().size(), 5);
    }

    void quitEndsAtOnce()
    {
        LiveWindow w;
        w.menu("quit");
        QVERIFY(w.host().ended());
    }
};

QTEST_APPLESS_MAIN(StartUpTest)
#include "start_up_test.moc"
