// The window on a scaled screen (run at QT_SCALE_FACTOR=2 too): what it
// shows, and where a press lands.
#include <QToolButton>

#include "tests/window/live_window.h"

namespace {

// A colour number as the screen's 0xRRGGBB.
unsigned rgbOf(platform::Colour c)
{
    return (c & 0xFF) << 16 | (c & 0xFF00) | (c >> 16 & 0xFF);
}

}  // namespace

class ScaledGrabTest : public QObject {
    Q_OBJECT

private slots:
    // Whatever the scale, each of the window's pixels is an exact k x k block,
    // and the menu bar needs no overflow button. Run at QT_SCALE_FACTOR=2 too.
    void scaledGrab()
    {
        LiveWindow w;
        auto& s = w.surface();
        for (int y = 160; y < 200; ++y)
            for (int x = 0; x < 574; ++x)
                if ((x + y) % 3 == 0)
                    s.setPoint(x, y, platform::rgb(x % 256, y % 256, (x * y) % 256));
        w.settle();
        const int k = qRound(w.view()->devicePixelRatioF());
        QCOMPARE(k, qRound(qEnvironmentVariable("QT_SCALE_FACTOR", "1").toDouble()));
        const QImage shot = w.view()->grab().toImage().convertToFormat(QImage::Format_RGB32);
        QCOMPARE(shot.size(), QSize(574 * k, 412 * k));
        for (int y = 0; y < 412; ++y)
            for (int x = 0; x < 574; ++x)
                for (int dy = 0; dy < k; ++dy)
                    for (int dx = 0; dx < k; ++dx)
                        if ((shot.pixel(x * k + dx, y * k + dy) & 0xFFFFFF) != rgbOf(s.point(x, y)))
                            QFAIL(qPrintable(QString("pixel %1,%2 is not a uniform block").arg(x).arg(y)));
        // The swatch's outline at x = 10 is k screen pixels wide.
        const auto screenPixel = [&](int x) { return shot.pixel(x, 206 * k) & 0xFFFFFF; };
        QCOMPARE(screenPixel(10 * k - 1), 0xFFFFFFu);
        QCOMPARE(screenPixel(10 * k), 0x000080u);
        QCOMPARE(screenPixel(10 * k + k - 1), 0x000080u);
        QCOMPARE(screenPixel(10 * k + k), 0x808080u);
        // A press anywhere in a pixel's block lands on that pixel.
        const QPointF inBlock = QPointF(w.cell(5, 7)) + QPointF(k - 1, k - 1) / k;
        QMouseEvent press(QEvent::MouseButtonPress, inBlock, w.view()->mapToGlobal(inBlock), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(w.view(), &press);
        QVERIFY(w.d().strokePoint().has_value());
        QCOMPARE(QPoint(w.d().strokePoint()->x, w.d().strokePoint()->y), w.cell(5, 7));
        auto* more = w.mainWindow()->menuBar()->findChild<QToolButton*>("qt_menubar_ext_button");
        QVERIFY(!more || !more->isVisible());
    }
};

QTEST_MAIN(ScaledGrabTest)
#include "scaled_grab_test.moc"
