#include "qt_controls.h"

#include <QAction>
#include <QKeyEvent>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <algorithm>

#include "qt_fitted.h"
#include "qt_views.h"

namespace platform {
namespace {

constexpr const char* kPanelControl = "panelControl";  // marks the widgets made here

// Keys a focused panel control does not keep for itself. Tab walks the open
// panel in reading order; Enter clicks a focused button and is otherwise,
// like Escape, left to the panel.
class PanelKeys : public QObject {
public:
    PanelKeys(Wiring wiring, std::string control, QObject* parent)
        : QObject(parent), wiring_(wiring), control_(std::move(control))
    {
    }

protected:
    bool eventFilter(QObject* o, QEvent* e) override
    {
        if (e->type() != QEvent::KeyPress)
            return false;
        auto* w = static_cast<QWidget*>(o);
        auto* k = static_cast<QKeyEvent*>(e);
        switch (k->key()) {
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            stepFocus(w, k->key() == Qt::Key_Tab && !(k->modifiers() & Qt::ShiftModifier));
            return true;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (auto* b = qobject_cast<QPushButton*>(w)) {
                b->click();
                return true;
            }
            report(key::Enter);
            return true;
        case Qt::Key_Escape:
            report(key::Escape);
            return true;
        default:
            return false;
        }
    }

private:
    void report(int code)
    {
        if (!wiring_.ended)
            wiring_.sink.panelKeyPressed(control_, code);
    }

    // Only one panel is open at a time, so the shown controls are its own.
    static void stepFocus(QWidget* from, bool forward)
    {
        QList<QWidget*> ring;
        for (QWidget* w : from->parentWidget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            if (w->property(kPanelControl).toBool() && w->isVisible() && w->isEnabled() &&
                (w->focusPolicy() & Qt::TabFocus))
                ring << w;
        std::stable_sort(ring.begin(), ring.end(), [](QWidget* a, QWidget* b) {
            return std::pair(a->y(), a->x()) < std::pair(b->y(), b->x());
        });
        const qsizetype at = ring.indexOf(from);
        if (at < 0)
            return;
        const qsizetype n = ring.size();
        ring[(at + (forward ? 1 : n - 1)) % n]->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    }

    Wiring wiring_;
    std::string control_;
};

// A panel control takes presses and moves over itself: none of them may
// fall through to the drawing surface underneath.
void keepMouse(QWidget* w)
{
    w->setAttribute(Qt::WA_NoMousePropagation);
}

}  // namespace

void addMenuEntry(QMenuBar* bar, QMenu* parent, const MenuEntry& e, Wiring wiring,
                  std::map<std::string, QAction*>& actions)
{
    QAction* action = nullptr;
    if (!e.items.empty()) {
        QMenu* menu = parent ? parent->addMenu(q(e.caption)) : bar->addMenu(q(e.caption));
        for (const MenuEntry& child : e.items)
            addMenuEntry(bar, menu, child, wiring, actions);
        action = menu->menuAction();
    } else {
        action = parent ? parent->addAction(q(e.caption)) : bar->addAction(q(e.caption));
        const std::string name = e.name;
        QObject::connect(action, &QAction::triggered, [wiring, action, name] {
            // Check marks change only when the program says so: undo
            // Qt's own toggle before the program hears of the choice.
            if (action->isCheckable())
                action->setChecked(!action->isChecked());
            if (!wiring.ended)
                wiring.sink.menuChosen(name);
        });
        action->setCheckable(e.checkable);
        action->setChecked(e.checkable && e.checked);
    }
    action->setObjectName(q(e.name));
    action->setEnabled(e.enabled);
    actions[e.name] = action;
}

QWidget* addControl(QWidget* parent, const ControlSpec& c, Wiring wiring)
{
    QWidget* w = nullptr;
    switch (c.kind) {
    case ControlKind::Label: {
        auto* l = new FittedLabel(q(c.text), parent);
        QPalette pal = l->palette();
        pal.setColor(QPalette::WindowText, toQRgb(c.colour));
        if (c.opaque) {
            pal.setColor(QPalette::Window, Qt::white);
            l->setAutoFillBackground(true);
        }
        l->setPalette(pal);
        w = l;
        break;
    }
    case ControlKind::TextBox: {
        auto* e = new FittedTextBox(q(c.text), parent);
        if (c.maxLength > 0)
            e->setMaxLength(c.maxLength);
        e->setReadOnly(c.readOnly);
        if (c.readOnly)  // a chosen name is read from its start; a tip shows it whole
            QObject::connect(e, &QLineEdit::textChanged, e, [e](const QString& t) {
                e->setCursorPosition(0);
                e->setToolTip(t);
            });
        w = e;
        break;
    }
    case ControlKind::Button: {
        auto* b = new FittedButton(q(c.text), parent);
        const std::string name = c.name;
        QObject::connect(b, &QPushButton::clicked, [wiring, name] {
            if (!wiring.ended)
                wiring.sink.buttonClicked(name);
        });
        w = b;
        break;
    }
    case ControlKind::FileList: {
        auto* list = new QListWidget(parent);
        list->setUniformItemSizes(true);  // a long list is laid out without measuring every name
        list->setProperty("pattern", q(c.pattern));
        const std::string name = c.name;
        // Only a selection the user makes counts: the list taking the focus
        // moves its current row without selecting anything.
        QObject::connect(list, &QListWidget::itemSelectionChanged, [wiring, name, list] {
            const QList<QListWidgetItem*> chosen = list->selectedItems();
            if (!chosen.isEmpty() && !wiring.ended)
                wiring.sink.listSelected(name, chosen.front()->text().toStdString());
        });
        w = list;
        break;
    }
    case ControlKind::Picture: {
        auto* l = new QLabel(parent);
        l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        // A press on the photograph gives it the keyboard, as for any other
        // panel control, so keys then leave the brain alone.
        l->setFocusPolicy(Qt::StrongFocus);
        w = l;
        break;
    }
    }
    w->setObjectName(q(c.name));
    w->setGeometry(c.left, c.top, c.width, c.height);
    w->setProperty(kPanelControl, true);
    if (auto* l = dynamic_cast<FittedLabel*>(w))
        l->fit();
    else if (auto* b = dynamic_cast<FittedButton*>(w))
        b->fit();
    else if (auto* e = dynamic_cast<FittedTextBox*>(w); e && c.maxLength > 0)
        e->fit();
    w->installEventFilter(new PanelKeys(wiring, c.name, w));
    keepMouse(w);
    w->hide();
    return w;
}

}  // namespace platform
