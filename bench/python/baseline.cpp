// The C++ side of bench_python.py: one load of a brain file and K generations
// on it, timed with the same clock as the Python side, in a process of its own.
// Usage: python_baseline FILE K
// Prints: load and generate wall seconds, the same in process CPU seconds
// (all threads, as Python's time.process_time), and the apex r g b.
#include <time.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "brain/generation.h"
#include "storage/read/brain_reader.h"

namespace {

double cpuSeconds()
{
    timespec t {};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: python_baseline FILE K\n");
        return 2;
    }
    using Clock = std::chrono::steady_clock;
    const int k = std::atoi(argv[2]);
    const double cpuStart = cpuSeconds();
    const Clock::time_point start = Clock::now();
    storage::LoadedBrain brain;
    const storage::FileResult read = storage::readBrainFile(argv[1], brain);
    const Clock::time_point loaded = Clock::now();
    const double cpuLoaded = cpuSeconds();
    if (!read.ok) {
        std::fprintf(stderr, "%s\n", read.error.c_str());
        return 1;
    }
    brain::Apex apex;
    for (int i = 0; i < k; ++i)
        apex = brain::generate(*brain.cells);
    const Clock::time_point generated = Clock::now();
    const double cpuGenerated = cpuSeconds();
    std::printf("%.6f %.6f %.6f %.6f %d %d %d\n", std::chrono::duration<double>(loaded - start).count(),
                std::chrono::duration<double>(generated - loaded).count(), cpuLoaded - cpuStart,
                cpuGenerated - cpuLoaded, apex.red, apex.green, apex.blue);
    return 0;
}
