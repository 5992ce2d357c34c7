#pragma once
// The operating-system calls that only Linux has (or that some systems, such
// as macOS, lack), each in one function with a plain POSIX fallback, so that
// the engine and the storage core build and run wherever they are missing.
// Those on files, used only by storage, are in storage/file_calls.h.
// Building with CEREBRIX_PORTABLE_CORE takes the fallbacks on Linux too,
// which is how they are tested.
#include <cstddef>
#include <string>

// Defined where the Linux calls are in use, for the sources that wrap them.
#if defined(__linux__) && !defined(CEREBRIX_PORTABLE_CORE)
#define CEREBRIX_LINUX_CALLS 1
#endif

namespace platform {

// Whether the Linux calls are in use (false in a portable build).
bool linuxCalls();

// --- Processors

// The most threads any one job of the program runs on: more buy nothing at
// the memory bandwidth the hot loops need.
constexpr int kMostThreads = 8;

// How many threads the process may use, the caller among them: the CPUs it
// may run on (its affinity), its control group's CPU limit (cpu.max) and
// kMostThreads, whichever is least; at least 1. Asked afresh each time, so
// that `taskset` or a new limit counts at once.
int usableThreads();

// The least CPU limit (cpu.max) of the process's control group and of those
// above it, in whole CPUs rounded up; 0 for none. `root` stands for / in tests.
int controlGroupCpus(const std::string& root = "");

// Runnable threads of the whole system (from the load average), or -1 when
// the system does not say.
int runnableThreads();

// --- Memory and control groups

// The text of a file of the system, such as /proc/meminfo; empty where it
// is missing. `root` stands for / in tests.
std::string systemFileText(const std::string& path);

// Where the cgroup v2 hierarchy is mounted under `root`, and the folder of
// the group this process is in below it; both empty when there is none.
struct ControlGroup {
    std::string mount, own;
};
ControlGroup controlGroup(const std::string& root = "");

// Asks for huge pages for the mapped memory at `data`; only a hint.
void adviseHugePages(void* data, std::size_t bytes);
// Hands over every page of the mapped memory now: 0, or errno (EINVAL where
// the system cannot do it in one call).
int populateForWriting(void* data, std::size_t bytes);
// Private read-write memory of `bytes`, mapped afresh and zeroed, for which
// no swap is set aside where the system allows; nullptr when there is none.
void* mapMemory(std::size_t bytes);

}  // namespace platform
