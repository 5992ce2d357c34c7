// A monkey test of the real program on an X server: random keys, clicks,
// drags, menu choices and typing into the panels, from a fixed seed, through
// the XTest extension as a user's devices would send them. Throughout, the
// program must stay alive and answer the window manager's _NET_WM_PING within
// 5 s. "Quit" may be chosen at random: the program is then started again.
//   monkey PROGRAM SECONDS [EVENTS [SEED]]     (EVENTS 0: no limit)
// Exits 77 (skipped) where the XTest library is missing.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <dlfcn.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

// Brains beyond this side stay out of reach: a long run would otherwise walk
// to sizes whose every generation takes seconds under the sanitizers.
constexpr unsigned long kLargestSizeOfBrain = 1136275;  // side 150
constexpr auto kPingLimit = std::chrono::seconds(5);
// Saved brains beyond this are removed, so a long run cannot fill the disk.
constexpr std::uintmax_t kFolderLimit = std::uintmax_t(300) << 20;

struct XTest {
    int (*key)(Display*, unsigned, Bool, unsigned long) = nullptr;
    int (*button)(Display*, unsigned, Bool, unsigned long) = nullptr;
    int (*motion)(Display*, int, int, int, unsigned long) = nullptr;
    bool load()
    {
        void* lib = ::dlopen("libXtst.so.6", RTLD_NOW);
        if (!lib)
            return false;
        key = reinterpret_cast<decltype(key)>(::dlsym(lib, "XTestFakeKeyEvent"));
        button = reinterpret_cast<decltype(button)>(::dlsym(lib, "XTestFakeButtonEvent"));
        motion = reinterpret_cast<decltype(motion)>(::dlsym(lib, "XTestFakeMotionEvent"));
        return key && button && motion;
    }
};

Window findByTitle(Display* dpy, Window w, const char* prefix)
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

unsigned long sizeOfBrain(Display* dpy, Window win)
{
    char* name = nullptr;
    unsigned long size = 0;
    if (XFetchName(dpy, win, &name) && name)
        if (const char* at = std::strstr(name, "Size of brain: "))
            size = std::strtoul(at + 15, nullptr, 10);
    XFree(name);
    return size;
}

class Monkey {
public:
    Monkey(Display* dpy, XTest xtest, const char* program, unsigned seed)
        : dpy_(dpy), xtest_(xtest), program_(program), random_(seed)
    {
        // Ping replies are sent to the root window for structure listeners.
        XSelectInput(dpy_, DefaultRootWindow(dpy_), StructureNotifyMask | SubstructureNotifyMask);
        protocols_ = XInternAtom(dpy_, "WM_PROTOCOLS", False);
        ping_ = XInternAtom(dpy_, "_NET_WM_PING", False);
    }

    bool start()
    {
        child_ = ::fork();
        if (child_ == 0) {
            ::execl(program_, program_, nullptr);
            _exit(127);
        }
        for (const auto until = Clock::now() + std::chrono::seconds(60); Clock::now() < until;) {
            if ((win_ = findByTitle(dpy_, DefaultRootWindow(dpy_), "Cerebrix - By Quillon")))
                break;
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        XWindowAttributes a{};
        if (!win_ || !XGetWindowAttributes(dpy_, win_, &a))
            return fail("no window appeared");
        width_ = a.width;
        height_ = a.height;
        XSetInputFocus(dpy_, win_, RevertToParent, CurrentTime);
        pingAnswered_ = true;
        return true;
    }

    // One random action, then a check that the program lives and answers.
    bool step()
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
        XSync(dpy_, False);
        std::this_thread::sleep_for(std::chrono::milliseconds(2 + random_() % 20));
        return alive() && answers();
    }

    bool alive()
    {
        int status = 0;
        if (::waitpid(child_, &status, WNOHANG) != child_)
            return true;
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
            return fail(WIFSIGNALED(status) ? "the program was killed by a signal" : "the program failed");
        ++restarts_;  // "Quit" was chosen
        return start();
    }

