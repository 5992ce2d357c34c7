#include "bench/storage/process_meters.h"

#include <sys/prctl.h>
#include <time.h>

#include <fstream>

long statusKiB(const char* key)
{
    std::ifstream in("/proc/self/status");
    std::string word;
    while (in >> word)
        if (word == key) {
            long kib = 0;
            in >> kib;
            return kib;
        }
    return 0;
}

double processCpuMs()
{
    timespec t{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

PeakMeter::PeakMeter()
{
    std::ofstream("/proc/self/clear_refs") << "5";
    before = statusKiB("VmRSS:");
}

double PeakMeter::extraMiB(std::size_t newBrainBytes) const
{
    return double(statusKiB("VmHWM:") - before) / 1024.0 - double(newBrainBytes) / double(1 << 20);
}

SmallPagesOnly::SmallPagesOnly() : before(::prctl(PR_GET_THP_DISABLE, 0, 0, 0, 0))
{
    ::prctl(PR_SET_THP_DISABLE, 1, 0, 0, 0);
}

SmallPagesOnly::~SmallPagesOnly()
{
    ::prctl(PR_SET_THP_DISABLE, before > 0 ? 1 : 0, 0, 0, 0);
}

std::string hugePageSetting()
{
    std::ifstream in("/sys/kernel/mm/transparent_hugepage/enabled");
    std::string line;
    std::getline(in, line);
    return line.empty() ? "unknown" : line;
}
