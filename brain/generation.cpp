#include "generation.h"

#include "generation_rows.h"

#include <fcntl.h>
#include <sched.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <exception>
#include <memory>
#include <new>
#include <thread>
#include <vector>

namespace brain {
namespace {

// Below this side one thread finishes before a second would pay for itself.
constexpr int kThreadedFrom = 160;

// The most threads the automatic count picks.
constexpr int kMaxThreads = 8;

// Rows per band, the unit of work a thread takes at a time.
constexpr int kBandRows = 8;

// Pauses a waiting thread spins before it sleeps in the kernel.
constexpr int kSpinsBeforeSleep = 2000;

// Helper threads of all generations that have not finished yet, and how
// many may be.
std::atomic<int> liveHelpers{0};
constexpr int kMaxLiveHelpers = 2 * kMaxThreads;

Apex apexOf(const CellGrid& grid)
{
    const int top = grid.size() - 1;
    return {grid.at(Red, top, top, top), grid.at(Green, top, top, top), grid.at(Blue, top, top, top)};
}

inline void cpuRelax()
{
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#endif
}

// One generation shared out in bands of kBandRows rows. A band reads only
// the two bands below it, so cutting the rows into parts, top to bottom,
// makes each part wait only for the part above it, and the first part, the
// caller's, for nothing. Each thread takes the bands of its own part layer
// by layer, then helps with the parts below it.
class Bands {
public:
    Bands(CellGrid& grid, int parts)
        : grid_(grid), n_(grid.size()), perLayer_((n_ - 1) / kBandRows + 1),
          done_(std::size_t(n_) * std::size_t(perLayer_)), parts_(std::size_t(std::clamp(parts, 1, perLayer_)))
    {
        cutIntoParts();
    }

    int parts() const { return int(parts_.size()); }

    // Returns once every band is done, by whichever thread: the apex band
    // reads, through the bands below it, every band of the pyramid.
    void awaitAll() { awaitDone(n_ - 1, (n_ - 1) / kBandRows); }

    // Computes the bands of part `first`, then every band still left in the
    // parts below it. Those it takes over whole: taking turns with a thread
    // that may be off its core would mean waiting for it again and again.
    void work(int first)
    {
        workOn(parts_[std::size_t(first)], false);
        for (std::size_t p = std::size_t(first) + 1; p < parts_.size(); ++p)
            workOn(parts_[p], true);
    }

private:
    struct alignas(64) Part {
        int first = 0, last = 0;  // bands [first, last) of every layer
        int total = 0;
        std::atomic<int> next{0};
        int bandsIn(int z) const { return std::max(0, last - std::max(first, z / kBandRows)); }
    };

    int rowsOf(int z, int band) const { return std::max(0, std::min(n_, (band + 1) * kBandRows) - std::max(z, band * kBandRows)); }

    // Equal shares of the work, counted in cells: the first part gets many
    // top rows, as the upper layers lose their top rows one by one.
    void cutIntoParts()
    {
        std::vector<double> cells(std::size_t(perLayer_), 0.0);
        double total = 0;
        for (int band = 0; band < perLayer_; ++band) {
            for (int z = 1; z < n_; ++z)
                cells[std::size_t(band)] += double(rowsOf(z, band)) * double(n_ - z);
            total += cells[std::size_t(band)];
        }
        double sum = 0;
        int band = 0;
        for (std::size_t p = 0; p < parts_.size(); ++p) {
            parts_[p].first = band;
            const double share = total * double(p + 1) / double(parts_.size());
            while (band < perLayer_ && (p + 1 == parts_.size() || sum + cells[std::size_t(band)] / 2 < share))
                sum += cells[std::size_t(band++)];
            parts_[p].last = band;
            for (int z = 1; z < n_; ++z)
                parts_[p].total += parts_[p].bandsIn(z);
        }
    }

