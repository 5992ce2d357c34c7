#pragma once
// The client area of the window: it shows the retained surface and passes
// mouse and keys to the program (the frame around it is qt_main_window.h).
#include <QImage>
#include <QWidget>
#include <QRgb>
#include <QSet>
#include <QString>
#include <memory>
#include <string>

#include "host.h"
#include "x11_pointer_record.h"

namespace platform {

inline QRgb toQRgb(Colour c)
{
    return qRgb(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

inline QString q(const std::string& s)
{
    return QString::fromStdString(s);
}

class SurfaceView : public QWidget {
public:
    SurfaceView(Surface& surface, QWidget* parent);

    EventSink* sink = nullptr;
    int designWidth = 0, designHeight = 0;

    // Copies what changed on the surface into the shown image.
    void flush();
    // Screen pixels per surface pixel: a whole number, 1 on an unscaled desktop.
    int pixelScale() const;
    QSize sizeHint() const override { return {designWidth, designHeight}; }

    // The server's record of the pointer, on X11, from which the movements
    // the toolkit merged are handed on one by one; without it, only those
    // the toolkit delivers.
    std::unique_ptr<X11PointerRecord> pointerRecord;

protected:
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent*) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    bool focusNextPrevChild(bool next) override;

private:
    // Copies a surface rectangle into the image, each point as a k x k block.
    void copyToImage(const Rect& r);
    // Hands on, before `e`, the movements the server sent ahead of it that
    // the toolkit left out.
    void catchUp(QMouseEvent* e, PointerKind kind);

    Surface& surface_;
    QImage image_;  // in screen pixels and the screen's own format
    int scale_ = 0;  // the pixelScale() image_ was made for
    QSet<int> held_;  // keys whose press reached the program and are still down
    int unplaced_ = 0;  // events running that the record could not place
};

}  // namespace platform
