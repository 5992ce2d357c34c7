#include "qt_controls.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>

#include "qt_views.h"

namespace platform {
namespace {

// A label's text must show whole in its designed box: shrink the font
// until the wrapped text fits.
void fitText(QLabel* label, int width, int height)
{
    QFont font = label->font();
    for (int px = 13; px >= 7; --px) {
        font.setPixelSize(px);
        label->setFont(font);
        if (label->heightForWidth(width) <= height)
            return;
    }
}

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
            action->setChecked(!action->isChecked());
            if (!wiring.ended)
                wiring.sink.menuChosen(name);
        });
        action->setCheckable(true);
        action->setChecked(e.checked);
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
        auto* l = new QLabel(q(c.text), parent);
        l->setWordWrap(true);
        l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        QPalette pal = l->palette();
        pal.setColor(QPalette::WindowText, toQRgb(c.colour));
        l->setPalette(pal);
        w = l;
        break;
    }
    case ControlKind::TextBox: {
        auto* e = new QLineEdit(q(c.text), parent);
        if (c.maxLength > 0)
            e->setMaxLength(c.maxLength);
        e->setReadOnly(c.readOnly);
        w = e;
        break;
    }
    case ControlKind::Button: {
        auto* b = new QPushButton(q(c.text), parent);
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
        list->setProperty("pattern", q(c.pattern));
        const std::string name = c.name;
        QObject::connect(list, &QListWidget::currentTextChanged, [wiring, name](const QString& t) {
            if (!wiring.ended)
                wiring.sink.listSelected(name, t.toStdString());
        });
        w = list;
        break;
    }
    case ControlKind::Picture: {
        auto* l = new QLabel(parent);
        l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        w = l;
        break;
    }
    }
    w->setObjectName(q(c.name));
    w->setGeometry(c.left, c.top, c.width, c.height);
    if (c.kind == ControlKind::Label)
        fitText(static_cast<QLabel*>(w), c.width, c.height);
    keepMouse(w);
    w->hide();
    return w;
}

}  // namespace platform
