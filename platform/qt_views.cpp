#include "qt_views.h"

#include <QApplication>
#include <QPixmap>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPointingDevice>
#include <algorithm>
#include <cmath>
#include <cstring>

#include "keymap.h"

namespace platform {
namespace {

int buttonsOf(Qt::MouseButtons b)
{
    return (b & Qt::LeftButton ? mouse::Left : 0) | (b & Qt::RightButton ? mouse::Right : 0) |
           (b & Qt::MiddleButton ? mouse::Middle : 0);
}

// The surface pixel under a position: on a scaled screen a position falls
// inside a pixel's k x k block, never half-way to the next pixel.
QPoint surfacePoint(const QPointF& p)
{
    return {int(std::floor(p.x())), int(std::floor(p.y()))};
}

// The format of the screen's own images, so that showing ours converts nothing.
QImage::Format screenFormat()
{
    static const QImage::Format format = [] {
        QPixmap probe(1, 1);
        probe.fill(Qt::white);
        return probe.toImage().format();
    }();
    return format;
}

}  // namespace

SurfaceView::SurfaceView(Surface& surface, QWidget* parent) : QWidget(parent), surface_(surface)
{
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

int SurfaceView::pixelScale() const
{
    return std::max(1, qRound(devicePixelRatioF()));
}

void SurfaceView::flush()
{
    Rect r = surface_.takeDirty();
    const int k = pixelScale();
    const QSize need(surface_.width() * k, surface_.height() * k);
    if (k != scale_ || image_.width() < need.width() || image_.height() < need.height()) {
        // A new scale, or a larger surface: the surface keeps every pixel,
        // so the image is simply made again from all of it.
        const QSize grown = k == scale_ ? image_.size().expandedTo(need) : need;
        image_ = QImage(grown, screenFormat());
        image_.fill(Qt::white);
        scale_ = k;
        r = {0, 0, surface_.width() - 1, surface_.height() - 1};
        update();
    }
    if (r.empty())
        return;
    r.left = std::max(r.left, 0);
    r.top = std::max(r.top, 0);
    r.right = std::min(r.right, surface_.width() - 1);
    r.bottom = std::min(r.bottom, surface_.height() - 1);
    copyToImage(r);
    update(QRect(QPoint(r.left, r.top), QPoint(r.right, r.bottom)));
}

void SurfaceView::copyToImage(const Rect& r)
{
    const int k = scale_;
    const bool direct = image_.format() == QImage::Format_RGB32 || image_.format() == QImage::Format_ARGB32 ||
                        image_.format() == QImage::Format_ARGB32_Premultiplied;
    for (int y = r.top; y <= r.bottom; ++y) {
        const Colour* src = surface_.row(y);
        if (direct) {
            auto* dst = reinterpret_cast<QRgb*>(image_.scanLine(y * k));
            for (int x = r.left; x <= r.right; ++x)
                std::fill_n(dst + x * k, k, toQRgb(src[x]));
            const auto bytes = std::size_t(r.right - r.left + 1) * std::size_t(k) * sizeof(QRgb);
            for (int dy = 1; dy < k; ++dy)
                std::memcpy(image_.scanLine(y * k + dy) + std::size_t(r.left * k) * sizeof(QRgb), dst + r.left * k, bytes);
        } else {
            for (int x = r.left; x <= r.right; ++x)
                for (int dy = 0; dy < k; ++dy)
                    for (int dx = 0; dx < k; ++dx)
                        image_.setPixel(x * k + dx, y * k + dy, toQRgb(src[x]));
        }
    }
}

void SurfaceView::paintEvent(QPaintEvent* e)
{
    if (pixelScale() != scale_)
        flush();
    // The image is in screen pixels and the screen's format already: it is
    // copied 1:1, so nothing is scaled, smoothed or converted on the way
    // (Qt would split a large conversion over helper threads).
    QPainter p(this);
    const int k = scale_;
    p.scale(1.0 / k, 1.0 / k);
    const QRect device(e->rect().topLeft() * k, e->rect().size() * k);
    p.drawImage(device.topLeft(), image_, device);
}

void SurfaceView::resizeEvent(QResizeEvent*)
{
    surface_.resize(width(), height(), rgb(255, 255, 255));
    if (sink)
        sink->surfaceResized(width(), height());
    flush();
}

// The event's place in the record, the movements before it that the
// toolkit left out handed on first, each at the surface point it was made
// at. A movement without a button held is this surface's only where no
// control covers it; with a button held the pointer belongs to whoever took
// the press, and a press that went elsewhere ends what may be restored.
void SurfaceView::catchUp(QMouseEvent* e, PointerKind kind)
{
    // A double click's second press comes as a press and then once more as
    // a double click: the record holds it once.
    if (!pointerRecord || !sink || !e->spontaneous() || e->type() == QEvent::MouseButtonDblClick
        || !e->pointingDevice() || e->pointingDevice()->type() != QInputDevice::DeviceType::Mouse)
        return;
    const int k = std::max(1, qRound(devicePixelRatioF()));
    const QPoint screen = (e->globalPosition() * k).toPoint();
    const auto time = std::uint32_t(e->timestamp());
    std::vector<PointerEvent> missed;
    PointerEvent matched;
    bool placed = pointerRecord->read() && pointerRecord->log().deliver(kind, time, screen.x(), screen.y(), k, missed, matched);
    // The server sends the record before the event itself; this waits only
    // for a connection slower than the toolkit's.
    for (int tries = 0; !placed && tries < 5 && pointerRecord->read(10); ++tries)
        placed = pointerRecord->log().deliver(kind, time, screen.x(), screen.y(), k, missed, matched);
    if (!placed) {
        // Nothing recorded so far may come later, or it could come twice.
        pointerRecord->log().forget();
        // A record that never matches is no record: the toolkit's events alone.
        if (++unplaced_ >= 3)
            pointerRecord.reset();
        return;
    }
    unplaced_ = 0;
    const QPoint local = (e->position() * k).toPoint();
    const int originX = matched.x - local.x(), originY = matched.y - local.y();
    const auto surfaceAt = [k](int v) { return v >= 0 ? v / k : -((-v + k - 1) / k); };
    for (const PointerEvent& m : missed) {
        const QPoint p(surfaceAt(m.x - originX), surfaceAt(m.y - originY));
        if (m.buttons == 0 && (!rect().contains(p) || childAt(p)))
            continue;
        if (!sink)
            return;
        sink->mouseMoved(m.buttons, p.x(), p.y());
    }
}

void SurfaceView::mousePressEvent(QMouseEvent* e)
{
    catchUp(e, PointerKind::Press);
    if (!sink)
        return;
    int button = 0;
    switch (e->button()) {
    case Qt::LeftButton: button = mouse::Left; break;
    case Qt::RightButton: button = mouse::Right; break;
    case Qt::MiddleButton: button = mouse::Middle; break;
    default: break;
    }
    const QPoint p = surfacePoint(e->position());
    sink->mousePressed(button, p.x(), p.y());
}

void SurfaceView::mouseMoveEvent(QMouseEvent* e)
{
    catchUp(e, PointerKind::Move);
    if (sink) {
        const QPoint p = surfacePoint(e->position());
        sink->mouseMoved(buttonsOf(e->buttons()), p.x(), p.y());
    }
}

// The program has nothing to do on a release, but the movements made before
// it belong before it.
void SurfaceView::mouseReleaseEvent(QMouseEvent* e)
{
    catchUp(e, PointerKind::Release);
}

void SurfaceView::keyPressEvent(QKeyEvent* e)
{
    // A key a focused panel control did not want stays with it.
    QWidget* focus = QApplication::focusWidget();
    if (focus && focus != this) {
        e->accept();
        return;
    }
    // A held key repeats for the window only if its press began here: the
    // Enter that closed a panel does not go on to generate.
    if (!e->isAutoRepeat())
        held_.insert(e->key());
    else if (!held_.contains(e->key())) {
        e->accept();
        return;
    }
    if (sink)
        sink->keyPressed(virtualKeyCode(e->key(), e->modifiers() & Qt::KeypadModifier));
    e->accept();
}

void SurfaceView::keyReleaseEvent(QKeyEvent* e)
{
    if (!e->isAutoRepeat())
        held_.remove(e->key());
    e->accept();
}

// A key released while the keyboard is elsewhere is never seen here.
void SurfaceView::focusOutEvent(QFocusEvent* e)
{
    held_.clear();
    QWidget::focusOutEvent(e);
}

// Tab pressed on the surface is a key like any other for the program, not a
// move of the focus into an open panel; between the panel's own controls it
// still moves the focus.
bool SurfaceView::focusNextPrevChild(bool next)
{
    return hasFocus() ? false : QWidget::focusNextPrevChild(next);
}

}  // namespace platform
