// The keyboard through the real window: a focused panel control takes the
// keys; auto-repeats are key presses, releases are not.
#include "live_window.h"

class KeyboardTest : public QObject {
    Q_OBJECT

private slots:
    // A focused box takes the keys; the window's key handler sees none.
    void focusedBoxTakesKeys()
    {
        LiveWindow w;
        w.run("menu choosecolor");
        w.box("Text3")->setFocus();
        w.box("Text3")->clear();  // it holds at most 3 characters
        w.run("key Q;key X;key +");
        QCOMPARE(w.box("Text3")->text(), "qx+");
        QCOMPARE(QList<int>({w.d().pen().colour().red, w.d().view().layer(), w.d().brain().side()}),
                 QList<int>({128, 0, 30}));
        w.run("key Tab");  // between the panel's controls Tab moves the focus
        QCOMPARE(QApplication::focusWidget(), w.control("Command7"));
        // Clicking a button moves the focus to it; closing hands keys back.
        w.run("click Command6");  // Cancel
        w.run("key Q");
        QCOMPARE(w.d().pen().colour().red, 129);
    }

    // Each key step sends a press and a release: one step per key. An
    // auto-repeat of a key held on the surface is a press of its own.
    void repeatsAndReleases()
    {
        LiveWindow w;
        w.setColour(platform::rgb(254, 0, 0));
        w.run("key Q");
        QCOMPARE(w.d().pen().colour().red, 255);
        QTest::keyPress(w.mainWindow()->windowHandle(), Qt::Key_Q);
        QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Q, Qt::NoModifier, "q", true);
        QApplication::sendEvent(w.view(), &repeat);
        QTest::keyRelease(w.mainWindow()->windowHandle(), Qt::Key_Q);
        w.settle(1);
        QCOMPARE(w.d().pen().colour().red, 1);
    }
};

QTEST_APPLESS_MAIN(KeyboardTest)
#include "keyboard_test.moc"
