// Linux calls the engine asks before it picks its thread count, which
// Emscripten's C library declares but does not define. In the page they say
// "not known", so the engine falls back to its portable answer (one thread).
#include <sched.h>

#include <cerrno>

extern "C" {

int sched_getaffinity(pid_t, size_t, cpu_set_t*)
{
    errno = ENOSYS;
    return -1;
}

int __sched_cpucount(size_t, const cpu_set_t*)
{
    return 1;
}
}
