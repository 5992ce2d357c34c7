// One generation: the engine, the plain 32-bit transcription, and a memcpy
// of the pyramid's bytes as the floor no pass over the brain can beat.
#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
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

void BM_Engine(benchmark::State& state)
{
    auto grid = randomGrid(int(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(brain::generate(*grid));
}

void BM_EngineOneThread(benchmark::State& state)
{
    auto grid = randomGrid(int(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(brain::generateSingleThreaded(*grid));
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

}  // namespace

BENCHMARK(BM_Engine)->Arg(30)->Arg(100)->Arg(200)->Arg(410)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_EngineOneThread)->Arg(30)->Arg(100)->Arg(200)->Arg(410)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Plain32)->Arg(30)->Arg(100)->Arg(200)->Arg(410)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MemcpyPyramid)->Arg(30)->Arg(100)->Arg(200)->Arg(410)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
