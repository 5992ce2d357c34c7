#include "generation.h"

#include "generation_rows.h"
#include "platform/system_calls.h"

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

// Rows per band, the unit of work a thread takes at a time.
constexpr int kBandRows = 8;

// Pauses a waiting thread spins before it sleeps in the kernel.
constexpr int kSpinsBeforeSleep = 2000;

// Helper threads of all generations that have not finished yet, and how
// many may be.
std::atomic<int> liveHelpers{0};
constexpr int kMaxLiveHelpers = 2 * platform::kMostThreads;

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

// One generation shared out. The three channels never mix, and within a
// channel a band of kBandRows rows reads only the two bands below it. So the
// channels, laid end to end, are cut into one stretch per thread; where a cut
// falls inside a channel, the thread above takes its top rows and the thread
// below waits only for those. Each thread first does the rows that another
// waits for, and the caller, holding the first stretch, waits for no one
// until its own stretch is done.
class Bands {
public:
    Bands(CellGrid& grid, int threads)
        : grid_(grid), n_(grid.size()), perLayer_((n_ - 1) / kBandRows + 1),
          done_(std::size_t(kChannels) * std::size_t(n_) * std::size_t(perLayer_))
    {
        cut(std::clamp(threads, 1, kChannels * perLayer_));
    }

    int threads() const { return threads_; }

    // Computes thread `t`'s stretch. The caller (t = 0) then takes over
    // whatever is left of the others, whole, top rows first: taking turns
    // band by band with a thread that may be off its core would mean waiting
    // for it again and again.
    void work(int t)
    {
        for (int order = 0; order < 3; ++order)
            for (Segment& s : segments_)
                if (s.thread == t && s.order == order)
                    run(s, false);
        if (t == 0)
            for (Segment& s : segments_)
                if (s.thread != 0)
                    run(s, true);
    }

    // Returns once every band is done, by whichever thread: a channel's apex
    // band reads, through the bands below it, every band of its pyramid.
    void awaitAll()
    {
        for (int c = 0; c < kChannels; ++c)
            awaitDone(c, n_ - 1, (n_ - 1) / kBandRows);
    }

private:
    // Bands [first, last) of every layer of one channel.
    struct alignas(64) Segment {
        int channel = 0, first = 0, last = 0, thread = 0;
        int order = 0;  // 0: another segment waits for it, 1: it waits for no one, 2: it waits
        int total = 0;
        std::atomic<int> next{0};
        int bandsIn(int z) const { return std::max(0, last - std::max(first, z / kBandRows)); }
    };

    int rowsOf(int z, int band) const
    {
        return std::max(0, std::min(n_, (band + 1) * kBandRows) - std::max(z, band * kBandRows));
    }

    // Equal shares of cells. In units of 1/threads of a channel, thread t
    // holds [3t, 3t + 3) and channel c spans [c * threads, (c + 1) * threads).
    void cut(int threads)
    {
        threads_ = threads;
        std::vector<double> before(std::size_t(perLayer_) + 1, 0.0);  // cells of bands [0, b)
        for (int band = 0; band < perLayer_; ++band) {
            double cells = 0;
            for (int z = 1; z < n_; ++z)
                cells += double(rowsOf(z, band)) * double(n_ - z);
            before[std::size_t(band) + 1] = before[std::size_t(band)] + cells;
        }
        auto bandAt = [&](int units) {  // the band where `units`/threads of a channel's cells end
            const double target = before.back() * double(units) / double(threads);
            int band = 0;
            while (band < perLayer_ && (before[std::size_t(band)] + before[std::size_t(band) + 1]) / 2 < target)
                ++band;
            return band;
        };
        std::size_t count = 0;
        for (int c = 0; c < kChannels; ++c)
            for (int t = 0; t < threads; ++t)
                count += std::min(3 * t + 3, (c + 1) * threads) > std::max(3 * t, c * threads) ? 1u : 0u;
        segments_ = std::vector<Segment>(count);
        std::size_t i = 0;
        for (int c = 0; c < kChannels; ++c)
            for (int t = 0; t < threads; ++t) {
                const int from = std::max(3 * t, c * threads), to = std::min(3 * t + 3, (c + 1) * threads);
                if (from >= to)
                    continue;
                Segment& s = segments_[i++];
                s.channel = c;
                s.thread = t;
                s.first = bandAt(from - c * threads);
                s.last = bandAt(to - c * threads);
                s.order = to < (c + 1) * threads ? 0 : from > c * threads ? 2 : 1;
                for (int z = 1; z < n_; ++z)
                    s.total += s.bandsIn(z);
            }
    }

