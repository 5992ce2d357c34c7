// Painting the surface must never wait for a helper thread: where threads
// cannot be started (a container's process limit, a sandbox), it still
// paints. A child process forbids new threads with a seccomp filter, which
// works for root as well, then paints a large surface at scale 1 and 2 into
// the screen's pixel format; a hang fails the test. Run on an X server of
// depth 16, where a picture kept in 32 bits would need converting.
#include <linux/audit.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sched.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QMainWindow>
#include <QThreadPool>
#include <chrono>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "app/program.h"

namespace {

constexpr int kSkip = 77;

// clone3 answers "not implemented", so the C library falls back to clone;
// clone for a thread answers "try again", as under a process limit.
bool forbidThreads()
{
#if defined(__x86_64__)
    sock_filter rules[] = {
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, arch)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, AUDIT_ARCH_X86_64, 1, 0),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_clone3, 0, 1),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | ENOSYS),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_clone, 0, 3),
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, args[0])),
        BPF_JUMP(BPF_JMP | BPF_JSET | BPF_K, CLONE_THREAD, 0, 1),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | EAGAIN),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
    };
    sock_fprog program{static_cast<unsigned short>(std::size(rules)), rules};
    return prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 && prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) == 0;
#else
    return false;
#endif
}

bool threadsStart()
{
    try {
        std::thread([] {}).join();
        return true;
    } catch (...) {
        return false;
    }
}

[[noreturn]] void paintInChild(const char* scale)
{
    setenv("QT_SCALE_FACTOR", scale, 1);
    int argc = 1;
    char* argv[] = {const_cast<char*>("paint_without_threads"), nullptr};
    platform::Toolkit toolkit(argc, argv);
    // Helper threads end as soon as they are idle, so none is left over when
    // threads are forbidden below.
    QThreadPool::globalInstance()->setExpiryTimeout(0);
    app::Program program(toolkit);
    program.host().show();
    program.drawing().activated();
    program.host().processPendingEvents();
    QThreadPool::globalInstance()->waitForDone();
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    if (!forbidThreads() || threadsStart()) {
        std::fprintf(stderr, "cannot forbid threads here (no seccomp): not tested\n");
        _exit(kSkip);
    }
    // A large surface, painted into the screen's own pixel format: the
    // window's menus and frame are the toolkit's business, the surface ours.
    // Without a window manager the window need not have become active: find
    // it among the top-level windows.
    QMainWindow* window = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* main = qobject_cast<QMainWindow*>(w))
            window = main;
    if (!window)
        _exit(1);
    window->resize(1900, 1300);
    const QPixmap shot = window->centralWidget()->grab();
    _exit(shot.isNull() ? 1 : 0);
}

}  // namespace

int main()
{
    for (const char* scale : {"1", "2"}) {
        const pid_t child = fork();
        if (child == 0)
            paintInChild(scale);
        int status = 0;
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (waitpid(child, &status, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() > until) {
                kill(child, SIGKILL);
                waitpid(child, &status, 0);
                std::fprintf(stderr, "scale %s: painting hangs when no thread can be started\n", scale);
                return 1;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        if (WIFEXITED(status) && WEXITSTATUS(status) == kSkip)
            return kSkip;
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            std::fprintf(stderr, "scale %s: painting failed (status %d)\n", scale, status);
            return 1;
        }
    }
    return 0;
}
