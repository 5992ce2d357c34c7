// The key handler through the real window: resizing, stepping through the
// layers, generation on demand, the colour keys and the caption.
#include "live_window.h"

using platform::rgb;

constexpr uint kMarker = rgb(1, 2, 3), kWhite = rgb(255, 255, 255);

class KeysTest : public QObject {
    Q_OBJECT

private slots:
    // What a size change wipes: generated cells, play, the mover, a painted
    // cell and a mark outside the grid. A size refused wipes nothing.
    void resize()
    {
        // Surface height; steps before; the key; the brain's side after; its size in the caption.
        const std::tuple<int, QString, const char*, int, const char*> rows[] = {
            {412, "", "+", 40, "22140"},
            {412, "", "Num++", 30, "9455"},  // keypad plus is no command
            {40, "", "+", 30, "9455"},       // the height limit
            {412, "key -;key -", "-", 10, "385"},
        };
        for (const auto& [height, before, key, side, size] : rows) {
            LiveWindow w(QString("surface height %1;%2;key %3").arg(height).arg(before, key));
            auto& d = w.d();
            w.resizeSurface(574, height);
            w.run(before + ";key Enter;menu cmove");
            d.moverX = d.moverY = d.moverStepX = d.moverStepY = -1;
            const QPoint painted = w.cell(5, 5);
            w.surface().setPoint(painted.x(), painted.y(), kMarker);
            d.canvases.setPoint(painted.x(), painted.y(), 1, 2, 3);
            w.surface().setPoint(500, 5, kMarker);
            const auto kept = w.colourAt(painted);
            const bool resized = side != d.dimX;
            w.run(QString("key ") + key);

            QCOMPARE(QList<int>({d.dimX, d.dimY, d.dimZ, w.action("savebrain")->isEnabled()}),
                     QList<int>({side, side, side, !resized}));
            QCOMPARE(w.caption().section(" / ", 1, 1), QString("Size of brain: ") + size);
            QCOMPARE(w.surface().point(500, 5), resized ? kWhite : kMarker);
            QCOMPARE(w.colourAt(painted), resized ? std::pair(0u, 0u) : kept);
            if (resized)
                QCOMPARE(QList<int>({d.originX, d.originY, d.needsRealloc, d.playMode, d.moverX, d.moverY,
                                     d.moverStepX, d.moverStepY}),
                         QList<int>({287 - side / 2, 206 - side / 2, 1, 0, 0, 0, 1, 1}));
        }
    }

    // A side whose arrays cannot be had is refused like one that does not
    // fit, with nothing cleared. Sent past Qt, which would mirror the tall
    // surface in an image of its own.
    void plusWithoutMemory()
    {
        LiveWindow w;
        auto& d = w.d();
        w.run("key Enter");
        w.surface().resize(1, 25'100, 0);   // room for any side this test asks for
        d.dimX = d.dimY = d.dimZ = 25'000;  // 3 x 25010^3 bytes, some 47 TB: more than any machine has
        w.surface().setPoint(0, 5, kMarker);
        d.keyPressed(platform::key::Plus);
        QCOMPARE(QList<int>({d.dimX, d.needsRealloc, d.cells->size(), d.menus.enabled("savebrain")}),
                 QList<int>({25'000, 0, 30, 1}));
        QCOMPARE(w.surface().point(0, 5), kMarker);
    }

    // X always redisplays; Z unless it lands on or stays on the input layer
    // during play; neither steps while a size change awaits its arrays. A
    // generation puts the red 100 painted into input cell (3, 3) into cell
    // (3, 3) of layer 1, and as much again each time.
    void layersAndGeneration()
    {
        const QString paint = "press 2 3;drag 3 3;release 3 3;";
        // Steps before; playMode; the key; the layer on view after; whether the window was redisplayed;
        // red of cell (3, 3) on layer 1; whether "Save Brain" is enabled.
        const std::tuple<QString, int, const char*, int, bool, int, bool> rows[] = {
            {"", 0, "X", 1, true, 0, false},
            {"key Enter", 0, "Z", 0, true, 0, true},
            {"key X", 1, "Z", 0, false, 0, true},
            {"key X;key X", 1, "Z", 1, true, 0, false},
            {QString("key X;").repeated(29), 0, "X", 29, true, 0, false},
            {"key -", 0, "Z", 0, false, 0, false},
            {"key -", 0, "X", 1, true, 0, false},
            {paint, 0, "X", 1, true, 100, true},
            {paint + "key Enter", 0, "Enter", 0, false, 200, true},
            {paint + "key X", 0, "Enter", 1, false, 200, true},
        };
        for (const auto& [before, playMode, key, layer, redisplayed, generated, saved] : rows) {
            LiveWindow w(QString("play %1;%2;key %3").arg(playMode).arg(before, key));
            auto& d = w.d();
            w.setColour(rgb(100, 0, 0));
            w.run(before);
            d.playMode = playMode;
            w.surface().setPoint(500, 5, kMarker);
            w.run(QString("key ") + key);
            QCOMPARE(w.surface().point(500, 5), redisplayed ? kWhite : kMarker);
            QCOMPARE(w.caption().section(" / ", 2),
                     layer ? QString("Viewing layer %1").arg(layer + 1) : QString("Drawing on input layer"));
            QCOMPARE(w.surface().point(60, 206), rgb(100, 0, 0));  // the swatch survives a clearing
            // Layer 2's values lie on the canvases: Enter there must not
            // sample them, or input cell (4, 4) would get 100.
            QCOMPARE(QList<int>({d.viewLayer, w.action("playoptions")->isEnabled(), w.action("savebrain")->isEnabled(),
                                 d.cells->at(0, 3, 3, 1), d.cells->at(0, 4, 4, 0), d.inputChanged}),
                     QList<int>({layer, layer == 0, saved, generated, 0, 0}));
        }
    }

    // Each key moves its own component by one, wrapping at both ends. A
    // release is no key press (each key step sends one); an auto-repeat is.
    void colourKeys()
    {
        LiveWindow w;
        w.setColour(rgb(255, 0, 9));
        w.run("key Q;key S;key E;key E");
        QCOMPARE(w.colour(), rgb(0, 255, 11));
        w.run("key A;key W;key D");
        QCOMPARE(w.colour(), rgb(255, 0, 10));
        QCOMPARE(w.surface().point(60, 206), rgb(255, 0, 10));  // every key repaints the swatch
        QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Q, Qt::NoModifier, "q", true);
        QApplication::sendEvent(w.view(), &repeat);
        w.settle(1);
        QCOMPARE(w.d().drawRed, 0);
    }
};

QTEST_APPLESS_MAIN(KeysTest)
#include "keys_test.moc"
