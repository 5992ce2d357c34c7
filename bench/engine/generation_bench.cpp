// One generation: the engine, the plain 32-bit transcription, and a memcpy
// of the pyramid's bytes as the floor no pass over the brain can beat; then
// the engine again beside one busy loop per core (the *Busy benchmarks).
//
// Why the engine is built the way it is (figures: see README):
// - A layer reads the whole layer below, but a row reads only two rows of
//   it. Threads therefore take bands of rows one after the other, and a band
//   waits only for the two bands below it, never for a whole layer. A thread
//   that is slow or off its core simply takes fewer bands.
// - A band that must wait spins briefly, then sleeps in the kernel: a
//   spinning waiter keeps the thread it waits for off its core, which is how
//   a barrier per layer once made two threads 98 x slower than one.
// - Sleeping alone does not save a generation from a thread that the
//   scheduler has put aside: sooner or later a band needs that thread's band,
//   and the wait is a whole time slice, far longer than a generation at the
//   smaller sizes. BM_EngineThreadsBusy shows it. So the automatic count
//   takes a second thread only when a core has no other runnable thread at
//   the moment of the call (the kernel's run-queue count), and below the
//   size where a second thread pays when quiet it never does.
#include <benchmark/benchmark.h>

#include <atomic>
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

// The automatic count: what the window uses. The counter is the count it
// picks just after the run.
void BM_Engine(benchmark::State& state)
{
    runEngine(state, [](brain::CellGrid& g) { return brain::generate(g); });
    state.counters["threads"] = brain::automaticThreads(int(state.range(0)));
}

void BM_EngineOneThread(benchmark::State& state)
{
    runEngine(state, [](brain::CellGrid& g) { return brain::generateSingleThreaded(g); });
}

// One thread per core, whatever the load.
void BM_EngineThreads(benchmark::State& state)
{
    const int threads = brain::coresAvailable();
    runEngine(state, [threads](brain::CellGrid& g) { return brain::generate(g, threads); });
    state.counters["threads"] = threads;
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
