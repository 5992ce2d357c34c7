// One generation: the engine, the plain 32-bit transcription, and a memcpy
// of the pyramid's bytes as the floor no pass over the brain can beat; then
// the engine again beside one busy loop per core (the *Busy benchmarks).
// Ratios from the medians of one run:
//   generation_bench --benchmark_repetitions=5 --benchmark_enable_random_interleaving=true
//       --benchmark_format=json | bench/engine/ratios.py
//
// How the engine shares a generation out, and why (2-core machine):
// - The three channels never mix, and a row reads only two rows of the layer
//   below, not the whole layer. So each thread takes a stretch of the three
//   channels laid end to end (two threads: red and the top of green; the
//   rest of green and blue), in bands of 8 rows. Where a stretch starts
//   inside a channel, its thread waits only for the rows above, which their
//   thread does first; the caller's stretch waits for nothing. The old split
//   met at a barrier after every layer, 409 times a generation, where a
//   waiter spun while the thread it waited for was off its core: 98 x slower
//   than one thread beside two busy loops. Cutting only the rows into parts
//   tied a helper to the caller's pace layer by layer and left the caller a
//   sixth of the work alone at the end.
// - Waits spin about 40 us, enough for a running thread to finish a band,
//   then sleep in the kernel, so a waiter gives its core back.
// - Once its own stretch is done, the caller takes over what is left of the
//   others whole. Taking bands in turns with a helper, the first version of
//   this, stopped the caller at every band a descheduled helper held: three
//   times slower than one thread on a loaded machine. Now it waits at most
//   once per stretch, for the band a helper is in the middle of.
// - Helpers are not joined; the caller waits for the apex bands, which read
//   every other band. A helper that reached no core in time costs nothing.
// - Bands cut the kernel's row prefetch short: 9.5 ms against 6.8 ms for the
//   whole layer at N = 410 (CPU time, one thread) until it looked past them.
// - That one wait for a descheduled helper is still a time slice, longer
//   than a whole generation at N <= 200: BM_EngineThreadsBusy, one thread per
//   core whatever the load, loses to one thread. So the automatic count takes
//   a helper only for a core that no other runnable thread of the system
//   wants at the moment of the call (the run-queue count in /proc/loadavg;
//   BM_ThreadCountChoice is its cost), and none below N = 160.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <random>
#include <thread>
#include <vector>

#include "brain/generation.h"
#include "tests/brain/plain_brain.h"

namespace {

std::unique_ptr<brain::CellGrid> randomGrid(int n)
{
    auto grid = brain::CellGrid::allocate(n);
    std::mt19937 rng(1);
    for (int c = 0; c < 3; ++c)
        for (std::size_t i = 0; i < grid->planeBytes(); ++i)
            grid->plane(c)[i] = std::uint8_t(rng());
    return grid;
}

// One busy loop per core for as long as it lives, like a desktop whose
// other programs want every core.
class BusyCores {
public:
    BusyCores()
    {
        const int cores = brain::coresAvailable();
        for (int i = 0; i < cores; ++i)
            loops_.emplace_back([this] {
                started_.fetch_add(1);
                while (!stop_.load(std::memory_order_relaxed)) {
                }
            });
        while (started_.load() < cores)
            std::this_thread::yield();
    }
    ~BusyCores()
    {
        stop_.store(true);
        for (std::thread& loop : loops_)
            loop.join();
    }

private:
    std::atomic<bool> stop_{false};
    std::atomic<int> started_{0};
    std::vector<std::thread> loops_;
};

template <typename Generate>
void runEngine(benchmark::State& state, Generate generate)
{
    auto grid = randomGrid(int(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(generate(*grid));
}

double median(std::vector<double> v)
{
    std::nth_element(v.begin(), v.begin() + std::ptrdiff_t(v.size() / 2), v.end());
    return v[v.size() / 2];
}

// As runEngine, and after every timed generation an untimed one on one
// thread, on the same grid under the same load: the counter vs_one_thread is
// the ratio of their medians, which the machine's other work disturbs far
// less than two benchmarks run one after the other.
template <typename Generate>
void runEngineBesideOneThread(benchmark::State& state, Generate generate)
{
    using Clock = std::chrono::steady_clock;
    auto grid = randomGrid(int(state.range(0)));
    std::vector<double> engine, oneThread;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        benchmark::DoNotOptimize(generate(*grid));
        engine.push_back(std::chrono::duration<double>(Clock::now() - t0).count());
        state.PauseTiming();
        const auto t1 = Clock::now();
        benchmark::DoNotOptimize(brain::generateSingleThreaded(*grid));
        oneThread.push_back(std::chrono::duration<double>(Clock::now() - t1).count());
        state.ResumeTiming();
    }
    state.counters["vs_one_thread"] = median(engine) / median(oneThread);
}

// The automatic count: what the window uses. engine_threads is the count it
// picks just after the run.
void BM_Engine(benchmark::State& state)
{
    runEngineBesideOneThread(state, [](brain::CellGrid& g) { return brain::generate(g); });
    state.counters["engine_threads"] = brain::automaticThreads(int(state.range(0)));
}

void BM_EngineOneThread(benchmark::State& state)
{
    runEngine(state, [](brain::CellGrid& g) { return brain::generateSingleThreaded(g); });
}

// One thread per core, whatever the load.
void BM_EngineThreads(benchmark::State& state)
{
    const int threads = brain::coresAvailable();
    runEngineBesideOneThread(state, [threads](brain::CellGrid& g) { return brain::generate(g, threads); });
    state.counters["engine_threads"] = threads;
}

void BM_EngineBusy(benchmark::State& state)
{
    BusyCores busy;
    BM_Engine(state);
}

void BM_EngineOneThreadBusy(benchmark::State& state)
{
    BusyCores busy;
    BM_EngineOneThread(state);
}

void BM_EngineThreadsBusy(benchmark::State& state)
{
    BusyCores busy;
    BM_EngineThreads(state);
}

// What choosing the count costs each generation from the threaded size on.
void BM_ThreadCountChoice(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(brain::automaticThreads(1000));
}

void BM_Plain32(benchmark::State& state)
{
    plain::Brain b(int(state.range(0)));
    std::mt19937 rng(1);
    for (auto* v : {&b.red, &b.green, &b.blue})
        for (auto& x : *v)
            x = std::int32_t(rng() & 0xFF);
    int r, g, bl;
    for (auto _ : state) {
        b.generate(r, g, bl);
        benchmark::DoNotOptimize(r);
    }
}

void BM_MemcpyPyramid(benchmark::State& state)
{
    const std::size_t bytes = 3 * brain::sizeOfBrain(int(state.range(0)));
    std::vector<std::uint8_t> from(bytes, 1), to(bytes, 2);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), bytes);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(bytes));
}

void sizes(benchmark::internal::Benchmark* b)
{
    b->Arg(30)->Arg(100)->Arg(200)->Arg(410)->Unit(benchmark::kMicrosecond);
}

}  // namespace

BENCHMARK(BM_Engine)->Apply(sizes);
BENCHMARK(BM_EngineOneThread)->Apply(sizes);
BENCHMARK(BM_EngineThreads)->Apply(sizes);
BENCHMARK(BM_Plain32)->Apply(sizes);
BENCHMARK(BM_ThreadCountChoice);
BENCHMARK(BM_MemcpyPyramid)->Apply(sizes);
BENCHMARK(BM_EngineBusy)->Apply(sizes);
BENCHMARK(BM_EngineOneThreadBusy)->Apply(sizes);
BENCHMARK(BM_EngineThreadsBusy)->Apply(sizes);

BENCHMARK_MAIN();