    // Sends a ping each second; the last must come back within the limit.
    bool answers()
    {
        while (XPending(dpy_)) {
            XEvent e;
            XNextEvent(dpy_, &e);
            if (e.type == ClientMessage && e.xclient.message_type == protocols_
                && Atom(e.xclient.data.l[0]) == ping_ && e.xclient.data.l[1] == long(pingStamp_))
                pingAnswered_ = true;
        }
        const auto now = Clock::now();
        if (!pingAnswered_ && now - pingSent_ > kPingLimit)
            return fail("the window did not answer a ping within 5 s");
        if (pingAnswered_ && now - pingSent_ > std::chrono::seconds(1)) {
            XEvent e{};
            e.xclient.type = ClientMessage;
            e.xclient.window = win_;
            e.xclient.message_type = protocols_;
            e.xclient.format = 32;
            e.xclient.data.l[0] = long(ping_);
            e.xclient.data.l[1] = long(++pingStamp_);
            e.xclient.data.l[2] = long(win_);
            XSendEvent(dpy_, win_, False, NoEventMask, &e);
            XFlush(dpy_);
            pingSent_ = now;
            pingAnswered_ = false;
        }
        return true;
    }

    // Waits for the last ping, then closes the window as a window manager
    // would: the program must end cleanly.
    bool finish()
    {
        for (const auto until = Clock::now() + kPingLimit; !pingAnswered_ && Clock::now() < until;)
            if (!alive() || !answers())
                return false;
        if (!pingAnswered_)
            return fail("the window did not answer the last ping within 5 s");
        XEvent close{};
        close.xclient.type = ClientMessage;
        close.xclient.window = win_;
        close.xclient.message_type = protocols_;
        close.xclient.format = 32;
        close.xclient.data.l[0] = long(XInternAtom(dpy_, "WM_DELETE_WINDOW", False));
        XSendEvent(dpy_, win_, False, NoEventMask, &close);
        XFlush(dpy_);
        int status = 0;
        for (const auto until = Clock::now() + std::chrono::seconds(30); Clock::now() < until;) {
            if (::waitpid(child_, &status, WNOHANG) == child_)
                return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? true : fail("the program did not end cleanly");
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return fail("the program kept running after its window was closed");
    }

    void pruneFolder()
    {
        std::uintmax_t total = 0;
        for (const auto& e : fs::directory_iterator("."))
            total += e.is_regular_file() ? e.file_size() : 0;
        if (total > kFolderLimit)
            for (const auto& e : fs::directory_iterator("."))
                if (e.path().extension() == ".brain")
                    fs::remove(e.path());
    }

    int restarts() const { return restarts_; }
    unsigned long largest() const { return largest_; }

private:
    bool fail(const char* what)
    {
        std::fprintf(stderr, "monkey: %s\n", what);
        if (child_ > 0)
            ::kill(child_, SIGKILL);
        return false;
    }

    int randomX() { return int(random_() % unsigned(width_)); }
    int randomY() { return int(random_() % unsigned(height_)); }

    void moveTo(int x, int y)
    {
        int rootX = 0, rootY = 0;
        Window ignored;
        XTranslateCoordinates(dpy_, win_, DefaultRootWindow(dpy_), x, y, &rootX, &rootY, &ignored);
        xtest_.motion(dpy_, DefaultScreen(dpy_), rootX, rootY, CurrentTime);
    }

    void click(int button, int x, int y)
    {
        moveTo(x, y);
        xtest_.button(dpy_, unsigned(button), True, CurrentTime);
        xtest_.button(dpy_, unsigned(button), False, CurrentTime);
    }

    void typeKey(KeySym sym)
    {
        const KeyCode code = XKeysymToKeycode(dpy_, sym);
        if (code == 0)
            return;
        xtest_.key(dpy_, code, True, CurrentTime);
        xtest_.key(dpy_, code, False, CurrentTime);
    }

    void pressKey()
    {
        static const KeySym keys[] = {
            XK_Return, XK_Return, XK_x, XK_x, XK_z, XK_z, XK_equal, XK_minus, XK_KP_Add, XK_KP_Subtract,
            XK_q,      XK_a,      XK_w, XK_s, XK_e, XK_d, XK_p,     XK_Escape, XK_BackSpace, XK_Tab,
            XK_space,  XK_1,      XK_9, XK_0, XK_period, XK_Left, XK_Right};
        KeySym sym = keys[random_() % (sizeof keys / sizeof keys[0])];
        // Growing stops at a size that keeps the run quick.
        const unsigned long size = sizeOfBrain(dpy_, win_);
        largest_ = std::max(largest_, size);
        if ((sym == XK_equal || sym == XK_KP_Add) && size > kLargestSizeOfBrain)
            sym = XK_minus;
        typeKey(sym);
    }

    void drag()
    {
        const int button = random_() % 4 == 0 ? 3 : 1;
        int x = randomX(), y = randomY();
        moveTo(x, y);
        xtest_.button(dpy_, unsigned(button), True, CurrentTime);
        for (int i = 0, n = 2 + int(random_() % 12); i < n; ++i) {
            x = std::clamp(x + int(random_() % 61) - 30, 0, width_ - 1);
            y = std::clamp(y + int(random_() % 61) - 30, 0, height_ - 1);
            moveTo(x, y);
            XSync(dpy_, False);
        }
        xtest_.button(dpy_, unsigned(button), False, CurrentTime);
    }

    // A click on the menu bar, then one in the menu that may have opened;
    // half of them on "Options", mostly on its first two items (the file
    // panels) and now and then as far as its third, "Quit".
    void chooseFromMenu()
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
    void clickAControl()
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
    void typeName()
    {
        static const KeySym letters[] = {XK_a, XK_b, XK_c, XK_1, XK_space, XK_period, XK_minus};
        for (int i = 0, n = 1 + int(random_() % 6); i < n; ++i)
            typeKey(letters[random_() % (sizeof letters / sizeof letters[0])]);
        if (random_() % 2)
            typeKey(XK_Return);
    }

    Display* dpy_;
    XTest xtest_;
    const char* program_;
    std::mt19937 random_;
    pid_t child_ = -1;
    Window win_ = 0;
    int width_ = 0, height_ = 0;
    Atom protocols_, ping_;
    unsigned long pingStamp_ = 0;
    Clock::time_point pingSent_{};
    bool pingAnswered_ = true;
    int restarts_ = 0;
    unsigned long largest_ = 0;
};

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: monkey PROGRAM SECONDS [EVENTS [SEED]]\n");
        return 2;
    }
    const std::string program = fs::absolute(argv[1]);
    const double seconds = std::atof(argv[2]);
    const long events = argc > 3 ? std::atol(argv[3]) : 0;
    const unsigned seed = argc > 4 ? unsigned(std::atol(argv[4])) : 1;
    XTest xtest;
    Display* dpy = XOpenDisplay(nullptr);
    if (!dpy) {
        std::fprintf(stderr, "monkey: needs an X display\n");
        return 2;
    }
    // The window goes away whenever "Quit" is chosen, possibly mid-action.
    XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
    if (!xtest.load()) {
        std::fprintf(stderr, "monkey: no XTest library, skipped\n");
        return 77;
    }
    // Saved brains land in a folder of their own, removed at the end.
    std::string folder = (fs::temp_directory_path() / "monkey-XXXXXX").string();
    if (!::mkdtemp(folder.data()) || ::chdir(folder.c_str()) != 0)
        return 2;
    Monkey monkey(dpy, xtest, program.c_str(), seed);
    bool ok = monkey.start();
    long done = 0;
    const auto until = Clock::now() + std::chrono::duration<double>(seconds);
    for (; ok && Clock::now() < until && (events == 0 || done < events); ++done) {
        ok = monkey.step();
        if (done % 200 == 0)
            monkey.pruneFolder();
    }
    ok = ok && monkey.finish();
    const auto saved = std::distance(fs::directory_iterator("."), {});
    std::printf("monkey: %ld events, seed %u, %d restarts after Quit, largest size of brain %lu, %ld files saved: %s\n",
                done, seed, monkey.restarts(), monkey.largest(), long(saved), ok ? "ok" : "FAILED");
    std::error_code ignored;
    fs::remove_all(folder, ignored);
    return ok ? 0 : 1;
}
