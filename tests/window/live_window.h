#pragma once
// A fresh program window for each test, under Qt's offscreen platform,
// started up as on the first activation.
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QMouseEvent>
#include <QTest>
#include <map>

#include "app/program.h"
#include "commands/keys.h"

inline platform::Toolkit& toolkit()
{
    static int argc = 1;
    static char* argv[] = {const_cast<char*>("cerebrix-tests"), nullptr};  // Qt only reorders the pointers
    static auto* kit = new platform::Toolkit(argc, argv);  // never freed: Qt must outlast every static
    return *kit;
}

struct LiveWindow {
    std::unique_ptr<app::Program> program = std::make_unique<app::Program>(toolkit());
    QString row;  // a table row's name, told when a check fails while the window lives

    // `file`: opened once started up, as `cerebrix FILE` opens it.
    explicit LiveWindow(const QString& rowName = {}, const std::string& file = {}) : row(rowName)
    {
        if (!file.empty())
            program->openAfterStartUp(file);
        host().show();
        d().activated();
        settle();
    }
    ~LiveWindow()
    {
        if (QTest::currentTestFailed() && !row.isEmpty())
            qWarning("in row: %s", qPrintable(row));
    }
    window::Drawing& d() { return program->drawing(); }
    platform::Host& host() { return program->host(); }
    platform::Surface& surface() { return d().surface(); }
    QString caption() { return QString::fromStdString(host().caption()); }
    QMainWindow* mainWindow() const { return qobject_cast<QMainWindow*>(QApplication::activeWindow()); }
    QWidget* view() const { return mainWindow()->centralWidget(); }
    QWidget* control(const QString& name) const { return view()->findChild<QWidget*>(name); }
    QLineEdit* box(const QString& name) const { return qobject_cast<QLineEdit*>(control(name)); }
    QAction* action(const QString& name) const { return mainWindow()->menuBar()->findChild<QAction*>(name); }
    // The surface point of grid cell (x, y).
    QPoint cell(int x, int y) { return {d().view().origin().x + x, d().view().origin().y + y}; }
    QPoint cell(const QString& xy) { return cell(xy.section(' ', 0, 0).toInt(), xy.section(' ', 1).toInt()); }
    // A surface point's colour on the window, and as the three canvases hold it.
    std::pair<platform::Colour, platform::Colour> colourAt(QPoint p)
    {
        const auto channel = [&](int c) { return int(d().canvases().plane(c).point(p.x(), p.y())); };
        return {surface().point(p.x(), p.y()), platform::rgb(channel(0), channel(1), channel(2))};
    }
    platform::Colour colour() { return d().pen().colour().colour(); }
    void setColour(platform::Colour c)  // and shows it in the swatch
    {
        d().pen().setColour({int(c & 0xFF), int(c >> 8 & 0xFF), int(c >> 16 & 0xFF)});
        d().drawSwatch();
    }
    void resizeSurface(int width, int height)
    {
        mainWindow()->resize(width, mainWindow()->height() - surface().height() + height);
        settle();
    }

    // The panel open, by its name and the text of its first box; the brain's
    // side and the drawing's red; the brain files in the working folder.
    QString panelState()
    {
        QString open = "closed";
        for (const auto& [box, panel] : {std::pair("Text1", "Save"), std::pair("Text2", "Load"),
                                         std::pair("Text3", "Colour"), std::pair("Picture1", "About")})
            if (control(box)->isVisible())
                open = QString(panel) + " '" + QString::fromStdString(host().text(box)) + "'";
        return open + ", side " + QString::number(d().brain().side()) + ", red " +
               QString::number(d().pen().colour().red) + ", files " +
               QDir().entryList({"*.brain"}, QDir::Files).join(' ');
    }

    // From here on, the codes of the presses that reach the key commands.
    std::shared_ptr<QStringList> watchKeys()
    {
        auto seen = std::make_shared<QStringList>();
        window::Drawing& drawing = d();
        drawing.setKeyHandler([seen, &drawing](int code) {
            *seen << QString::number(code);
            commands::keyPressed(drawing, code);
        });
        return seen;
    }

    // Runs the main loop's turns, then lets Qt hand every change to the screen.
    void settle(int turns = 3)
    {
        for (int i = 0; i < turns; ++i)
            d().turn();
        host().waitForEvents(0);
    }

    // Runs steps separated by ';', one loop turn each: "menu NAME" (as a click
    // on the entry), "click NAME" on a control, "key K" to the window (Qt's
    // portable key text: "X", "Enter", "+", "Num++"), and mouse events on the
    // surface at grid cell "X Y", or away from the grid without one: "press",
    // "rpress" (right), "drag" (move with the left button), "drag2" (left and
    // right), "hover", "release".
    void run(const QString& steps)
    {
        using B = Qt::MouseButton;
        static const std::map<QString, std::tuple<QEvent::Type, B, Qt::MouseButtons>> mouse = {
            {"press", {QEvent::MouseButtonPress, B::LeftButton, B::LeftButton}},
            {"rpress", {QEvent::MouseButtonPress, B::RightButton, B::RightButton}},
            {"drag", {QEvent::MouseMove, B::NoButton, B::LeftButton}},
            {"drag2", {QEvent::MouseMove, B::NoButton, B::LeftButton | B::RightButton}},
            {"hover", {QEvent::MouseMove, B::NoButton, B::NoButton}},
            {"release", {QEvent::MouseButtonRelease, B::LeftButton, B::NoButton}}};
        for (const QString& step : steps.split(';', Qt::SkipEmptyParts)) {
            const QStringList t = step.split(' ', Qt::SkipEmptyParts);
            const QPointF p = t.size() == 3 ? QPointF(cell(t[1].toInt(), t[2].toInt())) : QPointF(500, 300);
            if (t[0] == "menu") {
                action(t[1])->trigger();
            } else if (QWidget* c = t[0] == "click" ? control(t[1]) : nullptr) {
                const QPoint at = c->mapTo(mainWindow(), c->rect().center());
                QTest::mouseClick(mainWindow()->windowHandle(), B::LeftButton, {}, at);
            } else if (t[0] == "key") {
                const QKeyCombination k = QKeySequence(t[1], QKeySequence::PortableText)[0];
                QTest::keyClick(mainWindow()->windowHandle(), k.key(), k.keyboardModifiers());
            } else {
                const auto [type, button, held] = mouse.at(t[0]);
                QMouseEvent e(type, p, view()->mapToGlobal(p), button, held, Qt::NoModifier);
                QApplication::sendEvent(view(), &e);
            }
            settle(1);
        }
    }
};