    void workOn(Part& part, bool takeOver)
    {
        int z = 1, layerStart = 0;
        int i = takeOver ? part.next.exchange(part.total, std::memory_order_relaxed) : 0;
        for (;; ++i) {
            if (!takeOver)
                i = part.next.fetch_add(1, std::memory_order_relaxed);
            if (i >= part.total)
                return;
            while (i >= layerStart + part.bandsIn(z))
                layerStart += part.bandsIn(z++);
            const int band = std::max(part.first, z / kBandRows) + (i - layerStart);
            const int from = std::max(z, band * kBandRows);
            const int to = std::min(n_, (band + 1) * kBandRows);
            if (z > 1) {
                awaitDone(z - 1, (from - 1) / kBandRows);
                awaitDone(z - 1, band);
            }
            layerRows(grid_, z, from, to);
            std::atomic<int>& flag = done_[flagIndex(z, band)];
            flag.store(1, std::memory_order_release);
            flag.notify_all();
        }
    }

    std::size_t flagIndex(int z, int band) const { return std::size_t(z) * std::size_t(perLayer_) + std::size_t(band); }

    // A short spin covers a band that another running thread is finishing;
    // beyond that the other thread is off its core, and spinning would only
    // keep it off longer.
    void awaitDone(int z, int band)
    {
        std::atomic<int>& flag = done_[flagIndex(z, band)];
        for (int spins = 0; spins < kSpinsBeforeSleep; ++spins) {
            if (flag.load(std::memory_order_acquire))
                return;
            cpuRelax();
        }
        while (!flag.load(std::memory_order_acquire))
            flag.wait(0, std::memory_order_acquire);
    }

    CellGrid& grid_;
    const int n_;
    const int perLayer_;
    std::vector<std::atomic<int>> done_;
    std::vector<Part> parts_;
};

// Runnable threads of the whole system besides the caller and its helpers,
// or -1 when the system does not say.
int otherRunnableThreads()
{
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
    int running = 0;
    if (*p < '0' || *p > '9')
        return -1;
    while (*p >= '0' && *p <= '9')
        running = running * 10 + (*p++ - '0');
    // Our own helpers still finishing the last generation leave at once.
    return std::max(running - 1 - liveHelpers.load(std::memory_order_relaxed), 0);
}

}  // namespace

int coresAvailable()
{
    cpu_set_t set;
    CPU_ZERO(&set);
    if (sched_getaffinity(0, sizeof set, &set) == 0)
        return std::max(CPU_COUNT(&set), 1);
    return std::max(int(std::thread::hardware_concurrency()), 1);
}

int automaticThreads(int n)
{
    if (n < kThreadedFrom)
        return 1;
    const int cores = std::min(coresAvailable(), kMaxThreads);
    if (cores < 2)
        return 1;
    const int others = otherRunnableThreads();
    return others < 0 ? cores : std::clamp(cores - others, 1, cores);
}

Apex generateSingleThreaded(CellGrid& grid)
{
    const int n = grid.size();
    for (int z = 1; z < n; ++z)
        layerRows(grid, z, z, n);
    return apexOf(grid);
}

Apex generate(CellGrid& grid, int threads)
{
    if (threads <= 1 || grid.size() <= 2)
        return generateSingleThreaded(grid);
    std::shared_ptr<Bands> bands;
    try {
        bands = std::make_shared<Bands>(grid, threads);
    } catch (const std::bad_alloc&) {
        return generateSingleThreaded(grid);
    }
    // Helpers are not joined: one that has not reached a core by the time the
    // caller has taken over its part finds nothing left to do, and the caller
    // does not wait for it to come and see.
    for (int part = 1; part < bands->parts(); ++part) {
        if (liveHelpers.fetch_add(1) >= kMaxLiveHelpers) {
            liveHelpers.fetch_sub(1);
            break;  // earlier helpers still wait for a core: this one would too
        }
        try {
            std::thread([bands, part] {
                bands->work(part);
                liveHelpers.fetch_sub(1);
            }).detach();
        } catch (const std::exception&) {
            liveHelpers.fetch_sub(1);
            break;  // the caller takes the parts that no thread took
        }
    }
    bands->work(0);
    bands->awaitAll();
    return apexOf(grid);
}

Apex generate(CellGrid& grid)
{
    return generate(grid, automaticThreads(grid.size()));
}

}  // namespace brain
