// The key handler through the real window: resizing, stepping through the
// layers, generation on demand, the colour keys and the caption.
#include <QTest>

#include "live_window.h"

using platform::rgb;
using testing_window::LiveWindow;

namespace {

constexpr uint kMarker = rgb(1, 2, 3), kWhite = rgb(255, 255, 255);

QString caption(LiveWindow& w)
{
    return QString::fromStdString(w.host().caption());
}

// A key and its modifiers in one number, for the tables.
int with(Qt::KeyboardModifier m, Qt::Key k)
{
    return int(m) | int(k);
}

void press(LiveWindow& w, int combined)
{
    const int mask = int(Qt::KeyboardModifierMask);
    w.key(combined & ~mask, Qt::KeyboardModifiers(combined & mask));
}

}  // namespace

class KeysTest : public QObject {
    Q_OBJECT

private slots:
    void resize_data()
    {
        QTest::addColumn<int>("surfaceHeight");  // 0: as designed
        QTest::addColumn<QString>("before");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("dim");
        QTest::addColumn<QString>("size");
        QTest::newRow("plus") << 0 << "" << int(Qt::Key_Plus) << 40 << "22140";
        QTest::newRow("shift and the =/+ key") << 0 << "" << with(Qt::ShiftModifier, Qt::Key_Plus) << 40 << "22140";
        QTest::newRow("the =/+ key unshifted") << 0 << "" << int(Qt::Key_Equal) << 40 << "22140";
        QTest::newRow("the -/_ key shifted") << 0 << "" << with(Qt::ShiftModifier, Qt::Key_Underscore) << 20 << "2870";
        QTest::newRow("keypad plus") << 0 << "" << with(Qt::KeypadModifier, Qt::Key_Plus) << 30 << "9455";
        QTest::newRow("plus at the height limit") << 40 << "" << int(Qt::Key_Plus) << 30 << "9455";
        QTest::newRow("plus just below it") << 41 << "" << int(Qt::Key_Plus) << 40 << "22140";
        QTest::newRow("minus at 10") << 0 << "key Minus;key Minus" << int(Qt::Key_Minus) << 10 << "385";
    }
    void resize()
    {
        QFETCH(int, surfaceHeight);
        QFETCH(QString, before);
        QFETCH(int, key);
        QFETCH(int, dim);
        QFETCH(QString, size);
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
        d.moverX = d.moverY = 3;
        d.moverStepX = d.moverStepY = -1;
        const int old = d.dimX;
        const QPoint painted = w.cell(15, 15);  // inside the grid of every size here
        w.surface().setPoint(painted.x(), painted.y(), kMarker);
        d.canvases.setPoint(painted.x(), painted.y(), 1, 2, 3);
        w.surface().setPoint(500, 5, kMarker);
        press(w, key);

        QCOMPARE(QList<int>({d.dimX, d.dimY, d.dimZ}), QList<int>({dim, dim, dim}));
        QCOMPARE(caption(w), "Cerebrix - By Quillon (Age 26) / Size of brain: " + size + " / Drawing on input layer");
        const bool resized = dim != old;
        QCOMPARE(w.surface().point(500, 5), resized ? kWhite : kMarker);
        if (!surfaceHeight) {  // else the old grid lies off the short surface
            QCOMPARE(w.surface().point(painted.x(), painted.y()), resized ? 0u : kMarker);
            QCOMPARE(d.canvases.plane[0].point(painted.x(), painted.y()), resized ? 0u : 1u);
        }
        QCOMPARE(d.needsRealloc, resized ? 1 : 0);
        QCOMPARE(w.action("savebrain")->isEnabled(), !resized);
        if (resized) {
            QCOMPARE(QPoint(d.originX, d.originY), QPoint(287 - dim / 2, w.surface().height() / 2 - dim / 2));
            QCOMPARE(QList<int>({d.playMode, d.moverX, d.moverY, d.moverStepX, d.moverStepY}),
                     QList<int>({0, 0, 0, 1, 1}));
        }
    }

