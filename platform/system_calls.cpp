#include "platform/system_calls.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <thread>

#if defined(CEREBRIX_LINUX_CALLS)
#include <sched.h>
#ifndef MADV_POPULATE_WRITE
#define MADV_POPULATE_WRITE 23
#endif
#endif

namespace platform {

namespace {

// CPUs this process may run on.
int allowedCpus()
{
#if defined(CEREBRIX_LINUX_CALLS)
    cpu_set_t set;
    CPU_ZERO(&set);
    if (sched_getaffinity(0, sizeof set, &set) == 0)
        return std::max(CPU_COUNT(&set), 1);
#endif
    return std::max(int(std::thread::hardware_concurrency()), 1);
}

}  // namespace

int controlGroupCpus(const std::string& root)
{
    const ControlGroup group = controlGroup(root);
    std::string folder = group.own;
    int least = 0;
    while (!folder.empty() && folder.size() >= group.mount.size()) {
        std::istringstream max(systemFileText(folder + "/cpu.max"));
        std::string quota;
        long long period = 0;
        if (max >> quota >> period && quota != "max" && period > 0) {
            const long long q = std::atoll(quota.c_str());
            const int cpus = int(std::max((q + period - 1) / period, 1LL));
            least = least == 0 ? cpus : std::min(least, cpus);
        }
        if (folder == group.mount)
            break;
        folder.erase(folder.rfind('/'));
    }
    return least;
}

bool linuxCalls()
{
#if defined(CEREBRIX_LINUX_CALLS)
    return true;
#else
    return false;
#endif
}

int usableThreads()
{
    // A container's limit does not change while the program runs.
    static const int groupLimit = controlGroupCpus();
    int threads = std::min(allowedCpus(), kMostThreads);
    if (groupLimit > 0)
        threads = std::min(threads, groupLimit);
    return std::max(threads, 1);
}

int runnableThreads()
{
    // Read with plain calls: the engine asks before every large generation.
    const int fd = ::open("/proc/loadavg", O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return -1;
    char text[128];
    const ssize_t got = ::read(fd, text, sizeof text - 1);
    ::close(fd);
    if (got <= 0)
        return -1;
    text[got] = '\0';
    // "0.52 0.58 0.59 3/467 12345": the fourth field counts runnable threads.
    const char* p = text;
    for (int field = 0; field < 3; ++field) {
        p = std::strchr(p, ' ');
        if (!p)
            return -1;
        ++p;
    }
    if (*p < '0' || *p > '9')
        return -1;
    int running = 0;
    while (*p >= '0' && *p <= '9')
        running = running * 10 + (*p++ - '0');
    return running;
}

std::string systemFileText(const std::string& path)
{
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

ControlGroup controlGroup(const std::string& root)
{
    std::istringstream groups(systemFileText(root + "/proc/self/cgroup"));
    std::string line, group;
    while (group.empty() && std::getline(groups, line))
        if (line.starts_with("0::"))
            group = line.substr(3);
    if (group.empty())
        return {};
    std::istringstream mounts(systemFileText(root + "/proc/self/mountinfo"));
    while (std::getline(mounts, line)) {
        // id parent device root mount-point options... - type source options
        std::istringstream fields(line);
        std::string id, parent, device, mountRoot, mountPoint, field;
        fields >> id >> parent >> device >> mountRoot >> mountPoint;
        while (fields >> field && field != "-") {}
        if (fields >> field && field == "cgroup2") {
            if (mountRoot != "/" && group.starts_with(mountRoot))
                group.erase(0, mountRoot.size());
            const std::string mount = root + (mountPoint == "/" ? "" : mountPoint);
            return {mount, mount + (group == "/" ? "" : group)};
        }
    }
    return {};
}

void adviseHugePages(void* data, std::size_t bytes)
{
#if defined(CEREBRIX_LINUX_CALLS)
    ::madvise(data, bytes, MADV_HUGEPAGE);
#else
    (void)data;
    (void)bytes;
#endif
}

int populateForWriting(void* data, std::size_t bytes)
{
#if defined(CEREBRIX_LINUX_CALLS)
    return ::madvise(data, bytes, MADV_POPULATE_WRITE) == 0 ? 0 : errno;
#else
    (void)data;
    (void)bytes;
    return EINVAL;
#endif
}

void* mapMemory(std::size_t bytes)
{
#if defined(CEREBRIX_LINUX_CALLS)
    const int flags = MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE;
#else
    const int flags = MAP_PRIVATE | MAP_ANONYMOUS;
#endif
    void* p = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, flags, -1, 0);
    return p == MAP_FAILED ? nullptr : p;
}

}  // namespace platform
