// Starts the real program on an X server, waits for its window, checks the
// black grid and the grey swatch on screen, then closes the window as a
// window manager would and expects the program to end cleanly.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>

namespace {

Window findByTitle(Display* dpy, Window w, const char* prefix)
{
    char* name = nullptr;
    if (XFetchName(dpy, w, &name) && name) {
        const bool match = std::strncmp(name, prefix, std::strlen(prefix)) == 0;
        XFree(name);
        if (match)
            return w;
    }
    Window root, parent, *children = nullptr;
    unsigned n = 0;
    if (!XQueryTree(dpy, w, &root, &parent, &children, &n))
        return 0;
    Window found = 0;
    for (unsigned i = 0; i < n && !found; ++i)
        found = findByTitle(dpy, children[i], prefix);
    if (children)
        XFree(children);
    return found;
}

int fail(const char* what, pid_t child)
{
    std::fprintf(stderr, "smoke: %s\n", what);
    if (child > 0)
        kill(child, SIGKILL);
    return 1;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
        return fail("usage: x11_smoke PROGRAM", 0);
    const pid_t child = fork();
    if (child == 0) {
        execl(argv[1], argv[1], nullptr);
        _exit(127);
    }
    Display* dpy = XOpenDisplay(nullptr);
    if (!dpy)
        return fail("no X display", child);

    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::seconds(20);
    Window win = 0;
    unsigned long grid = 1, swatch = 0;
    while (Clock::now() < deadline) {
        win = findByTitle(dpy, DefaultRootWindow(dpy), "Cerebrix - By Quillon");
        if (win) {
            // The menu bar sits above the client area: find the grid's top
            // left corner by the swatch, whose left edge is at x = 10.
            XWindowAttributes a;
            XGetWindowAttributes(dpy, win, &a);
            XImage* img = XGetImage(dpy, win, 0, 0, a.width, a.height, AllPlanes, ZPixmap);
            if (img) {
                const int menuBar = a.height - 412;
                grid = XGetPixel(img, 272 + 15, menuBar + 191 + 15) & 0xFFFFFF;
                swatch = XGetPixel(img, 60, menuBar + 206) & 0xFFFFFF;
                XDestroyImage(img);
            }
            if (grid == 0 && swatch == 0x808080)
                break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    if (!win)
        return fail("the window never appeared", child);
    if (grid != 0 || swatch != 0x808080) {
        std::fprintf(stderr, "grid %06lx swatch %06lx\n", grid, swatch);
        return fail("the window does not show the black grid and the grey swatch", child);
    }

    XEvent close{};
    close.xclient.type = ClientMessage;
    close.xclient.window = win;
    close.xclient.message_type = XInternAtom(dpy, "WM_PROTOCOLS", False);
    close.xclient.format = 32;
    close.xclient.data.l[0] = long(XInternAtom(dpy, "WM_DELETE_WINDOW", False));
    close.xclient.data.l[1] = CurrentTime;
    XSendEvent(dpy, win, False, NoEventMask, &close);
    XFlush(dpy);

    const auto closeBy = Clock::now() + std::chrono::seconds(10);
    int status = 0;
    while (Clock::now() < closeBy) {
        if (waitpid(child, &status, WNOHANG) == child) {
            XCloseDisplay(dpy);
            if (WIFEXITED(status) && WEXITSTATUS(status) == 0)
                return 0;
            return fail("the program did not end cleanly", 0);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return fail("the program kept running after its window was closed", child);
}