    // X always redisplays; Z unless it lands on or stays on the input layer
    // during play; neither steps while a size change awaits its arrays.
    void layerSteps_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<int>("playMode");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("layer");
        QTest::addColumn<bool>("redisplayed");
        const int x = Qt::Key_X, z = Qt::Key_Z;
        QTest::newRow("X from the input layer") << "" << 0 << x << 1 << true;
        QTest::newRow("Z on the input layer") << "key Enter" << 0 << z << 0 << true;
        QTest::newRow("Z on the input layer in play") << "key Enter" << 1 << z << 0 << false;
        QTest::newRow("Z onto the input layer in play") << "key X" << 1 << z << 0 << false;
        QTest::newRow("Z to layer 2 in play") << "key X;key X" << 1 << z << 1 << true;
        QTest::newRow("X on the top layer") << "key X;top" << 0 << x << 29 << true;
        QTest::newRow("Z after a resize") << "key Minus" << 0 << z << 0 << false;
        QTest::newRow("X after a resize") << "key Minus" << 0 << x << 1 << true;
    }
    void layerSteps()
    {
        QFETCH(QString, before);
        QFETCH(int, playMode);
        QFETCH(int, key);
        QFETCH(int, layer);
        QFETCH(bool, redisplayed);
        LiveWindow w;
        w.run(QString(before).remove(";top"));
        if (before.endsWith("top"))
            w.d().viewLayer = 29;
        w.d().playMode = playMode;
        w.surface().setPoint(500, 5, kMarker);
        w.key(key);
        QCOMPARE(w.d().viewLayer, layer);
        QCOMPARE(w.surface().point(500, 5), redisplayed ? kWhite : kMarker);
        QCOMPARE(caption(w).section(" / ", 1), QString("Size of brain: %1 / %2")
                                                   .arg(brain::sizeOfBrain(w.d().dimX))
                                                   .arg(layer ? QString("Viewing layer %1").arg(layer + 1)
                                                              : QString("Drawing on input layer")));
        QCOMPARE(w.action("playoptions")->isEnabled(), layer == 0);
        QCOMPARE(w.surface().point(60, 206), rgb(128, 128, 128));  // the swatch survives a clearing
    }

    // A segment in red 100 onto cell (3, 3): a generation puts 100 into
    // cell (3, 3) of layer 1, and as much again each time.
    void generation_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<int>("layer1");
        QTest::addColumn<bool>("generated");
        const QString paint = "press 2 3;drag 3 3;release 3 3;";
        QTest::newRow("X after painting") << paint + "key X" << 100 << true;
        QTest::newRow("X without painting") << "key X" << 0 << false;
        QTest::newRow("X, Z, X: once") << paint + "key X;key Z;key X" << 100 << true;
        QTest::newRow("Enter, Enter: twice") << paint + "key Enter;key Enter" << 200 << true;
        QTest::newRow("Enter without painting") << "key Enter" << 0 << true;
        QTest::newRow("Enter on layer 2") << paint + "key X;key Enter" << 200 << true;
    }
    void generation()
    {
        QFETCH(QString, steps);
        QFETCH(int, layer1);
        QFETCH(bool, generated);
        LiveWindow w;
        w.d().drawRed = 100;
        w.d().drawGreen = w.d().drawBlue = 0;
        w.run(steps);
        QCOMPARE(int(w.d().cells->at(0, 3, 3, 1)), layer1);
        // Layer 2's values lie on the canvases now: Enter there must not
        // sample them, or input cell (4, 4) would get 100.
        QCOMPARE(int(w.d().cells->at(0, 4, 4, 0)), 0);
        QCOMPARE(w.action("savebrain")->isEnabled(), generated);
        QCOMPARE(w.d().inputChanged, 0);
    }

    void colourKeys_data()
    {
        QTest::addColumn<uint>("from");
        QTest::addColumn<int>("key");
        QTest::addColumn<uint>("to");
        QTest::newRow("Q wraps") << rgb(255, 1, 2) << int(Qt::Key_Q) << rgb(0, 1, 2);
        QTest::newRow("A wraps") << rgb(0, 1, 2) << int(Qt::Key_A) << rgb(255, 1, 2);
        QTest::newRow("W wraps") << rgb(5, 255, 6) << int(Qt::Key_W) << rgb(5, 0, 6);
        QTest::newRow("E") << rgb(5, 7, 6) << int(Qt::Key_E) << rgb(5, 7, 7);
        QTest::newRow("D wraps") << rgb(5, 7, 0) << int(Qt::Key_D) << rgb(5, 7, 255);
        QTest::newRow("shift Q is Q") << rgb(5, 7, 6) << with(Qt::ShiftModifier, Qt::Key_Q) << rgb(6, 7, 6);
        QTest::newRow("a digit") << rgb(5, 7, 6) << int(Qt::Key_5) << rgb(5, 7, 6);
        QTest::newRow("keypad plus") << rgb(5, 7, 6) << with(Qt::KeypadModifier, Qt::Key_Plus) << rgb(5, 7, 6);
    }
    void colourKeys()
    {
        QFETCH(uint, from);
        QFETCH(int, key);
        QFETCH(uint, to);
        LiveWindow w;
        w.d().drawRed = int(from & 0xFF);
        w.d().drawGreen = int(from >> 8 & 0xFF);
        w.d().drawBlue = int(from >> 16);
        press(w, key);
        QCOMPARE(rgb(w.d().drawRed, w.d().drawGreen, w.d().drawBlue), to);
        QCOMPARE(w.surface().point(60, 206), to);  // every key repaints the swatch
    }

    void releaseAndRepeat()
    {
        LiveWindow w;
        QTest::keyRelease(w.view(), Qt::Key_Q);
        QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Q, Qt::NoModifier, "q", true);
        QApplication::sendEvent(w.view(), &repeat);
        QApplication::sendEvent(w.view(), &repeat);
        w.settle(1);
        QCOMPARE(w.d().drawRed, 130);
    }
};

QTEST_APPLESS_MAIN(KeysTest)
#include "keys_test.moc"
