#include "qt_accessible.h"

#include <QAccessibleWidget>
#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QPointer>
#include <QVariantMap>
#include <map>

#include "label_beside.h"


namespace platform {
namespace {

constexpr const char* kAreas = "accessibleAreas";  // on the surface: name -> QRect in surface pixels

// A thing drawn on the surface, such as the grid: no widget of its own, only
// a place and a name.
class AreaAccessible : public QAccessibleInterface {
public:
    AreaAccessible(QWidget* surface, QString name) : surface_(surface), name_(std::move(name)) {}

    bool isValid() const override { return !surface_.isNull(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return surface_ ? surface_->window()->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(surface_); }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* focusChild() const override { return nullptr; }
    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name)
            return name_;
        return t == QAccessible::Description ? "Picture " + name_ : QString();
    }
    void setText(QAccessible::Text, const QString&) override {}
    QAccessible::Role role() const override { return QAccessible::Graphic; }
    QAccessible::State state() const override
    {
        QAccessible::State s;
        s.invisible = !surface_ || !surface_->isVisible();
        return s;
    }
    QRect rect() const override
    {
        if (!surface_)
            return {};
        const QRect area = surface_->property(kAreas).toMap().value(name_).toRect();
        return {surface_->mapToGlobal(area.topLeft()), area.size()};
    }

private:
    QPointer<QWidget> surface_;
    QString name_;
};

// The surface: its controls as for any widget, then its areas.
class SurfaceAccessible : public QAccessibleWidget {
public:
    explicit SurfaceAccessible(QWidget* w) : QAccessibleWidget(w, QAccessible::Client) {}
    ~SurfaceAccessible() override
    {
        for (const auto& [name, id] : areas_)
            QAccessible::deleteAccessibleInterface(id);
    }

    int childCount() const override { return QAccessibleWidget::childCount() + int(names().size()); }
    QAccessibleInterface* child(int index) const override
    {
        const int widgets = QAccessibleWidget::childCount();
        if (index < widgets)
            return QAccessibleWidget::child(index);
        const QStringList n = names();
        return index - widgets < n.size() ? area(n[index - widgets]) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override
    {
        const QStringList n = names();
        for (int i = 0; i < n.size(); ++i)
            if (area(n[i]) == child)
                return QAccessibleWidget::childCount() + i;
        return QAccessibleWidget::indexOfChild(child);
    }
    QAccessibleInterface* childAt(int x, int y) const override
    {
        // A shown control lies above what is drawn; hidden ones are not there.
        for (int i = QAccessibleWidget::childCount() - 1; i >= 0; --i)
            if (QAccessibleInterface* c = QAccessibleWidget::child(i);
                c && !c->state().invisible && c->rect().contains(x, y))
                return c;
        for (const QString& name : names())
            if (QAccessibleInterface* a = area(name); a->rect().contains(x, y))
                return a;
        return nullptr;
    }

private:
    QStringList names() const { return widget()->property(kAreas).toMap().keys(); }
    QAccessibleInterface* area(const QString& name) const
    {
        auto [at, fresh] = areas_.try_emplace(name, 0);
        if (fresh)
            at->second = QAccessible::registerAccessibleInterface(new AreaAccessible(widget(), name));
        return QAccessible::accessibleInterface(at->second);
    }

    mutable std::map<QString, QAccessible::Id> areas_;
};

QAccessibleInterface* surfaceFactory(const QString&, QObject* o)
{
    auto* w = qobject_cast<QWidget*>(o);
    return w && w->property(kAreas).isValid() ? new SurfaceAccessible(w) : nullptr;
}

void describeMenu(QMenu& menu, const QString& kind)
{
    menu.setAccessibleName(menu.title());
    menu.setAccessibleDescription(kind + " " + menu.title());
    // Qt reads an item out by its own text, and gives items no description.
    for (QAction* a : menu.actions())
        if (QMenu* sub = a->menu())
            describeMenu(*sub, "Submenu");
}

Rect rectOf(const QRect& r)
{
    return {r.left(), r.top(), r.right(), r.bottom()};
}

QLabel* labelOf(const QLineEdit& box)
{
    for (QLabel* l : box.parentWidget()->findChildren<QLabel*>(Qt::FindDirectChildrenOnly))
        if (!l->text().isEmpty() && labelNamesBox(rectOf(l->geometry()), rectOf(box.geometry())))
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
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(surfaceFactory);
        return true;
    }();
    Q_UNUSED(factoryInstalled);
    surface.setProperty(kAreas, QVariantMap());
    surface.setAccessibleName("Drawing surface");
    surface.setAccessibleDescription("Drawing surface of the window " + window.windowTitle().section(" - ", 0, 0));
}

void placeAccessibleArea(QWidget& surface, const std::string& name, const QRect& area)
{
    QVariantMap areas = surface.property(kAreas).toMap();
    areas[QString::fromStdString(name)] = area;
    surface.setProperty(kAreas, areas);
}

}  // namespace platform
