#pragma once
// What the storage benchmark reads of its own process besides time: memory,
// processor time of every thread, and its huge-page setting.
#include <cstddef>
#include <string>

// A value in KiB from /proc/self/status, such as "VmRSS:"; 0 when missing.
long statusKiB(const char* key);

// Processor time of the whole process, every thread, in ms.
double processCpuMs();

// Peak resident memory since construction, beyond what was resident then.
struct PeakMeter {
    long before;
    PeakMeter();
    double extraMiB(std::size_t newBrainBytes = 0) const;
};

// Huge pages off for this process, as the system setting "never" would
// have them, while it lives.
struct SmallPagesOnly {
    int before;
    SmallPagesOnly();
    ~SmallPagesOnly();
};

// The system's transparent huge page setting, as the kernel shows it.
std::string hugePageSetting();
