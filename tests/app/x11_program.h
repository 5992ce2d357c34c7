#pragma once
// The program's window on an X server, for the tests that drive it: finding
// it, speaking to it as a window manager does, and waiting for it to end.
#include <X11/Xlib.h>
#include <signal.h>
#include <sys/wait.h>

#include <chrono>
#include <cstring>
#include <thread>

// The window whose title starts with `prefix`, anywhere below `w`.
inline Window findByTitle(Display* dpy, Window w, const char* prefix)
{
    char* name = nullptr;
    const bool match = XFetchName(dpy, w, &name) && name && std::strncmp(name, prefix, std::strlen(prefix)) == 0;
    XFree(name);
    Window root, parent, *children = nullptr, found = match ? w : 0;
    unsigned n = 0;
    if (!found && XQueryTree(dpy, w, &root, &parent, &children, &n))
        for (unsigned i = 0; i < n && !found; ++i)
            found = findByTitle(dpy, children[i], prefix);
    XFree(children);
    return found;
}

// A message of the window manager's protocols (WM_DELETE_WINDOW, _NET_WM_PING),
// as a window manager sends it.
inline void sendProtocol(Display* dpy, Window win, const char* protocol, long stamp = CurrentTime)
{
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = win;
    e.xclient.message_type = XInternAtom(dpy, "WM_PROTOCOLS", False);
    e.xclient.format = 32;
    e.xclient.data.l[0] = long(XInternAtom(dpy, protocol, False));
    e.xclient.data.l[1] = stamp;
    e.xclient.data.l[2] = long(win);
    XSendEvent(dpy, win, False, NoEventMask, &e);
    XFlush(dpy);
}

// Closes the window as a window manager would and waits for the program to
// end (killing it after `limit`); the child is reaped either way, so that no
// one signals its pid again. Null when it ended cleanly, else what went wrong.
inline const char* closeAndWait(Display* dpy, Window win, pid_t child, std::chrono::seconds limit)
{
    sendProtocol(dpy, win, "WM_DELETE_WINDOW");
    int status = 0;
    for (const auto until = std::chrono::steady_clock::now() + limit; std::chrono::steady_clock::now() < until;
         std::this_thread::sleep_for(std::chrono::milliseconds(50)))
        if (::waitpid(child, &status, WNOHANG) == child)
            return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? nullptr : "the program did not end cleanly";
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    return "the program kept running after its window was closed";
}
