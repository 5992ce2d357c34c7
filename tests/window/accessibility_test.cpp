// What a screen reader hears: every control and menu of the live window has
// a name and a description, taken from what it shows, and every menu item a
// name; a text box is named by the label beside it.
#include <QAccessible>
#include <QMenu>

#include "live_window.h"

namespace {

QString said(QObject* o, QAccessible::Text t)
{
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(o);
    return a ? a->text(t) : QString();
}

}  // namespace

class AccessibilityTest : public QObject {
    Q_OBJECT

private slots:
    void controlsAndTheGrid()
    {
        LiveWindow w;
        // Control; the name it is read out by.
        const std::pair<QString, QString> rows[] = {
            {"Label1", "Save brain as:"}, {"Text1", "Save brain as:"},
            {"Text2", "Name of brain to load:"}, {"Text3", "Amount of red (0-255):"},
            {"Text4", "Amount of green (0-255):"}, {"Text5", "Amount of blue (0-255)"},
            {"Command1", "Done"}, {"Command7", "Set to middle value"},
        };
        for (const auto& [control, name] : rows)
            QVERIFY2(said(w.control(control), QAccessible::Name) == name, qPrintable(control));
        // And every control there is, the grid too.
        QList<QWidget*> all = w.view()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
        all << w.view();
        for (QWidget* c : all) {
            if (c->objectName() == "FileMessage")  // read out as its message, empty while there is none
                continue;
            QVERIFY2(!said(c, QAccessible::Name).isEmpty(), qPrintable(c->objectName()));
            QVERIFY2(!said(c, QAccessible::Description).isEmpty(), qPrintable(c->objectName()));
        }
    }

    // The grid and the swatch have no widget: they are parts of the surface,
    // found where they are drawn, and the grid follows a size change.
    void drawnAreas()
    {
        LiveWindow w;
        QAccessibleInterface* surface = QAccessible::queryAccessibleInterface(w.view());
        const auto found = [&](QPoint at) {
            const QPoint global = w.view()->mapToGlobal(at);
            QAccessibleInterface* a = surface->childAt(global.x(), global.y());
            return a ? a->text(QAccessible::Name) : QString();
        };
        // Steps; a grid cell (true) or a surface point; what is found there.
        const std::tuple<QString, bool, QPoint, QString> rows[] = {
            {"", true, {0, 0}, "Brain grid"},
            {"", true, {29, 29}, "Brain grid"},
            {"", true, {30, 30}, ""},
            {"", true, {-1, 0}, ""},
            {"", false, {10, 206}, "Drawing colour"},
            {"", false, {110, 256}, "Drawing colour"},
            {"", false, {111, 206}, ""},
            {"key +", true, {39, 39}, "Brain grid"},
            {"key Enter", false, {20, 210}, "Drawing colour"},
            {"", true, {40, 0}, ""},
            {"menu savebrain", false, {20, 210}, "Cancel"},  // a shown control lies above the swatch
        };
        for (const auto& [steps, inGrid, p, name] : rows) {
            w.run(steps);
            const QPoint at = inGrid ? w.cell(p.x(), p.y()) : p;
            QVERIFY2(found(at) == name, qPrintable(steps + QString(" at %1,%2: ").arg(at.x()).arg(at.y()) + found(at)));
        }
        QStringList areas;  // the children that are no widget
        for (int i = 0; i < surface->childCount(); ++i)
            if (QAccessibleInterface* c = surface->child(i); !c->object()) {
                areas << c->text(QAccessible::Name);
                QCOMPARE(surface->indexOfChild(c), i);
                QCOMPARE(c->parent(), surface);
                QVERIFY(!c->text(QAccessible::Description).isEmpty());
            }
        QCOMPARE(areas, QStringList({"Brain grid", "Drawing colour"}));
    }

    void menus()
    {
        LiveWindow w;
        int items = 0;
        QList<QMenu*> menus = w.mainWindow()->menuBar()->findChildren<QMenu*>();
        QVERIFY(menus.size() >= 4);
        for (QMenu* m : menus) {
            QCOMPARE(said(m, QAccessible::Name), m->title());
            QVERIFY2(said(m, QAccessible::Description).contains(m->title()), qPrintable(m->title()));
            QAccessibleInterface* a = QAccessible::queryAccessibleInterface(m);
            for (int i = 0; i < a->childCount(); ++i, ++items) {
                QAccessibleInterface* item = a->child(i);
                // Qt reads an item out by its text; it has no description to give.
                QVERIFY2(!item->text(QAccessible::Name).isEmpty(), qPrintable(m->title()));
            }
        }
        QVERIFY(items > 20);
    }
};

QTEST_APPLESS_MAIN(AccessibilityTest)
#include "accessibility_test.moc"
