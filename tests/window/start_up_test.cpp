// The real window at start: caption, grid, swatch, start values and hidden
// panels (the menus as they stand are qt_port_test's); then resized by hand.
#include "live_window.h"

using platform::rgb;

class StartUpTest : public QObject {
    Q_OBJECT

private slots:
    void startUp()
    {
        LiveWindow w;
        QCOMPARE(w.caption(), "Cerebrix - By Quillon (Age 26) / Size of brain: 9455 / Drawing on input layer");
        for (const char* name : {"Label1", "Text1", "File2", "Command5", "Label6", "Picture1"})
            QVERIFY2(!w.control(name)->isVisible(), name);

        // Grid corners and their outside neighbours; swatch outline, inside
        // and outside. What is shown on screen is what the surface holds.
        const uint white = rgb(255, 255, 255), grey = rgb(128, 128, 128), outline = rgb(0, 0, 128);
        const std::tuple<int, int, uint> pixels[] = {
            {272, 191, 0},     {301, 220, 0},      {271, 191, white},   {302, 220, white}, {272, 190, white},
            {301, 221, white}, {10, 156, outline}, {110, 256, outline}, {11, 157, grey},   {109, 255, grey},
            {9, 200, white},   {60, 257, white}};
        const QImage shown = w.view()->grab().toImage();
        for (auto [x, y, colour] : pixels) {
            QCOMPARE(w.surface().point(x, y), colour);
            QCOMPARE(shown.pixel(x, y), qRgb(int(colour & 0xFF), int(colour >> 8 & 0xFF), int(colour >> 16)));
        }
        auto& d = w.d();
        const window::Rgb c = d.pen().colour();
        const window::MoverPlace m = d.mover().place();
        QCOMPARE(QList<int>({d.brain().side(), d.view().origin().x, d.view().origin().y, c.red, c.green, c.blue,
                             d.brain().reallocationPending(), d.strokePoint().has_value(), d.view().layer(),
                             d.pen().drawsBrainOutput(), d.pen().autoGenerates(), d.mover().playing(), m.x, m.y,
                             m.stepX, m.stepY, d.brain().inputChanged()}),
                 QList<int>({30, 272, 191, 128, 128, 128, 1, 0, 0, 0, 0, 0, 0, 0, 1, 1, 0}));
        w.run("menu quit");  // ends at once
        QVERIFY(w.host().ended());
    }

    // Resizing keeps everything painted and the grid in place; the canvases
    // always cover the surface; the swatch follows the new height when next
    // painted.
    void windowResize()
    {
        LiveWindow w;
        w.run("press 0 0; drag 29 29");
        const uint grey = rgb(128, 128, 128);
        for (QSize size : {QSize(300, 200), QSize(900, 700), QSize(574, 412)}) {
            w.resizeSurface(size.width(), size.height());
            QCOMPARE(QPoint(w.surface().width(), w.d().view().origin().x), QPoint(size.width(), 272));
            for (int c = 0; c < 3; ++c) {
                const platform::Surface& canvas = w.d().canvases().plane(c);
                QVERIFY(canvas.width() >= w.surface().width() && canvas.height() >= w.surface().height());
            }
            QCOMPARE(w.surface().point(273, 192), grey);
            QCOMPARE(w.surface().point(301, 220), size.width() > 301 ? grey : platform::kOffSurface);
        }
        w.resizeSurface(574, 600);
        w.run("key F1");
        QCOMPARE(w.surface().point(60, 300), grey);  // swatch centred on 300
        QCOMPARE(w.surface().point(60, 206), grey);  // the old one stays
    }
};

QTEST_APPLESS_MAIN(StartUpTest)
#include "start_up_test.moc"
