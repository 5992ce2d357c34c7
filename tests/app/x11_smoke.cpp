// Starts the real program on an X server whose desktop is scaled by SCALE
// (Xft.dpi 96 x SCALE), waits until its window shows the black grid and the
// grey swatch, each design pixel a SCALE x SCALE block, then closes the
// window as a window manager would and expects the program to end cleanly.
// With DESKTOP_ENTRY, the window's class must be the entry's StartupWMClass,
// so that docks tie the window to its launcher.
//   x11_smoke PROGRAM SCALE [DESKTOP_ENTRY]
#include <X11/Xlib.h>
#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>

#include "x11_program.h"

namespace {

// Black grid centre and grey swatch centre, 412 rows of client area under
// the menu bar, all in design pixels of k x k screen pixels.
bool showsStartUp(Display* dpy, Window win, int k)
{
    XWindowAttributes a;
    XGetWindowAttributes(dpy, win, &a);
    if (a.width != 574 * k || a.height <= 412 * k)
        return false;
    XImage* img = XGetImage(dpy, win, 0, 0, unsigned(a.width), unsigned(a.height), AllPlanes, ZPixmap);
    if (!img)
        return false;
    const int top = a.height - 412 * k;
    bool ok = true;
    for (int d = 0; d < k * k; ++d) {
        const int dx = d % k, dy = d / k;
        ok = ok && (XGetPixel(img, 287 * k + dx, top + 206 * k + dy) & 0xFFFFFF) == 0 &&
             (XGetPixel(img, 60 * k + dx, top + 206 * k + dy) & 0xFFFFFF) == 0x808080;
    }
    XDestroyImage(img);
    return ok;
}

// The desktop's scale, as desktops tell it to programs: the X resource Xft.dpi.
void setDesktopScale(Display* dpy, int k)
{
    const std::string resources = "Xft.dpi:\t" + std::to_string(96 * k) + "\n";
    XChangeProperty(dpy, DefaultRootWindow(dpy), XInternAtom(dpy, "RESOURCE_MANAGER", False), XA_STRING, 8,
                    PropModeReplace, reinterpret_cast<const unsigned char*>(resources.data()), int(resources.size()));
    XSync(dpy, False);
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
    const int k = argc >= 3 ? std::atoi(argv[2]) : 0;
    Display* dpy = k >= 1 ? XOpenDisplay(nullptr) : nullptr;
    if (!dpy)
        return fail(k >= 1 ? "needs an X display" : "usage: x11_smoke PROGRAM SCALE", 0);
    // The window may be unmapped between finding it and reading it; such a
    // read fails and is tried again rather than ending the test.
    XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
    setDesktopScale(dpy, k);
    const pid_t child = fork();
    if (child == 0) {
        execl(argv[1], argv[1], nullptr);
        _exit(127);
    }

    using namespace std::chrono;
    Window win = 0;
    for (auto until = steady_clock::now() + seconds(20); steady_clock::now() < until;
         std::this_thread::sleep_for(milliseconds(100)))
        if ((win = findByTitle(dpy, DefaultRootWindow(dpy), "Cerebrix - By Quillon")) && showsStartUp(dpy, win, k))
            break;
    if (!win || !showsStartUp(dpy, win, k))
        return fail(win ? "the window does not show the grid and the swatch" : "no window appeared", child);

    if (argc == 4) {
        std::ifstream entry(argv[3]);
        std::string line, wanted;
        while (std::getline(entry, line))
            if (line.rfind("StartupWMClass=", 0) == 0)
                wanted = line.substr(std::strlen("StartupWMClass="));
        XClassHint hint{};
        const bool read = XGetClassHint(dpy, win, &hint);
        const bool same = read && hint.res_class && !wanted.empty() && wanted == hint.res_class;
        if (read) {
            XFree(hint.res_name);
            XFree(hint.res_class);
        }
        if (!same)
            return fail("the window's class is not the desktop entry's StartupWMClass", child);
    }

    const char* failure = closeAndWait(dpy, win, child, seconds(10));
    return failure ? fail(failure, 0) : 0;
}
