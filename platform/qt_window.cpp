#include "qt_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QTimer>
#include <QWidget>
#include <map>

#include "keymap.h"

namespace platform {
namespace {

QRgb toQRgb(Colour c)
{
    return qRgb(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

QString q(const std::string& s)
{
    return QString::fromStdString(s);
}

int buttonsOf(Qt::MouseButtons b)
{
    return (b & Qt::LeftButton ? mouse::Left : 0) | (b & Qt::RightButton ? mouse::Right : 0) |
           (b & Qt::MiddleButton ? mouse::Middle : 0);
}

// A label's text must show whole in its designed box: shrink the font
// until the wrapped text fits.
void fitText(QLabel* label, int width, int height)
{
    QFont font = label->font();
    for (int px = 13; px >= 7; --px) {
        font.setPixelSize(px);
        label->setFont(font);
        if (label->heightForWidth(width) <= height)
            return;
    }
}

// A panel control takes presses and moves over itself: none of them may
// fall through to the drawing surface underneath.
void keepMouse(QWidget* w)
{
    w->setAttribute(Qt::WA_NoMousePropagation);
}

class SurfaceView;

class MainWindow : public QMainWindow {
public:
    EventSink* sink = nullptr;
    bool announcedActive = false;

protected:
    bool event(QEvent* e) override
    {
        if (e->type() == QEvent::WindowActivate && sink && !announcedActive) {
            announcedActive = true;
            sink->activated();
        }
        return QMainWindow::event(e);
    }
    void closeEvent(QCloseEvent* e) override
    {
        if (sink)
            sink->closeRequested();
        e->accept();
    }
};

// The client area: shows the retained surface, passes mouse and keys on.
class SurfaceView : public QWidget {
public:
    SurfaceView(Surface& surface, QWidget* parent) : QWidget(parent), surface_(surface)
    {
        setMouseTracking(true);
        setFocusPolicy(Qt::StrongFocus);
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

    EventSink* sink = nullptr;
    int designWidth = 0, designHeight = 0;
    std::vector<QWidget*> controls;

    // Copies what changed on the surface into the shown image.
    void flush()
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

    QSize sizeHint() const override { return {designWidth, designHeight}; }

protected:
    void paintEvent(QPaintEvent* e) override
    {
        QPainter p(this);
        p.drawImage(e->rect(), image_, e->rect());
    }
    void resizeEvent(QResizeEvent*) override
    {
        surface_.resize(width(), height(), rgb(255, 255, 255));
        if (sink)
            sink->surfaceResized(width(), height());
        flush();
    }
    void mousePressEvent(QMouseEvent* e) override
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
    void mouseMoveEvent(QMouseEvent* e) override
    {
        if (sink) {
            const QPoint p = e->position().toPoint();
            sink->mouseMoved(buttonsOf(e->buttons()), p.x(), p.y());
        }
    }
    void keyPressEvent(QKeyEvent* e) override
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
    void keyReleaseEvent(QKeyEvent* e) override { e->accept(); }
    // Tab pressed on the surface is a key like any other for the program,
    // not a move of the focus into an open panel; between the panel's own
    // controls it still moves the focus.
    bool focusNextPrevChild(bool next) override { return hasFocus() ? false : QWidget::focusNextPrevChild(next); }

private:
    Surface& surface_;
    QImage image_;
};

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
        window_.setCentralWidget(view_);
        for (const MenuEntry& top : design.menus)
            addMenuEntry(window_.menuBar(), nullptr, top);
        for (const ControlSpec& c : design.controls)
            addControl(c);
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
        if (auto it = actions_.find(name); it != actions_.end())
            it->second->setChecked(checked);
    }
    void setMenuEnabled(const std::string& name, bool enabled) override
    {
        if (auto it = actions_.find(name); it != actions_.end())
            it->second->setEnabled(enabled);
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
        auto* w = qobject_cast<QListWidget*>(widget(list));
        if (!w)
            return;
        const QSignalBlocker quiet(w);
        w->clear();
        const QStringList names = QDir::current().entryList(
            {w->property("pattern").toString()}, QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
        w->addItems(names);
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
        if (closed_)
            return;
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
    void end() override
    {
        closed_ = true;
        window_.sink = nullptr;
        view_->sink = nullptr;
        window_.hide();
    }

    QWidget* widget(const std::string& name) const
    {
        auto it = controls_.find(name);
        return it == controls_.end() ? nullptr : it->second;
    }

private:
    void addMenuEntry(QMenuBar* bar, QMenu* parent, const MenuEntry& e)
    {
        QAction* action = nullptr;
        if (!e.items.empty()) {
            QMenu* menu = parent ? parent->addMenu(q(e.caption)) : bar->addMenu(q(e.caption));
            for (const MenuEntry& child : e.items)
                addMenuEntry(bar, menu, child);
            action = menu->menuAction();
        } else {
            action = parent ? parent->addAction(q(e.caption)) : bar->addAction(q(e.caption));
            const std::string name = e.name;
            QObject::connect(action, &QAction::triggered, [this, action, name] {
                // Check marks change only when the program says so: undo
                // Qt's own toggle before the program hears of the choice.
                action->setChecked(!action->isChecked());
                if (!closed_)
                    sink_.menuChosen(name);
            });
            action->setCheckable(true);
            action->setChecked(e.checked);
        }
        action->setObjectName(q(e.name));
        action->setEnabled(e.enabled);
        actions_[e.name] = action;
    }

    void addControl(const ControlSpec& c)
    {
        QWidget* w = nullptr;
        switch (c.kind) {
        case ControlKind::Label: {
            auto* l = new QLabel(q(c.text), view_);
            l->setWordWrap(true);
            l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            QPalette pal = l->palette();
            pal.setColor(QPalette::WindowText, toQRgb(c.colour));
            l->setPalette(pal);
            w = l;
            break;
        }
        case ControlKind::TextBox: {
            auto* e = new QLineEdit(q(c.text), view_);
            if (c.maxLength > 0)
                e->setMaxLength(c.maxLength);
            e->setReadOnly(c.readOnly);
            w = e;
            break;
        }
        case ControlKind::Button: {
            auto* b = new QPushButton(q(c.text), view_);
            const std::string name = c.name;
            QObject::connect(b, &QPushButton::clicked, [this, name] {
                if (!closed_)
                    sink_.buttonClicked(name);
            });
            w = b;
            break;
        }
        case ControlKind::FileList: {
            auto* list = new QListWidget(view_);
            list->setProperty("pattern", q(c.pattern));
            const std::string name = c.name;
            QObject::connect(list, &QListWidget::currentTextChanged, [this, name](const QString& t) {
                if (!closed_)
                    sink_.listSelected(name, t.toStdString());
            });
            w = list;
            break;
        }
        case ControlKind::Picture: {
            auto* l = new QLabel(view_);
            l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            w = l;
            break;
        }
        }
        w->setObjectName(q(c.name));
        w->setGeometry(c.left, c.top, c.width, c.height);
        if (c.kind == ControlKind::Label)
            fitText(static_cast<QLabel*>(w), c.width, c.height);
        keepMouse(w);
        w->hide();
        controls_[c.name] = w;
    }

    EventSink& sink_;
    Surface surface_;
    MainWindow window_;
    SurfaceView* view_ = nullptr;
    std::map<std::string, QAction*> actions_;
    std::map<std::string, QWidget*> controls_;
    QElapsedTimer sinceFlush_;
    QTimer wake_;
    bool closed_ = false;
};

}  // namespace

struct Toolkit::Impl {
    std::unique_ptr<QApplication> app;
};

Toolkit::Toolkit(int& argc, char** argv) : impl_(std::make_unique<Impl>())
{
    // One surface pixel is one screen pixel, whatever the screen's scaling.
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
    QApplication::setAttribute(Qt::AA_DontUseNativeMenuBar);
    // Every movement is a painted segment of its own: none may be merged.
    QApplication::setAttribute(Qt::AA_CompressHighFrequencyEvents, false);
    impl_->app = std::make_unique<QApplication>(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
}

Toolkit::~Toolkit() = default;

std::unique_ptr<Host> Toolkit::openWindow(const WindowDesign& design, EventSink& sink)
{
    return std::make_unique<QtHost>(design, sink);
}

}  // namespace platform
