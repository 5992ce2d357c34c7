#include "grid_memory.h"

#include <sys/mman.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <limits>
#include <string>

#include "cell_grid.h"
#include "platform/system_calls.h"

namespace brain {
namespace {

// Runs from this size on are mapped from the system directly.
constexpr std::size_t kMapFrom = std::size_t(8) << 20;
// A huge page, where the system has them: a mapping aligned to it can be
// given whole huge pages, a fault (or a populating pass) then handing over
// 2 MiB at once instead of 4 KiB.
constexpr std::size_t kHugePage = std::size_t(2) << 20;
constexpr std::size_t kSmallPage = 4096;

constexpr std::size_t kUnlimited = std::numeric_limits<std::size_t>::max();

// The number after `key` at the start of a line of `text`, or -1.
long long valueAfter(const std::string& text, const std::string& key)
{
    for (std::size_t at = text.find(key); at != std::string::npos; at = text.find(key, at + 1))
        if (at == 0 || text[at - 1] == '\n')
            return std::atoll(text.c_str() + at + key.size());
    return -1;
}

// The room left under the memory limit of the process's own group and of
// every group above it: any of them may be the one reached first (a user
// session's limit sits a few levels above the program's own group).
std::size_t groupHeadroom(const std::string& root)
{
    const platform::ControlGroup folders = platform::controlGroup(root);
    std::string folder = folders.own;
    std::size_t least = kUnlimited;
    while (!folder.empty() && folder.size() >= folders.mount.size()) {
        const std::string max = platform::systemFileText(folder + "/memory.max");
        if (!max.empty() && max[0] >= '0' && max[0] <= '9') {
            const unsigned long long limit = std::strtoull(max.c_str(), nullptr, 10);
            const unsigned long long current = std::strtoull(platform::systemFileText(folder + "/memory.current").c_str(), nullptr, 10);
            const std::string stat = platform::systemFileText(folder + "/memory.stat");
            const unsigned long long cache = std::uint64_t(std::max(0LL, valueAfter(stat, "active_file ")))
                + std::uint64_t(std::max(0LL, valueAfter(stat, "inactive_file ")));
            const unsigned long long used = current - std::min(current, cache);
            least = std::min<std::size_t>(least, limit > used ? limit - used : 0);
        }
        if (folder == folders.mount)
            break;
        folder.erase(folder.rfind('/'));
    }
    return least;
}

// `bytes` mapped at a huge-page boundary: the head and tail of a somewhat
// larger mapping are given back.
std::uint8_t* mapAligned(std::size_t bytes)
{
    const std::size_t length = (bytes + kSmallPage - 1) / kSmallPage * kSmallPage;
    void* p = platform::mapMemory(length + kHugePage);
    if (!p)
        return nullptr;
    const auto start = reinterpret_cast<std::uintptr_t>(p);
    const std::uintptr_t aligned = (start + kHugePage - 1) / kHugePage * kHugePage;
    if (aligned > start)
        ::munmap(p, aligned - start);
    if (const std::size_t tail = start + kHugePage - aligned; tail > 0)
        ::munmap(reinterpret_cast<void*>(aligned + length), tail);
    return reinterpret_cast<std::uint8_t*>(aligned);
}

}  // namespace

std::size_t memoryHeadroom(const std::string& root)
{
    const long long availableKiB = valueAfter(platform::systemFileText(root + "/proc/meminfo"), "MemAvailable:");
    const std::size_t available = availableKiB >= 0 ? std::size_t(availableKiB) * 1024 : kUnlimited;
    return std::min(available, groupHeadroom(root));
}

namespace detail {

std::uint8_t* takeZeroed(std::size_t bytes, bool populated, bool bounded) noexcept
{
    if (bytes < kMapFrom)
        return static_cast<std::uint8_t*>(std::calloc(bytes, 1));  // fresh or cleared: no pass of our own
    // More than the machine, or the program's share of it, can give would
    // not fail here: the system would kill the program later, when the pages
    // are touched. Refuse it now.
    try {
        if (bounded && bytes > memoryHeadroom())
            return nullptr;
    } catch (...) {
        return nullptr;
    }
    std::uint8_t* data = mapAligned(bytes);
    if (!data)
        return nullptr;
    // Asked for, huge pages come also where the system grants them only on
    // request. Where it grants none, the pages stay small: all the same.
    platform::adviseHugePages(data, bytes);
    if (const int err = populated ? platform::populateForWriting(data, bytes) : 0; err != 0) {
        if (err != EINVAL) {  // the memory is not there after all
            giveBack(data, bytes);
            return nullptr;
        }
        // Older systems: one write per page hands it over all the same.
        for (std::size_t at = 0; at < bytes; at += kSmallPage)
            reinterpret_cast<volatile std::uint8_t*>(data)[at] = 0;
    }
    return data;
}

void giveBack(std::uint8_t* data, std::size_t bytes) noexcept
{
    if (bytes < kMapFrom)
        std::free(data);
    else if (data)
        ::munmap(data, bytes);
}

}  // namespace detail
}  // namespace brain
