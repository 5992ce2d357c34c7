#include "qt_window.h"

#include <xcb/xcb.h>

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPixmap>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <cassert>
#include <map>

#include "command_line.h"
#include "qt_accessible.h"
#include "qt_controls.h"
#include "qt_file_list.h"
#include "qt_fitted.h"
#include "qt_menu_focus.h"
#include "qt_main_window.h"
#include "qt_views.h"

// The icon pictures live in a resource of this static library: named here
// so that the linker keeps them.
static void loadIconResource()
{
    Q_INIT_RESOURCE(icons);
}

namespace platform {
namespace {

// A name the window was not built with is a slip in the program: a debug
// build stops at once instead of letting the call quietly do nothing.
template <class Map>
typename Map::mapped_type known(const Map& map, const std::string& name)
{
    auto it = map.find(name);
    assert(it != map.end() && "no control or menu entry of this name");
    return it == map.end() ? nullptr : it->second;
}

class QtHost : public Host {
public:
    QtHost(const WindowDesign& design, EventSink& sink)
        : sink_(sink), surface_(design.clientWidth, design.clientHeight, design.background)
    {
        window_.setWindowTitle(q(design.caption));
        wake_.setSingleShot(true);
        view_ = new SurfaceView(surface_, &window_);
        view_->designWidth = design.clientWidth;
        view_->designHeight = design.clientHeight;
        if (QGuiApplication::platformName() == QLatin1String("xcb"))
            view_->pointerRecord = X11PointerRecord::open();
        window_.setCentralWidget(view_);
        for (const MenuEntry& top : design.menus)
            addMenuEntry(window_.menuBar(), nullptr, top, wiring(), actions_);
        keepKeysFromMenuBar(window_.menuBar(), view_);
        for (const ControlSpec& c : design.controls)
            controls_[c.name] = addControl(view_, c, wiring());
        describeForAccessibility(window_, *view_);
        // The client area below the menu bar is the designed size exactly.
        window_.resize(design.clientWidth, design.clientHeight + window_.menuBar()->sizeHint().height());
        view_->flush();
    }

    void show() override
    {
        window_.sink = &sink_;
        view_->sink = &sink_;
        window_.show();
        window_.activateWindow();
        view_->setFocus();
    }

    Surface& surface() override { return surface_; }

    std::string caption() const override { return window_.windowTitle().toStdString(); }
    void setCaption(const std::string& text) override { window_.setWindowTitle(q(text)); }

    void setMenuChecked(const std::string& name, bool checked) override
    {
        if (QAction* a = known(actions_, name))
            a->setChecked(checked);
    }
    void setMenuEnabled(const std::string& name, bool enabled) override
    {
        if (QAction* a = known(actions_, name))
            a->setEnabled(enabled);
    }

    void setVisible(const std::string& control, bool visible) override
    {
        QWidget* w = widget(control);
        if (!w)
            return;
        const bool hadFocus = w->hasFocus();
        w->setVisible(visible);
        if (!visible && hadFocus)
            view_->setFocus();
    }
    std::string text(const std::string& control) const override
    {
        QWidget* w = widget(control);
        if (auto* e = qobject_cast<QLineEdit*>(w))
            return e->text().toStdString();
        if (auto* l = qobject_cast<QLabel*>(w))
            return l->text().toStdString();
        if (auto* b = qobject_cast<QPushButton*>(w))
            return b->text().toStdString();
        return {};
    }
    void setText(const std::string& control, const std::string& text) override
    {
        QWidget* w = widget(control);
        if (auto* e = qobject_cast<QLineEdit*>(w))
            e->setText(q(text));
        else if (auto* l = qobject_cast<QLabel*>(w))
            l->setText(q(text));
        else if (auto* b = qobject_cast<QPushButton*>(w))
            b->setText(q(text));
    }
    void rereadFiles(const std::string& list) override
    {
        if (auto* w = qobject_cast<QListWidget*>(widget(list)))
            rereadFileList(w);
    }
    void focus(const std::string& control) override
    {
        QWidget* w = widget(control);
        if (!w)
            return;
        w->setFocus(Qt::OtherFocusReason);
        if (auto* e = qobject_cast<QLineEdit*>(w))
            e->selectAll();
    }
    bool fitsAtUsualSize(const std::string& label, const std::string& text) const override
    {
        auto* l = dynamic_cast<FittedLabel*>(widget(label));
        return !l || l->fitsAtUsualSize(q(text));
    }
    void setPicture(const std::string& control, const Surface& picture) override
    {
        auto* label = qobject_cast<QLabel*>(widget(control));
        if (!label)
            return;
        QImage img(picture.width(), picture.height(), QImage::Format_RGB32);
        for (int y = 0; y < picture.height(); ++y) {
            auto* dst = reinterpret_cast<QRgb*>(img.scanLine(y));
            for (int x = 0; x < picture.width(); ++x)
                dst[x] = toQRgb(picture.point(x, y));
        }
        label->setPixmap(QPixmap::fromImage(img));
    }

