#include "qt_views.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

#include "keymap.h"

namespace platform {
namespace {

int buttonsOf(Qt::MouseButtons b)
{
    return (b & Qt::LeftButton ? mouse::Left : 0) | (b & Qt::RightButton ? mouse::Right : 0) |
           (b & Qt::MiddleButton ? mouse::Middle : 0);
}

}  // namespace

SurfaceView::SurfaceView(Surface& surface, QWidget* parent) : QWidget(parent), surface_(surface)
{
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
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

void SurfaceView::flush()
{
    const Rect r = surface_.takeDirty();
    if (r.empty())
        return;
    if (image_.width() < surface_.width() || image_.height() < surface_.height()) {
        QImage grown(std::max(image_.width(), surface_.width()), std::max(image_.height(), surface_.height()),
                     QImage::Format_RGB32);
        grown.fill(Qt::white);
        QPainter p(&grown);
        p.drawImage(0, 0, image_);
        image_ = grown;
    }
    const int right = std::min(r.right, surface_.width() - 1);
    const int bottom = std::min(r.bottom, surface_.height() - 1);
    for (int y = std::max(r.top, 0); y <= bottom; ++y) {
        const Colour* src = surface_.row(y);
        auto* dst = reinterpret_cast<QRgb*>(image_.scanLine(y));
        for (int x = std::max(r.left, 0); x <= right; ++x)
            dst[x] = toQRgb(src[x]);
    }
    update(QRect(QPoint(r.left, r.top), QPoint(right, bottom)));
}

void SurfaceView::paintEvent(QPaintEvent* e)
{
    QPainter p(this);
    p.drawImage(e->rect(), image_, e->rect());
}

void SurfaceView::resizeEvent(QResizeEvent*)
{
    surface_.resize(width(), height(), rgb(255, 255, 255));
    if (sink)
        sink->surfaceResized(width(), height());
    flush();
}

void SurfaceView::mousePressEvent(QMouseEvent* e)
{
    if (!sink)
        return;
    int button = 0;
    switch (e->button()) {
    case Qt::LeftButton: button = mouse::Left; break;
    case Qt::RightButton: button = mouse::Right; break;
    case Qt::MiddleButton: button = mouse::Middle; break;
    default: break;
    }
    const QPoint p = e->position().toPoint();
    sink->mousePressed(button, p.x(), p.y());
}

void SurfaceView::mouseMoveEvent(QMouseEvent* e)
{
    if (sink) {
        const QPoint p = e->position().toPoint();
        sink->mouseMoved(buttonsOf(e->buttons()), p.x(), p.y());
    }
}

void SurfaceView::keyPressEvent(QKeyEvent* e)
{
    // A key a focused panel control did not want stays with it.
    QWidget* focus = QApplication::focusWidget();
    if (focus && focus != this) {
        e->accept();
        return;
    }
    if (sink)
        sink->keyPressed(virtualKeyCode(e->key(), e->modifiers() & Qt::KeypadModifier));
    e->accept();
}

void SurfaceView::keyReleaseEvent(QKeyEvent* e)
{
    e->accept();
}

// Tab pressed on the surface is a key like any other for the program, not a
// move of the focus into an open panel; between the panel's own controls it
// still moves the focus.
bool SurfaceView::focusNextPrevChild(bool next)
{
    return hasFocus() ? false : QWidget::focusNextPrevChild(next);
}

}  // namespace platform
