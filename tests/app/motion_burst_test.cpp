// Every movement the X server sends paints its own segment and, with
// Auto-Generating on, runs its own generation, however many arrive at once.
// A stroke of 10 or 40 movements reaches the server in one flush, while the
// window is idle and while every core is busy, at sizes 30 and 410; the
// window's brain afterwards must equal that of a window handed the same
// movements one by one, and every corner of the zigzag must be painted.
#include <QApplication>
#include <QElapsedTimer>
#include <QMainWindow>
#include <QMouseEvent>
#include <QSet>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>
#include <vector>

#include "app/program.h"

// After Qt's headers: Xlib's macros clash with Qt's names.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

namespace {

using window::Point;

constexpr int kSkip = 77;
const platform::Colour kGrey = platform::rgb(128, 128, 128);

// The stroke's points in grid cells: the press, then the movements, each a
// corner of a zigzag (no three in a line).
std::vector<Point> zigzag(int n, int moves)
{
    if (moves == 10) {
        const int k = n / 30;
        const Point cells[] = {{1, 1}, {5, 5}, {9, 1}, {13, 5}, {17, 1}, {21, 5}, {25, 1}, {25, 20}, {5, 20}, {5, 28}, {13, 20}};
        std::vector<Point> out;
        for (const Point& c : cells)
            out.push_back({c.x * k, c.y * k});
        return out;
    }
    std::vector<Point> out{{1, 1}};
    for (int i = 0; i < moves; ++i) {
        const bool low = i % 2, second = i >= moves / 2;
        const int x = 1 + (i % (moves / 2) + 1) * (n - 2) / (moves / 2 + 1);
        out.push_back({x, second ? (low ? n - 3 : n / 2 + 1) : (low ? 2 * n / 5 : n / 15)});
    }
    return out;
}

struct Painted {
    app::Program program;
    explicit Painted(platform::Toolkit& toolkit, int n) : program(toolkit)
    {
        program.host().show();
        program.drawing().activated();
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* m = qobject_cast<QMainWindow*>(w); m && !claimed().contains(w))
                main = m;
        claimed().insert(main);
        main->resize(1000, 900);
        view = main->centralWidget();
        settle(30);
        for (int side = 30; side < n; side += 10)
            program.drawing().keyPressed(platform::key::Plus);
        program.drawing().menuChosen("autogon");
        settle(30);
    }
    ~Painted() { claimed().remove(main); }
    // The program's windows taken by a Painted that is still there.
    static QSet<QWidget*>& claimed()
    {
        static QSet<QWidget*> windows;
        return windows;
    }
    window::Drawing& d() { return program.drawing(); }
    Point cell(Point c) { return {d().view().origin().x + c.x, d().view().origin().y + c.y}; }
    void settle(int ms)
    {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < ms) {
            d().turn();
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    }
    QMainWindow* main = nullptr;
    QWidget* view = nullptr;
};

// Stops when the view has seen a button's release.
struct ReleaseWatch : QObject {
    bool seen = false;
    bool eventFilter(QObject*, QEvent* e) override
    {
        seen = seen || e->type() == QEvent::MouseButtonRelease;
        return false;
    }
};

// A generation writes only the pyramid, whose three channels lie in one run.
bool same(const window::Drawing& a, const window::Drawing& b)
{
    const brain::CellGrid *x = a.brain().cells(), *y = b.brain().cells();
    return x && y && x->size() == y->size() && !x->outside(0) && !y->outside(0)
        && std::memcmp(x->pyramid(0), y->pyramid(0), 3 * x->pyramidCells()) == 0;
}

// One stroke sent through the X server in one flush; false with a message
// when a corner is missing or the brain differs from `reference`.
bool burst(platform::Toolkit& toolkit, Display* dpy, int n, const std::vector<Point>& stroke, bool busy,
           const window::Drawing& reference)
{
    Painted w(toolkit, n);
    const auto screen = [&](Point c) {
        const Point p = w.cell(c);
        return w.view->mapToGlobal(QPoint(p.x, p.y)) * qRound(w.view->devicePixelRatioF());
    };
    XTestFakeMotionEvent(dpy, -1, screen(stroke[0]).x(), screen(stroke[0]).y(), 0);
    XSync(dpy, False);
    w.settle(30);

    std::atomic<bool> spin{busy};
    std::vector<std::thread> loops;
    for (unsigned i = 0; busy && i < std::max(1u, std::thread::hardware_concurrency()); ++i)
        loops.emplace_back([&] {
            while (spin.load(std::memory_order_relaxed)) {
            }
        });
    ReleaseWatch watch;
    w.view->installEventFilter(&watch);
    XTestFakeButtonEvent(dpy, 1, True, 0);
    for (std::size_t i = 1; i < stroke.size(); ++i)
        XTestFakeMotionEvent(dpy, -1, screen(stroke[i]).x(), screen(stroke[i]).y(), 0);
    XTestFakeButtonEvent(dpy, 1, False, 0);
    XSync(dpy, False);
    // Everything waits in the toolkit's queue before the window takes any.
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    QElapsedTimer t;
    t.start();
    while (!watch.seen && t.elapsed() < 20000)
        w.d().turn();
    spin = false;
    for (std::thread& l : loops)
        l.join();

    const char* how = busy ? "busy" : "idle";
    for (std::size_t i = 1; i < stroke.size(); ++i) {
        const Point p = w.cell(stroke[i]);
        const auto& c = w.d().canvases();
        if (platform::rgb(c.value(0, p.x, p.y), c.value(1, p.x, p.y), c.value(2, p.x, p.y)) != kGrey) {
            std::fprintf(stderr, "size %d, %zu moves, %s: corner %zu (%d, %d) not painted\n", n, stroke.size() - 1,
                         how, i, stroke[i].x, stroke[i].y);
            return false;
        }
    }
    if (!same(w.d(), reference)) {
        std::fprintf(stderr, "size %d, %zu moves, %s: not one generation per movement\n", n, stroke.size() - 1, how);
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    platform::Toolkit toolkit(argc, argv);
    Display* dpy = XOpenDisplay(nullptr);
    int event = 0, error = 0, major = 0, minor = 0;
    if (!dpy || !XTestQueryExtension(dpy, &event, &error, &major, &minor)) {
        std::fprintf(stderr, "no X server with XTest: not tested\n");
        return kSkip;
    }
    bool ok = true;
    for (int n : {30, 410}) {
        for (int moves : {10, 40}) {
            const std::vector<Point> stroke = zigzag(n, moves);
            // The same stroke handed to a window one movement at a time.
            Painted reference(toolkit, n);
            reference.main->hide();
            const Point press = reference.cell(stroke[0]);
            reference.d().mousePressed(platform::mouse::Left, press.x, press.y);
            for (std::size_t i = 1; i < stroke.size(); ++i) {
                const Point p = reference.cell(stroke[i]);
                reference.d().mouseMoved(platform::mouse::Left, p.x, p.y);
            }
            for (bool busy : {false, true})
                ok = burst(toolkit, dpy, n, stroke, busy, reference.d()) && ok;
        }
    }
    XCloseDisplay(dpy);
    return ok ? 0 : 1;
}
