// The wait cursor of a long load or save, on the real window.
#include <QGuiApplication>

#include "files/busy_cursor.h"
#include "live_window.h"

class BusyCursorTest : public QObject {
    Q_OBJECT

private slots:
    // Shown at the first sign of progress once the moment has passed, never
    // for an operation quicker than that, and gone with the operation.
    void showsOnlyPastTheMoment()
    {
        LiveWindow w;
        const std::pair<int, bool> rows[] = {{0, true}, {3600 * 1000, false}};
        for (const auto& [ms, shown] : rows) {
            {
                files::BusyCursor busy(w.host(), std::chrono::milliseconds(ms));
                QVERIFY(!QGuiApplication::overrideCursor());
                const storage::Progress progress = busy.progress();
                progress();
                progress();
                const QCursor* cursor = QGuiApplication::overrideCursor();
                QCOMPARE(cursor && cursor->shape() == Qt::WaitCursor, shown);
            }
            QVERIFY(!QGuiApplication::overrideCursor());
        }
    }
};

QTEST_APPLESS_MAIN(BusyCursorTest)
#include "busy_cursor_test.moc"
