#include "qt_menu_focus.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMenuBar>
#include <QPointer>

namespace platform {
namespace {

class MenuBarKeys : public QObject {
public:
    MenuBarKeys(QMenuBar* bar, QWidget* home) : QObject(bar), bar_(bar), home_(home)
    {
        bar->installEventFilter(this);
        connect(qApp, &QApplication::focusChanged, this, [this](QWidget* old, QWidget* now) {
            if (now != bar_)
                return;
            before_ = old;
            // Once the menu bar is done with the event that gave it the keyboard.
            QMetaObject::invokeMethod(this, [this] { giveBack(); }, Qt::QueuedConnection);
        });
    }

protected:
    // A key that reaches the bar before the keyboard is given back goes on
    // to where it belongs.
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() != QEvent::KeyPress && e->type() != QEvent::KeyRelease)
            return false;
        QWidget* to = giveBack();
        if (to)
            QApplication::sendEvent(to, e);
        return to != nullptr;
    }

private:
    // Losing the keyboard takes the bar out of its key mode and clears its
    // highlighted entry.
    QWidget* giveBack()
    {
        if (!bar_->hasFocus() || QApplication::activePopupWidget())
            return nullptr;
        QWidget* to = before_ && before_ != bar_ && before_->isVisible() && before_->isEnabled() ? before_.data()
                                                                                                 : home_.data();
        if (to)
            to->setFocus(Qt::OtherFocusReason);
        return to;
    }

    QMenuBar* bar_;
    QPointer<QWidget> home_;
    QPointer<QWidget> before_;
};

}  // namespace

void keepKeysFromMenuBar(QMenuBar* bar, QWidget* home)
{
    new MenuBarKeys(bar, home);
}

}  // namespace platform
