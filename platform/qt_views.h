#pragma once
// The two widgets of the window: the top-level frame, and the client area
// that shows the retained surface and passes mouse and keys to the program.
#include <QImage>
#include <QMainWindow>
#include <QRgb>
#include <QString>
#include <string>

#include "host.h"

namespace platform {

inline QRgb toQRgb(Colour c)
{
    return qRgb(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

inline QString q(const std::string& s)
{
    return QString::fromStdString(s);
}

class MainWindow : public QMainWindow {
public:
    EventSink* sink = nullptr;

protected:
    bool event(QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    bool announcedActive_ = false;
};

class SurfaceView : public QWidget {
public:
    SurfaceView(Surface& surface, QWidget* parent);

    EventSink* sink = nullptr;
    int designWidth = 0, designHeight = 0;

    // Copies what changed on the surface into the shown image.
    void flush();
    QSize sizeHint() const override { return {designWidth, designHeight}; }

protected:
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent*) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;
    bool focusNextPrevChild(bool next) override;

private:
    Surface& surface_;
    QImage image_;
};

}  // namespace platform
