#include "tests/app/monkey_input.h"

#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <dlfcn.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace monkey {
namespace {

// Brains beyond this side stay out of reach: a long run would otherwise walk
// to sizes whose every generation takes seconds under the sanitizers.
constexpr unsigned long kLargestSizeOfBrain = 1136275;  // side 150

}  // namespace

bool RandomInput::load()
{
    void* lib = ::dlopen("libXtst.so.6", RTLD_NOW);
    if (!lib)
        return false;
    key_ = reinterpret_cast<decltype(key_)>(::dlsym(lib, "XTestFakeKeyEvent"));
    button_ = reinterpret_cast<decltype(button_)>(::dlsym(lib, "XTestFakeButtonEvent"));
    motion_ = reinterpret_cast<decltype(motion_)>(::dlsym(lib, "XTestFakeMotionEvent"));
    return key_ && button_ && motion_;
}

void RandomInput::aimAt(Window win, int width, int height)
{
    win_ = win;
    width_ = std::max(width, 1);
    height_ = std::max(height, 1);
}

void RandomInput::act()
{
    const int pick = int(random_() % 100);
    if (pick < 30)
        pressKey();
    else if (pick < 45)
        click(int(random_() % 3 == 0 ? 3 : 1), randomX(), randomY());
    else if (pick < 65)
        drag();
    else if (pick < 80)
        chooseFromMenu();
    else if (pick < 95)
        clickAControl();
    else
        typeName();
}

unsigned long RandomInput::sizeOfBrain()
{
    char* name = nullptr;
    unsigned long size = 0;
    if (XFetchName(dpy_, win_, &name) && name)
        if (const char* at = std::strstr(name, "Size of brain: "))
            size = std::strtoul(at + 15, nullptr, 10);
    XFree(name);
    return size;
}

void RandomInput::moveTo(int x, int y)
{
    int rootX = 0, rootY = 0;
    Window ignored;
    XTranslateCoordinates(dpy_, win_, DefaultRootWindow(dpy_), x, y, &rootX, &rootY, &ignored);
    motion_(dpy_, DefaultScreen(dpy_), rootX, rootY, CurrentTime);
}

void RandomInput::click(int button, int x, int y)
{
    moveTo(x, y);
    button_(dpy_, unsigned(button), True, CurrentTime);
    button_(dpy_, unsigned(button), False, CurrentTime);
}

void RandomInput::typeKey(KeySym sym)
{
    const KeyCode code = XKeysymToKeycode(dpy_, sym);
    if (code == 0)
        return;
    key_(dpy_, code, True, CurrentTime);
    key_(dpy_, code, False, CurrentTime);
}

void RandomInput::pressKey()
{
    static const KeySym keys[] = {
        XK_Return, XK_Return, XK_x, XK_x, XK_z, XK_z, XK_equal, XK_minus, XK_KP_Add, XK_KP_Subtract,
        XK_q,      XK_a,      XK_w, XK_s, XK_e, XK_d, XK_p,     XK_Escape, XK_BackSpace, XK_Tab,
        XK_space,  XK_1,      XK_9, XK_0, XK_period, XK_Left, XK_Right};
    KeySym sym = keys[random_() % (sizeof keys / sizeof keys[0])];
    // Growing stops at a size that keeps the run quick.
    const unsigned long size = sizeOfBrain();
    largest_ = std::max(largest_, size);
    if ((sym == XK_equal || sym == XK_KP_Add) && size > kLargestSizeOfBrain)
        sym = XK_minus;
    typeKey(sym);
}

void RandomInput::drag()
{
    const int button = random_() % 4 == 0 ? 3 : 1;
    int x = randomX(), y = randomY();
    moveTo(x, y);
    button_(dpy_, unsigned(button), True, CurrentTime);
    for (int i = 0, n = 2 + int(random_() % 12); i < n; ++i) {
        x = std::clamp(x + int(random_() % 61) - 30, 0, width_ - 1);
        y = std::clamp(y + int(random_() % 61) - 30, 0, height_ - 1);
        moveTo(x, y);
        XSync(dpy_, False);
    }
    button_(dpy_, unsigned(button), False, CurrentTime);
}

// A click on the menu bar, then one in the menu that may have opened;
// half of them on "Options", mostly on its first two items (the file
// panels) and now and then as far as its third, "Quit".
void RandomInput::chooseFromMenu()
{
    const int bar = std::max(10, height_ - 412);
    const bool options = random_() % 2;
    const int x = options ? 5 + int(random_() % 50) : 60 + int(random_() % 300);
    click(1, x, bar / 2);
    XSync(dpy_, False);
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    const int y = bar + int(options ? 2 + random_() % (random_() % 10 ? 42 : 70) : random_() % 240);
    click(1, std::clamp(x + int(random_() % 101) - 30, 0, width_ - 1), y);
}

// A click into where the panels' controls are designed to sit (left, top,
// width, height below the menu bar), so that panels get used, not only
// opened: name boxes, file lists and the buttons.
void RandomInput::clickAControl()
{
    static const int controls[][4] = {
        {80, 72, 49, 19},  {128, 72, 81, 45}, {8, 136, 49, 33},  {8, 200, 49, 33},  {112, 72, 49, 19},
        {160, 72, 81, 45}, {208, 72, 81, 33}, {208, 128, 81, 33}, {8, 208, 49, 33}, {8, 272, 49, 33},
        {80, 72, 120, 120}};
    const int* c = controls[random_() % (sizeof controls / sizeof controls[0])];
    const int bar = std::max(0, height_ - 412);
    click(1, c[0] + int(random_() % unsigned(c[2])), bar + c[1] + int(random_() % unsigned(c[3])));
    if (random_() % 3 == 0)
        typeName();
}

// A short name into whatever control has the focus, often ended by Enter.
void RandomInput::typeName()
{
    static const KeySym letters[] = {XK_a, XK_b, XK_c, XK_1, XK_space, XK_period, XK_minus};
    for (int i = 0, n = 1 + int(random_() % 6); i < n; ++i)
        typeKey(letters[random_() % (sizeof letters / sizeof letters[0])]);
    if (random_() % 2)
        typeKey(XK_Return);
}

}  // namespace monkey
