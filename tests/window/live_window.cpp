#include "live_window.h"

#include <QAbstractButton>
#include <QMouseEvent>
#include <QTest>

namespace testing_window {

platform::Toolkit& toolkit()
{
    static int argc = 1;
    static char name[] = "cerebrix-tests";
    static char* argv[] = {name, nullptr};
    // Lives to the end of the process: Qt must outlast every static.
    static auto* kit = new platform::Toolkit(argc, argv);
    return *kit;
}

LiveWindow::LiveWindow() : program(std::make_unique<app::Program>(toolkit()))
{
    program->host().show();
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
    return qobject_cast<QMainWindow*>(view()->window());
}

QWidget* LiveWindow::view() const
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* mw = qobject_cast<QMainWindow*>(w); mw && mw->isVisible())
            return mw->centralWidget();
    return nullptr;
}

QWidget* LiveWindow::control(const char* name) const
{
    return view()->findChild<QWidget*>(name);
}

QAction* LiveWindow::action(const char* name) const
{
    return mainWindow()->menuBar()->findChild<QAction*>(name);
}

void LiveWindow::settle(int turns)
{
    for (int i = 0; i < turns; ++i)
        d().turn();
    host().waitForEvents(0);  // also hands every change to the screen
}

void LiveWindow::menu(const char* name)
{
    QAction* a = action(name);
    if (a)
        a->trigger();
    settle(1);
}

void LiveWindow::key(int qtKey, Qt::KeyboardModifiers mods)
{
    QTest::keyPress(view(), Qt::Key(qtKey), mods);
    settle(1);
}

void LiveWindow::press(Qt::MouseButton b, int x, int y)
{
    QMouseEvent e(QEvent::MouseButtonPress, QPointF(x, y), view()->mapToGlobal(QPointF(x, y)), b, b, Qt::NoModifier);
    QApplication::sendEvent(view(), &e);
    settle(1);
}

void LiveWindow::move(Qt::MouseButtons held, int x, int y)
{
    QMouseEvent e(QEvent::MouseMove, QPointF(x, y), view()->mapToGlobal(QPointF(x, y)), Qt::NoButton, held,
                  Qt::NoModifier);
    QApplication::sendEvent(view(), &e);
    settle(1);
}

void LiveWindow::release(Qt::MouseButton b, int x, int y)
{
    QMouseEvent e(QEvent::MouseButtonRelease, QPointF(x, y), view()->mapToGlobal(QPointF(x, y)), b, Qt::NoButton,
                  Qt::NoModifier);
    QApplication::sendEvent(view(), &e);
    settle(1);
}

void LiveWindow::click(const char* button)
{
    if (auto* b = qobject_cast<QAbstractButton*>(control(button)))
        b->click();
    settle(1);
}

}  // namespace testing_window
