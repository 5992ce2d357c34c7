#pragma once
// Finding the program's window on an X server, for the tests that drive it.
#include <X11/Xlib.h>

#include <cstring>

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
