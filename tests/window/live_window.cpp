#include "live_window.h"

#include <QAbstractButton>
#include <QMouseEvent>

namespace {

platform::Toolkit& toolkit()
{
    static int argc = 1;
    static char name[] = "cerebrix-tests";
    static char* argv[] = {name, nullptr};
    // Lives to the end of the process: Qt must outlast every static.
    static auto* kit = new platform::Toolkit(argc, argv);
    return *kit;
}

}  // namespace

LiveWindow::LiveWindow() : program(std::make_unique<app::Program>(toolkit()))
{
    host().show();
    settle();
    if (!d().started)
        d().activated();
    settle();
}

LiveWindow::~LiveWindow()
{
    program.reset();
    QCoreApplication::processEvents();
}

QMainWindow* LiveWindow::mainWindow() const
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* mw = qobject_cast<QMainWindow*>(w); mw && mw->isVisible())
            return mw;
    qFatal("no program window is shown");
}

std::pair<platform::Colour, platform::Colour> LiveWindow::colourAt(QPoint p)
{
    const auto& pl = d().canvases.plane;
    const auto channel = [&](int c) { return int(pl[c].point(p.x(), p.y())); };
    return {surface().point(p.x(), p.y()), platform::rgb(channel(0), channel(1), channel(2))};
}

void LiveWindow::setColour(platform::Colour c)
{
    std::tie(d().drawRed, d().drawGreen, d().drawBlue) = std::tuple(int(c & 0xFF), int(c >> 8 & 0xFF), int(c >> 16));
    d().drawswatch();
}

void LiveWindow::settle(int turns)
{
    for (int i = 0; i < turns; ++i)
        d().turn();
    host().waitForEvents(0);  // also hands every change to the screen
}

void LiveWindow::run(const QString& steps)
{
    for (const QString& step : steps.split(';', Qt::SkipEmptyParts)) {
        const QStringList t = step.split(' ', Qt::SkipEmptyParts);
        const QString what = t.value(0);
        const QByteArray name = t.value(1).toLatin1();
        const QPointF p = t.size() == 3 ? QPointF(cell(t[1].toInt(), t[2].toInt())) : QPointF(500, 300);
        const auto mouse = [&](QEvent::Type type, Qt::MouseButton b, Qt::MouseButtons held) {
            QMouseEvent e(type, p, view()->mapToGlobal(p), b, held, Qt::NoModifier);
            QApplication::sendEvent(view(), &e);
        };
        QAction* item = what == "menu" ? action(name.constData()) : nullptr;
        auto* button = what == "button" ? qobject_cast<QAbstractButton*>(control(name.constData())) : nullptr;
        QWidget* target = what == "click" ? control(name.constData()) : nullptr;
        const QKeySequence keys(what == "key" || what == "type" ? t.value(1) : QString(), QKeySequence::PortableText);
        const QKeyCombination key = keys.count() == 1 ? keys[0] : QKeyCombination(Qt::Key_unknown);
        if (item) item->trigger();
        else if (button) button->click();
        else if (target)
            QTest::mouseClick(mainWindow()->windowHandle(), Qt::LeftButton, {},
                              target->mapTo(mainWindow(), target->rect().center()));
        else if (key.key() != Qt::Key_unknown && what == "key")
            QTest::keyPress(view(), key.key(), key.keyboardModifiers());
        else if (key.key() != Qt::Key_unknown)
            QTest::keyClick(mainWindow()->windowHandle(), key.key(), key.keyboardModifiers());
        else if (what == "press") mouse(QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton);
        else if (what == "rpress") mouse(QEvent::MouseButtonPress, Qt::RightButton, Qt::RightButton);
        else if (what == "drag") mouse(QEvent::MouseMove, Qt::NoButton, Qt::LeftButton);
        else if (what == "drag2") mouse(QEvent::MouseMove, Qt::NoButton, Qt::LeftButton | Qt::RightButton);
        else if (what == "hover") mouse(QEvent::MouseMove, Qt::NoButton, Qt::NoButton);
        else if (what == "release") mouse(QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton);
        else qFatal("unknown step: %s", qPrintable(step));
        settle(1);
    }
}
