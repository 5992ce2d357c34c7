#include "qt_main_window.h"

#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>

#include "file_names.h"

namespace platform {
namespace {

// The one local file a drag carries, or nothing.
std::string draggedFile(const QMimeData* data)
{
    if (!data || !data->hasUrls() || data->urls().size() != 1 || !data->urls().front().isLocalFile())
        return {};
    return localFileBytes(data->urls().front());
}

}  // namespace

MainWindow::MainWindow()
{
    setAcceptDrops(true);
}

void MainWindow::dragEnterEvent(QDragEnterEvent* e)
{
    dragMoveEvent(e);
}

void MainWindow::dragMoveEvent(QDragMoveEvent* e)
{
    const std::string path = draggedFile(e->mimeData());
    if (sink && !path.empty() && sink->acceptsDrop(path))
        e->acceptProposedAction();
    else
        e->ignore();
}

void MainWindow::dropEvent(QDropEvent* e)
{
    const std::string path = draggedFile(e->mimeData());
    if (!sink || path.empty() || !sink->acceptsDrop(path)) {
        e->ignore();
        return;
    }
    e->acceptProposedAction();
    sink->fileDropped(path);
}

bool MainWindow::event(QEvent* e)
{
    if (e->type() == QEvent::WindowActivate && sink && !announcedActive_) {
        announcedActive_ = true;
        sink->activated();
    }
    return QMainWindow::event(e);
}

void MainWindow::closeEvent(QCloseEvent* e)
{
    if (sink)
        sink->closeRequested();
    e->accept();
}

}  // namespace platform
