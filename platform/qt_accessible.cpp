#include "qt_accessible.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <cstdlib>

namespace platform {
namespace {

void describeMenu(QMenu& menu, const QString& kind)
{
    menu.setAccessibleName(menu.title());
    menu.setAccessibleDescription(kind + " " + menu.title());
    // Qt reads an item out by its own text, and gives items no description.
    for (QAction* a : menu.actions())
        if (QMenu* sub = a->menu())
            describeMenu(*sub, "Submenu");
}

// The label that names a text box stands in the same row and ends where the box begins.
QLabel* labelOf(const QLineEdit& box)
{
    for (QLabel* l : box.parentWidget()->findChildren<QLabel*>(Qt::FindDirectChildrenOnly))
        if (!l->text().isEmpty() && l->y() == box.y() && std::abs(l->geometry().right() + 1 - box.x()) <= 1)
            return l;
    return nullptr;
}

}  // namespace

void describeForAccessibility(QMainWindow& window, QWidget& surface)
{
    window.menuBar()->setAccessibleName("Menu bar");
    window.menuBar()->setAccessibleDescription("Menu bar of " + window.windowTitle().section(" - ", 0, 0));
    for (QAction* a : window.menuBar()->actions())
        if (QMenu* m = a->menu())
            describeMenu(*m, "Menu");

    for (QWidget* w : surface.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (auto* box = qobject_cast<QLineEdit*>(w)) {
            QLabel* label = labelOf(*box);
            if (label)
                label->setBuddy(box);
            const QString name = label ? label->text() : QString();
            box->setAccessibleDescription((box->isReadOnly() ? "Read-only text box " : "Text box ") + name);
        } else if (auto* button = qobject_cast<QPushButton*>(w)) {
            button->setAccessibleDescription("Button " + button->text());
        } else if (auto* list = qobject_cast<QListWidget*>(w)) {
            const QString pattern = list->property("pattern").toString();
            list->setAccessibleName("Files " + pattern);
            list->setAccessibleDescription("List of the files " + pattern + " in the working folder");
        } else if (auto* label = qobject_cast<QLabel*>(w)) {
            if (label->focusPolicy() != Qt::NoFocus) {  // the photograph, a picture box
                label->setAccessibleName("Picture");
                label->setAccessibleDescription("Picture box");
            } else {
                label->setAccessibleDescription("Label");
            }
        }
    }
    surface.setAccessibleName("Brain grid");
    surface.setAccessibleDescription("Brain grid, drawn on with the mouse, and the Drawing colour swatch at its left");
}

}  // namespace platform
