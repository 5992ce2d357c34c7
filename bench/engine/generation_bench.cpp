// One generation: the engine, the plain 32-bit transcription, a memcpy of the
// pyramid's bytes, and the floor of a generation (BM_InPlacePyramid: every
// byte of the pyramid read and written once, in place; BM_InPlaceCube the
// same cells where an N x N x N cube per channel would keep them); then the
// engine again beside one busy loop per core (the *Busy benchmarks).
// Ratios from the medians of one run:
//   generation_bench --benchmark_repetitions=5 --benchmark_enable_random_interleaving=true
//       --benchmark_format=json | bench/engine/ratios.py
// How the engine shares a generation out, and why: bench/README.md.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <fstream>
#include <random>
#include <thread>
#include <vector>

#include "brain/generation.h"
#include "platform/cpu_features.h"
#include "tests/brain/plain_brain.h"

namespace {

std::unique_ptr<brain::CellGrid> randomGrid(int n)
{
    auto grid = brain::CellGrid::allocate(n);
    std::mt19937 rng(1);
    for (int c = 0; c < 3; ++c)
        for (std::size_t i = 0; i < grid->pyramidCells(); ++i)
            grid->pyramid(c)[i] = std::uint8_t(rng());
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

long residentKiB()
{
    std::ifstream in("/proc/self/statm");
    long size = 0, resident = 0;
    in >> size >> resident;
    return resident * (::sysconf(_SC_PAGESIZE) / 1024);
}

// The automatic count: what the window uses. engine_threads is the count it
// picks just after the run; grid_resident_MiB what a grid of this size takes
// once allocated as a size change allocates it.
void BM_Engine(benchmark::State& state)
{
    {
        const long before = residentKiB();
        auto grid = brain::CellGrid::allocate(int(state.range(0)), brain::Pages::Populated);
        state.counters["grid_resident_MiB"] = double(residentKiB() - before) / 1024.0;
    }
    runEngineBesideOneThread(state, [](brain::CellGrid& g) { return brain::generate(g); });
    state.counters["engine_threads"] = brain::automaticThreads(int(state.range(0)));
    state.counters["vector_bytes"] = int(platform::vectorWidth());
}

void BM_EngineOneThread(benchmark::State& state)
{
    runEngine(state, [](brain::CellGrid& g) { return brain::generateSingleThreaded(g); });
    state.counters["vector_bytes"] = int(platform::vectorWidth());
}

// One thread, the row kernel forced to each width (second argument, bytes);
// skipped where the CPU cannot run it.
void BM_EngineOneThreadAtWidth(benchmark::State& state)
{
    if (!platform::forceVectorWidth(platform::VectorWidth(state.range(1)))) {
        state.SkipWithError("this CPU cannot run that vector width");
        return;
    }
    BM_EngineOneThread(state);
    platform::unforceVectorWidth();
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

// Adds k to every byte of [p, p + bytes) in whole AVX2 vectors, in place.
using V32 = std::uint8_t __attribute__((vector_size(32)));
__attribute__((target("avx2"))) void addInPlace(std::uint8_t* p, std::size_t bytes, std::uint8_t k)
{
    std::size_t i = 0;
    for (; i + 32 <= bytes; i += 32) {
        V32 v;
        std::memcpy(&v, p + i, 32);
        v += k;
        std::memcpy(p + i, &v, 32);
    }
    for (; i < bytes; ++i)
        p[i] = std::uint8_t(p[i] + k);
}

// Times `pass(from, to)` over [0, parts) on the calling thread alone and on
// the engine's thread count (each thread a contiguous share), and reports the
// faster of the two for every iteration.
template <typename Pass>
void runFloor(benchmark::State& state, std::size_t parts, std::size_t bytes, Pass pass)
{
    using Clock = std::chrono::steady_clock;
    const int threads = std::max(brain::automaticThreads(int(state.range(0))), 1);
    for (auto _ : state) {
        const auto t0 = Clock::now();
        pass(std::size_t(0), parts);
        const auto t1 = Clock::now();
        std::vector<std::thread> helpers;
        for (int t = 1; t < threads; ++t)
            helpers.emplace_back([&, t] { pass(parts * std::size_t(t) / std::size_t(threads),
                                              parts * std::size_t(t + 1) / std::size_t(threads)); });
        pass(std::size_t(0), parts / std::size_t(threads));
        for (std::thread& h : helpers)
            h.join();
        const auto t2 = Clock::now();
        benchmark::ClobberMemory();
        state.SetIterationTime(std::chrono::duration<double>(std::min(t1 - t0, t2 - t1)).count());
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(bytes));
    state.counters["floor_threads"] = threads;
}

// The floor of a generation: every cell of the pyramid, three channels, read
// and written once, in place, as one contiguous run of memory.
void BM_InPlacePyramid(benchmark::State& state)
{
    const std::size_t bytes = 3 * brain::sizeOfBrain(int(state.range(0)));
    std::vector<std::uint8_t> cells(bytes, 1);
    constexpr std::size_t kPart = 4096;
    runFloor(state, (bytes + kPart - 1) / kPart, bytes, [&](std::size_t from, std::size_t to) {
        const std::size_t end = std::min(to * kPart, bytes);
        if (from * kPart < end)
            addInPlace(cells.data() + from * kPart, end - from * kPart, 3);
    });
}

// The same pass over the same cells where a cube of N x N x N bytes per
// channel keeps them: rows of N - z bytes at a stride of N.
void BM_InPlaceCube(benchmark::State& state)
{
    const std::size_t n = std::size_t(state.range(0));
    std::vector<std::uint8_t> cube(3 * n * n * n, 1);
    runFloor(state, 3 * n, 3 * brain::sizeOfBrain(int(n)), [&](std::size_t from, std::size_t to) {
        for (std::size_t cz = from; cz < to; ++cz) {  // channel c, layer z: cz = c * n + z
            const std::size_t z = cz % n;
            for (std::size_t y = z; y < n; ++y)
                addInPlace(cube.data() + (cz * n + y) * n + z, n - z, 3);
        }
    });
}

void sizes(benchmark::internal::Benchmark* b)
{
    b->Arg(30)->Arg(100)->Arg(200)->Arg(410)->Unit(benchmark::kMicrosecond);
}

}  // namespace

BENCHMARK(BM_Engine)->Apply(sizes);
BENCHMARK(BM_EngineOneThread)->Apply(sizes);
BENCHMARK(BM_EngineOneThreadAtWidth)->ArgsProduct({{200, 410}, {16, 32, 64}})->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_EngineThreads)->Apply(sizes);
BENCHMARK(BM_Plain32)->Apply(sizes);
BENCHMARK(BM_ThreadCountChoice);
BENCHMARK(BM_MemcpyPyramid)->Apply(sizes);
BENCHMARK(BM_InPlacePyramid)->Apply(sizes)->UseManualTime();
BENCHMARK(BM_InPlaceCube)->Apply(sizes)->UseManualTime();
BENCHMARK(BM_EngineBusy)->Apply(sizes);
BENCHMARK(BM_EngineOneThreadBusy)->Apply(sizes);
BENCHMARK(BM_EngineThreadsBusy)->Apply(sizes);

BENCHMARK_MAIN();
