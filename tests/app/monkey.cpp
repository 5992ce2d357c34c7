// A monkey test of the real program on an X server: random input from a fixed
// seed (monkey_input.h), bounded in count and time. Throughout, the program
// must stay alive and answer the window manager's _NET_WM_PING within 5 s,
// and end cleanly when its window is closed at the end. "Quit" may be chosen
// at random: the program is then started again.
//   monkey PROGRAM SECONDS [EVENTS [SEED]]     (EVENTS 0: no limit)
// Exits 77 (skipped) where the XTest library is missing.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
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
#include <utility>

#include "tests/app/monkey_input.h"

#include "tests/app/x11_program.h"
#include "tests/scratch_dir.h"

namespace {

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

constexpr auto kPingLimit = std::chrono::seconds(5);
// Saved brains beyond this are removed, so a long run cannot fill the disk.
constexpr std::uintmax_t kFolderLimit = std::uintmax_t(300) << 20;

class WatchedProgram {
public:
    WatchedProgram(Display* dpy, monkey::RandomInput& input, const char* program, unsigned seed)
        : dpy_(dpy), input_(input), program_(program), random_(seed)
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
        input_.aimAt(win_, a.width, a.height);
        XSetInputFocus(dpy_, win_, RevertToParent, CurrentTime);
        pingAnswered_ = true;
        return true;
    }

    // One random action, then a check that the program lives and answers.
    bool step()
    {
        input_.act();
        XSync(dpy_, False);
        std::this_thread::sleep_for(std::chrono::milliseconds(2 + random_() % 20));
        return alive() && answers();
    }

    bool alive()
    {
        int status = 0;
        if (::waitpid(child_, &status, WNOHANG) != child_)
            return true;
        child_ = -1;  // reaped: its pid may be another process's by now
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
            sendProtocol(dpy_, win_, "_NET_WM_PING", long(++pingStamp_));
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
        const char* failure = closeAndWait(dpy_, win_, std::exchange(child_, -1), std::chrono::seconds(30));
        return failure ? fail(failure) : true;
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

private:
    bool fail(const char* what)
    {
        std::fprintf(stderr, "monkey: %s\n", what);
        if (child_ > 0)
            ::kill(child_, SIGKILL);
        return false;
    }

    Display* dpy_;
    monkey::RandomInput& input_;
    const char* program_;
    std::mt19937 random_;
    pid_t child_ = -1;
    Window win_ = 0;
    Atom protocols_, ping_;
    unsigned long pingStamp_ = 0;
    Clock::time_point pingSent_{};
    bool pingAnswered_ = true;
    int restarts_ = 0;
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
    Display* dpy = XOpenDisplay(nullptr);
    if (!dpy) {
        std::fprintf(stderr, "monkey: needs an X display\n");
        return 2;
    }
    // The window goes away whenever "Quit" is chosen, possibly mid-action.
    XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
    monkey::RandomInput input(dpy, seed);
    if (!input.load()) {
        std::fprintf(stderr, "monkey: no XTest library, skipped\n");
        return 77;
    }
    // Saved brains land in a folder of their own, removed at the end.
    const scratch::ScratchDir folder;
    if (::chdir(folder.path.c_str()) != 0)
        return 2;
    WatchedProgram watched(dpy, input, program.c_str(), seed);
    bool ok = watched.start();
    long done = 0;
    const auto until = Clock::now() + std::chrono::duration<double>(seconds);
    for (; ok && Clock::now() < until && (events == 0 || done < events); ++done) {
        ok = watched.step();
        if (done % 200 == 0)
            watched.pruneFolder();
    }
    ok = ok && watched.finish();
    const auto saved = std::distance(fs::directory_iterator("."), {});
    std::printf("monkey: %ld events, seed %u, %d restarts after Quit, largest size of brain %lu, %ld files saved: %s\n",
                done, seed, watched.restarts(), input.largestSize(), long(saved), ok ? "ok" : "FAILED");
    return ok ? 0 : 1;
}