    void processPendingEvents() override
    {
        // Repaints are handed to Qt at most every few milliseconds, so fast
        // maze play does not repaint the window once per step.
        if (!sinceFlush_.isValid() || sinceFlush_.elapsed() >= 8) {
            view_->flush();
            sinceFlush_.start();
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    }
    void waitForEvents(int timeoutMs) override
    {
        view_->flush();
        sinceFlush_.start();
        if (timeoutMs >= 0)
            wake_.start(timeoutMs);
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
    bool ended() const override { return closed_; }
    void setBusy(bool busy) override
    {
        if (busy == busy_)
            return;
        busy_ = busy;
        if (busy)
            QApplication::setOverrideCursor(Qt::WaitCursor);
        else
            QApplication::restoreOverrideCursor();
        // The program handles no events while it is busy, so nothing else
        // would send the new cursor to the X server until it is done.
        if (auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>())
            if (xcb_connection_t* connection = x11->connection())
                xcb_flush(connection);
    }
    void placeArea(const std::string& name, Rect area) override
    {
        // Placed on every repaint of the swatch: the map is rebuilt only when a place changes.
        const QRect r(QPoint(area.left, area.top), QPoint(area.right, area.bottom));
        if (auto [at, fresh] = areas_.try_emplace(name, r); fresh || at->second != r) {
            at->second = r;
            placeAccessibleArea(*view_, name, r);
        }
    }
    void end() override
    {
        closed_ = true;
        window_.sink = nullptr;
        view_->sink = nullptr;
        window_.hide();
    }

    QWidget* widget(const std::string& name) const { return known(controls_, name); }

private:
    Wiring wiring() { return {sink_, closed_}; }

    EventSink& sink_;
    Surface surface_;
    MainWindow window_;
    SurfaceView* view_ = nullptr;
    std::map<std::string, QAction*> actions_;
    std::map<std::string, QWidget*> controls_;
    std::map<std::string, QRect> areas_;  // as last placed
    QElapsedTimer sinceFlush_;
    QTimer wake_;
    bool closed_ = false;
    bool busy_ = false;
};

// The desktop's scale is rounded to a whole factor, so that each of the
// window's pixels is an exact k x k block of screen pixels and every text
// and control grows with the rest.
void useWholeScaleFactors()
{
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(Qt::HighDpiScaleFactorRoundingPolicy::Round);
    bool given = false;
    const double forced = qEnvironmentVariable("QT_SCALE_FACTOR").toDouble(&given);
    if (given)
        qputenv("QT_SCALE_FACTOR", QByteArray::number(std::max(1L, std::lround(forced))));
}

QIcon programIcon()
{
    loadIconResource();
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
        icon.addFile(QString(":/cerebrix/icons/%1.png").arg(size), QSize(size, size));
    return icon;
}

}  // namespace

struct Toolkit::Impl {
    std::unique_ptr<QApplication> app;
};

Toolkit::Toolkit(int& argc, char** argv) : impl_(std::make_unique<Impl>())
{
    useWholeScaleFactors();
    // With only a Wayland display, talk to it directly instead of looking
    // for an X server that is not there.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
        !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "wayland");
    QApplication::setAttribute(Qt::AA_DontUseNativeMenuBar);
    // Every movement is a painted segment of its own: none may be merged.
    QApplication::setAttribute(Qt::AA_CompressHighFrequencyEvents, false);
    watchDisplayOpening(true);
    impl_->app = std::make_unique<QApplication>(argc, argv);
    watchDisplayOpening(false);
    QApplication::setQuitOnLastWindowClosed(false);
    QGuiApplication::setDesktopFileName("org.cerebrix.Cerebrix");
    QApplication::setWindowIcon(programIcon());
}

Toolkit::~Toolkit() = default;

std::unique_ptr<Host> Toolkit::openWindow(const WindowDesign& design, EventSink& sink)
{
    return std::make_unique<QtHost>(design, sink);
}

}  // namespace platform
