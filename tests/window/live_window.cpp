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

void LiveWindow::clickThrough(Qt::MouseButton b, int x, int y)
{
    const QPoint at = view()->mapTo(mainWindow(), QPoint(x, y));
    QTest::mousePress(mainWindow()->windowHandle(), b, Qt::NoModifier, at);
    QTest::mouseRelease(mainWindow()->windowHandle(), b, Qt::NoModifier, at);
    settle(1);
}

void LiveWindow::keyThrough(int qtKey)
{
    QTest::keyClick(mainWindow()->windowHandle(), Qt::Key(qtKey));
    settle(1);
}

void LiveWindow::run(const QString& steps)
{
    static const QMap<QString, int> keys = {
        {"X", Qt::Key_X},       {"Z", Qt::Key_Z},         {"P", Qt::Key_P},   {"Enter", Qt::Key_Return},
        {"Plus", Qt::Key_Plus}, {"Minus", Qt::Key_Minus}, {"F1", Qt::Key_F1}, {"Tab", Qt::Key_Tab}};
    for (const QString& step : steps.split(';', Qt::SkipEmptyParts)) {
        const QStringList t = step.split(' ', Qt::SkipEmptyParts);
        const QByteArray name = t.value(1).toLatin1();
        const QPoint p = t.size() == 3 ? cell(t[1].toInt(), t[2].toInt()) : QPoint(500, 300);
        if (t[0] == "menu") menu(name.constData());
        else if (t[0] == "button") click(name.constData());
        else if (t[0] == "key" && keys.contains(t[1])) key(keys[t[1]]);
        else if (t[0] == "press") press(Qt::LeftButton, p.x(), p.y());
        else if (t[0] == "rpress") press(Qt::RightButton, p.x(), p.y());
        else if (t[0] == "drag") move(Qt::LeftButton, p.x(), p.y());
        else if (t[0] == "drag2") move(Qt::LeftButton | Qt::RightButton, p.x(), p.y());
        else if (t[0] == "hover") move(Qt::NoButton, p.x(), p.y());
        else if (t[0] == "release") release(Qt::LeftButton, p.x(), p.y());
        else qFatal("unknown step: %s", qPrintable(step));
    }
}

}  // namespace testing_window
