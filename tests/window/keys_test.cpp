// The key handler through the real window: resizing, stepping through the
// layers, generation on demand, the colour keys and the caption.

#include "live_window.h"

using platform::rgb;

namespace {

constexpr uint kMarker = rgb(1, 2, 3), kWhite = rgb(255, 255, 255);

// Surface height (0: as designed), steps before, the key, the brain's side after, its size in the caption.
using Resize = std::tuple<int, QString, QString, int, QString>;
// Steps before, playMode, the key, the layer on view after, whether the window was redisplayed.
using LayerStep = std::tuple<QString, int, QString, int, bool>;
// Steps, red of cell (3, 3) on layer 1 after them, whether "Save Brain" is enabled.
using Generation = std::tuple<QString, int, bool>;

}  // namespace

class KeysTest : public QObject {
    Q_OBJECT

private slots:
    void resize_data()
    {
        QTest::addColumn<Resize>("row");
        QTest::newRow("plus") << Resize{0, "", "+", 40, "22140"};
        QTest::newRow("keypad plus is no command") << Resize{0, "", "Num++", 30, "9455"};
        QTest::newRow("plus at the height limit") << Resize{40, "", "+", 30, "9455"};
        QTest::newRow("minus at 10") << Resize{0, "key -;key -", "-", 10, "385"};
    }
    void resize()
    {
        QFETCH(Resize, row);
        const auto& [surfaceHeight, before, key, dim, size] = row;
        LiveWindow w;
        auto& d = w.d();
        if (surfaceHeight) {
            w.mainWindow()->resize(574, w.mainWindow()->height() - 412 + surfaceHeight);
            w.settle();
            QCOMPARE(w.surface().height(), surfaceHeight);
        }
        // What a size change wipes: generated cells, play, the mover, a
        // painted cell and a mark outside the grid.
        w.run(before + ";key Enter;menu cmove");
        d.moverX = d.moverY = d.moverStepX = d.moverStepY = -1;
        const int old = d.dimX;
        const QPoint painted = w.cell(5, 5);
        w.surface().setPoint(painted.x(), painted.y(), kMarker);
        d.canvases.setPoint(painted.x(), painted.y(), 1, 2, 3);
        w.surface().setPoint(500, 5, kMarker);
        w.run("key " + key);

        QCOMPARE(QList<int>({d.dimX, d.dimY, d.dimZ}), QList<int>(3, dim));
        QCOMPARE(w.caption(), "Cerebrix - By Quillon (Age 26) / Size of brain: " + size + " / Drawing on input layer");
        const bool resized = dim != old;
        QCOMPARE(w.surface().point(500, 5), resized ? kWhite : kMarker);
        if (!surfaceHeight)  // else the grid, laid out at start, lies off the short surface
            QCOMPARE(w.colourAt(painted), resized ? std::pair(0u, 0u) : std::pair(kMarker, kMarker));
        QCOMPARE(d.needsRealloc, resized ? 1 : 0);
        QCOMPARE(w.action("savebrain")->isEnabled(), !resized);
        if (resized)
            QCOMPARE(QList<int>({d.originX, d.originY, d.playMode, d.moverX, d.moverY, d.moverStepX, d.moverStepY}),
                     QList<int>({287 - dim / 2, 206 - dim / 2, 0, 0, 0, 1, 1}));
    }

    // X always redisplays; Z unless it lands on or stays on the input layer
    // during play; neither steps while a size change awaits its arrays.
    void layerSteps_data()
    {
        QTest::addColumn<LayerStep>("row");
        QTest::newRow("X from the input layer") << LayerStep{"", 0, "X", 1, true};
        QTest::newRow("Z on the input layer") << LayerStep{"key Enter", 0, "Z", 0, true};
        QTest::newRow("Z onto the input layer in play") << LayerStep{"key X", 1, "Z", 0, false};
        QTest::newRow("Z to layer 2 in play") << LayerStep{"key X;key X", 1, "Z", 1, true};
        QTest::newRow("X on the top layer") << LayerStep{QString("key X;").repeated(29), 0, "X", 29, true};
        QTest::newRow("Z after a resize") << LayerStep{"key -", 0, "Z", 0, false};
        QTest::newRow("X after a resize") << LayerStep{"key -", 0, "X", 1, true};
    }
    void layerSteps()
    {
        QFETCH(LayerStep, row);
        const auto& [before, playMode, key, layer, redisplayed] = row;
        LiveWindow w;
        w.run(before);
        w.d().playMode = playMode;
        w.surface().setPoint(500, 5, kMarker);
        w.run("key " + key);
        QCOMPARE(w.d().viewLayer, layer);
        QCOMPARE(w.surface().point(500, 5), redisplayed ? kWhite : kMarker);
        QCOMPARE(w.caption().section(" / ", 2),
                 layer ? QString("Viewing layer %1").arg(layer + 1) : QString("Drawing on input layer"));
        QCOMPARE(w.action("playoptions")->isEnabled(), layer == 0);
        QCOMPARE(w.surface().point(60, 206), rgb(128, 128, 128));  // the swatch survives a clearing
    }

    // A segment in red 100 onto cell (3, 3): a generation puts 100 into
    // cell (3, 3) of layer 1, and as much again each time.
    void generation_data()
    {
        QTest::addColumn<Generation>("row");
        const QString paint = "press 2 3;drag 3 3;release 3 3;";
        QTest::newRow("X after painting") << Generation{paint + "key X", 100, true};
        QTest::newRow("X without painting") << Generation{"key X", 0, false};
        QTest::newRow("Enter, Enter: twice") << Generation{paint + "key Enter;key Enter", 200, true};
        QTest::newRow("Enter on layer 2") << Generation{paint + "key X;key Enter", 200, true};
    }
    void generation()
    {
        QFETCH(Generation, row);
        const auto& [steps, layer1, generated] = row;
        LiveWindow w;
        w.setColour(rgb(100, 0, 0));
        w.run(steps);
        QCOMPARE(int(w.d().cells->at(0, 3, 3, 1)), layer1);
        // Layer 2's values lie on the canvases now: Enter there must not
        // sample them, or input cell (4, 4) would get 100.
        QCOMPARE(int(w.d().cells->at(0, 4, 4, 0)), 0);
        QCOMPARE(w.action("savebrain")->isEnabled(), generated);
        QCOMPARE(w.d().inputChanged, 0);
    }

    // Each key moves its own component by one, wrapping at both ends. A
    // release is no key press; every auto-repeat is one.
    void colourKeys()
    {
        LiveWindow w;
        w.setColour(rgb(255, 0, 9));
        w.run("key Q;key S;key E;key E");
        QCOMPARE(w.colour(), rgb(0, 255, 11));
        w.run("key A;key W;key D");
        QCOMPARE(w.colour(), rgb(255, 0, 10));
        QCOMPARE(w.surface().point(60, 206), rgb(255, 0, 10));  // every key repaints the swatch
        QTest::keyRelease(w.view(), Qt::Key_Q);
        QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Q, Qt::NoModifier, "q", true);
        QApplication::sendEvent(w.view(), &repeat);
        QApplication::sendEvent(w.view(), &repeat);
        w.settle(1);
        QCOMPARE(w.d().drawRed, 1);
    }
};

QTEST_APPLESS_MAIN(KeysTest)
#include "keys_test.moc"