    void run(Segment& s, bool takeOver)
    {
        int z = 1, layerStart = 0;
        int i = takeOver ? s.next.exchange(s.total, std::memory_order_relaxed) : 0;
        for (;; ++i) {
            if (!takeOver)
                i = s.next.fetch_add(1, std::memory_order_relaxed);
            if (i >= s.total)
                return;
            while (i >= layerStart + s.bandsIn(z))
                layerStart += s.bandsIn(z++);
            const int band = std::max(s.first, z / kBandRows) + (i - layerStart);
            const int from = std::max(z, band * kBandRows);
            const int to = std::min(n_, (band + 1) * kBandRows);
            if (z > 1) {
                awaitDone(s.channel, z - 1, (from - 1) / kBandRows);
                awaitDone(s.channel, z - 1, band);
            }
            layerRows(grid_, s.channel, z, from, to);
            std::atomic<int>& flag = done_[flagIndex(s.channel, z, band)];
            flag.store(1, std::memory_order_release);
            flag.notify_all();
        }
    }

    std::size_t flagIndex(int channel, int z, int band) const
    {
        return (std::size_t(channel) * std::size_t(n_) + std::size_t(z)) * std::size_t(perLayer_) + std::size_t(band);
    }

    // A short spin covers a band that another running thread is finishing;
    // beyond that the other thread is off its core, and spinning would only
    // keep it off longer.
    void awaitDone(int channel, int z, int band)
    {
        std::atomic<int>& flag = done_[flagIndex(channel, z, band)];
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
    int threads_ = 1;
    std::vector<std::atomic<int>> done_;
    std::vector<Segment> segments_;
};

// Runnable threads of the whole system besides the caller and its helpers,
// or -1 when the system does not say.
int otherRunnableThreads()
{
    const int running = platform::runnableThreads();
    if (running < 0)
        return -1;
    // Our own helpers still finishing the last generation leave at once.
    return std::max(running - 1 - liveHelpers.load(std::memory_order_relaxed), 0);
}

}  // namespace

int coresAvailable()
{
    return platform::usableThreads();
}

int automaticThreads(int n)
{
    if (n < kThreadedFrom)
        return 1;
    const int cores = coresAvailable();
    if (cores < 2)
        return 1;
    const int others = otherRunnableThreads();
    return others < 0 ? cores : std::clamp(cores - others, 1, cores);
}

Apex generateSingleThreaded(CellGrid& grid)
{
    const int n = grid.size();
    // Channel by channel, so that each layer reads the one just written,
    // while it is still in the cache, not one written three layers ago.
    for (int c = 0; c < kChannels; ++c)
        for (int z = 1; z < n; ++z)
            layerRows(grid, c, z, z, n);
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
    // caller has taken over its stretch finds nothing left to do, and the caller
    // does not wait for it to come and see.
    for (int t = 1; t < bands->threads(); ++t) {
        if (liveHelpers.fetch_add(1) >= kMaxLiveHelpers) {
            liveHelpers.fetch_sub(1);
            break;  // earlier helpers still wait for a core: this one would too
        }
        try {
            std::thread([bands, t] {
                bands->work(t);
                liveHelpers.fetch_sub(1);
            }).detach();
        } catch (const std::exception&) {
            liveHelpers.fetch_sub(1);
            break;  // the caller takes over what no thread took
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
