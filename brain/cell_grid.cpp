#include "cell_grid.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <limits>
#include <new>
#include <sstream>

namespace brain {
namespace {

constexpr std::size_t kUnlimited = std::numeric_limits<std::size_t>::max();

std::string contents(const std::string& path)
{
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The number after `key` at the start of a line of `text`, or -1.
long long valueAfter(const std::string& text, const std::string& key)
{
    for (std::size_t at = text.find(key); at != std::string::npos; at = text.find(key, at + 1))
        if (at == 0 || text[at - 1] == '\n')
            return std::atoll(text.c_str() + at + key.size());
    return -1;
}

// Where the cgroup v2 hierarchy is mounted, and the folder of the group this
// process is in below it; both empty when there is no such hierarchy.
struct GroupFolders {
    std::string mount, own;
};

GroupFolders groupFolders(const std::string& root)
{
    std::istringstream groups(contents(root + "/proc/self/cgroup"));
    std::string line, group;
    while (group.empty() && std::getline(groups, line))
        if (line.starts_with("0::"))
            group = line.substr(3);
    if (group.empty())
        return {};
    std::istringstream mounts(contents(root + "/proc/self/mountinfo"));
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

// The room left under the memory limit of the process's own group and of
// every group above it: any of them may be the one reached first (a user
// session's limit sits a few levels above the program's own group).
std::size_t groupHeadroom(const std::string& root)
{
    const GroupFolders folders = groupFolders(root);
    std::string folder = folders.own;
    std::size_t least = kUnlimited;
    while (!folder.empty() && folder.size() >= folders.mount.size()) {
        const std::string max = contents(folder + "/memory.max");
        if (!max.empty() && max[0] >= '0' && max[0] <= '9') {
            const unsigned long long limit = std::strtoull(max.c_str(), nullptr, 10);
            const unsigned long long current = std::strtoull(contents(folder + "/memory.current").c_str(), nullptr, 10);
            const std::string stat = contents(folder + "/memory.stat");
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

}  // namespace

std::size_t memoryHeadroom(const std::string& root)
{
    const long long availableKiB = valueAfter(contents(root + "/proc/meminfo"), "MemAvailable:");
    const std::size_t available = availableKiB >= 0 ? std::size_t(availableKiB) * 1024 : kUnlimited;
    return std::min(available, groupHeadroom(root));
}

std::size_t CellGrid::bytesFor(int n) noexcept
{
    if (n < 1)
        return 0;
    const std::size_t side = std::size_t(n);
    if (side > kUnlimited / side || side * side > kUnlimited / side || side * side * side > kUnlimited / kChannels)
        return 0;
    return side * side * side * kChannels;
}

std::unique_ptr<CellGrid> CellGrid::allocate(int n, Pages pages) noexcept
{
    const std::size_t bytes = bytesFor(n);
    if (bytes == 0)
        return nullptr;
    // Fresh pages from the system read as zero: no clearing pass.
    std::uint8_t* data = nullptr;
    if (bytes >= kMapFrom) {
        // More than the machine, or the program's share of it, can give
        // would not fail here: the system would kill the program later, when
        // the pages are touched. Refuse it now.
        try {
            if (bytes > memoryHeadroom())
                return nullptr;
        } catch (...) {
            return nullptr;
        }
        // Populated, a large brain has its pages handed over in one go: left
        // to fault in one by one (twice each: read, then written), they
        // would stall the first generation for several times as long.
        const int populate = pages == Pages::Populated ? MAP_POPULATE : 0;
        void* p = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | populate, -1, 0);
        if (p == MAP_FAILED)
            return nullptr;
        data = static_cast<std::uint8_t*>(p);
    } else {
        data = static_cast<std::uint8_t*>(std::calloc(bytes, 1));
        if (!data)
            return nullptr;
    }
    auto* grid = new (std::nothrow) CellGrid(n, data, bytes / kChannels);
    if (!grid) {
        release(data, bytes);
        return nullptr;
    }
    return std::unique_ptr<CellGrid>(grid);
}

void CellGrid::release(std::uint8_t* data, std::size_t bytes)
{
    if (bytes >= kMapFrom)
        ::munmap(data, bytes);
    else
        std::free(data);
}

CellGrid::~CellGrid()
{
    release(data_, plane_ * kChannels);
}

void CellGrid::clear()
{
    std::memset(data_, 0, plane_ * kChannels);
}

std::uint64_t sizeOfBrain(int dim)
{
    std::uint64_t sum = 0;
    for (std::uint64_t k = dim > 0 ? std::uint64_t(dim) : 0; k >= 1; --k)
        sum += k * k;
    return sum;
}

}  // namespace brain
