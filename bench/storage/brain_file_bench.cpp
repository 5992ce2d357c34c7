// Saving and loading a brain of size 410 (about 730 MB of text, file in the
// page cache) against the plain iostream version and against the bare cost of
// moving the same bytes: read(2) alone, write(2) alone, memcpy. Each figure is
// the median of several runs; the ratios of those medians go to stderr last,
// so --benchmark_format=json gives clean JSON on stdout. Peak memory beyond
// the brain itself is extra_MiB; LoadSmallPages loads with transparent huge
// pages off for the process, as the system setting "never" gives (the setting
// itself is printed with the ratios), Load16 through the 16-byte kernels that
// the web page runs; the processor time of all threads together,
// all_threads_cpu_ms (Time and CPU are the calling thread's alone). On a
// shared machine, --benchmark_enable_random_interleaving=true spreads the
// noise evenly over the figures that are compared.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/prctl.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "bench/storage/iostream_brain_file.h"
#include "bench/storage/process_meters.h"
#include "platform/cpu_features.h"
#include "storage/read/brain_reader.h"
#include "storage/write/brain_writer.h"

namespace {

constexpr int kSize = 410;
constexpr std::size_t kChunk = std::size_t(1) << 20;

struct Fixture {
    std::string folder, ours, plain, scratch;
    storage::BrainHeader header;
    std::unique_ptr<brain::CellGrid> grid;
};

bool fixtureMade = false;

// A brain as the program leaves it: the pyramid holds values of every width,
// the cells outside it 0.
Fixture& fixture()
{
    static Fixture f = [] {
        Fixture s;
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/brainbench-XXXXXX";
        if (!::mkdtemp(pattern.data()))
            std::abort();
        s.folder = pattern;
        s.ours = s.folder + "/ours.brain";
        s.plain = s.folder + "/plain.brain";
        s.scratch = s.folder + "/scratch";
        s.header.dimX = s.header.dimY = s.header.dimZ = kSize;
        s.grid = brain::CellGrid::allocate(kSize);
        unsigned r = 7;
        for (int z = 0; z < kSize; ++z)
            for (int y = z; y < kSize; ++y)
                for (int x = z; x < kSize; ++x)
                    for (int c = 0; c < 3; ++c) {
                        r = r * 1103515245u + 12345u;
                        s.grid->set(c, x, y, z, std::uint8_t(r >> 16));
                    }
        if (!storage::writeBrainFile(s.ours, s.header, *s.grid, storage::WriteOptions{false}).ok)
            std::abort();
        fixtureMade = true;
        return s;
    }();
    return f;
}

bool sameCells(const storage::LoadedBrain& loaded)
{
    const brain::CellGrid& want = *fixture().grid;
    if (!loaded.cells || loaded.cells->size() != want.size())
        return false;
    // The pyramid; the cells outside it are 0 here and were never stored.
    return std::memcmp(loaded.cells->pyramid(0), want.pyramid(0), want.pyramidCells() * 3) == 0
        && !loaded.cells->outside(brain::Red);
}

std::size_t fileBytes()
{
    std::ifstream in(fixture().ours, std::ios::binary | std::ios::ate);
    return std::size_t(in.tellg());
}

// Every write figure starts with the disk caught up: what earlier runs left
// to be written back would otherwise throttle whichever write comes next,
// and the write floor itself swings by half or more.
void caughtUp(benchmark::State& state)
{
    state.PauseTiming();
    ::sync();
    state.ResumeTiming();
}

void save(benchmark::State& state, bool sync)
{
    Fixture& f = fixture();
    for (auto _ : state) {
        caughtUp(state);
        PeakMeter peak;
        const double cpu = processCpuMs();
        const storage::FileResult r = storage::writeBrainFile(f.ours, f.header, *f.grid, storage::WriteOptions{sync});
        state.counters["all_threads_cpu_ms"] = processCpuMs() - cpu;
        state.counters["extra_MiB"] = peak.extraMiB();
        if (!r.ok)
            state.SkipWithError(r.error.c_str());
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(fileBytes()));
}

void Save(benchmark::State& state) { save(state, false); }
void SaveSynced(benchmark::State& state) { save(state, true); }

void load(benchmark::State& state)
{
    Fixture& f = fixture();
    for (auto _ : state) {
        PeakMeter peak;
        storage::LoadedBrain loaded;
        const double cpu = processCpuMs();
        const storage::FileResult r = storage::readBrainFile(f.ours, loaded);
        state.counters["all_threads_cpu_ms"] = processCpuMs() - cpu;
        state.counters["extra_MiB"] = peak.extraMiB(f.grid->pyramidCells() * 3);
        state.PauseTiming();
        if (!r.ok || !sameCells(loaded))
            state.SkipWithError(r.ok ? "loaded cells differ" : r.error.c_str());
        loaded = {};
        state.ResumeTiming();
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(fileBytes()));
}

void Load(benchmark::State& state) { load(state); }

// The same with the grid in small pages only, whatever the system's setting.
void LoadSmallPages(benchmark::State& state)
{
    SmallPagesOnly small;
    load(state);
}

// The same through the 16-byte kernels, which the web page runs.
void Load16(benchmark::State& state)
{
    if (!platform::forceVectorWidth(platform::VectorWidth::Simd16)) {
        state.SkipWithError("this CPU cannot run the 16-byte kernels");
        return;
    }
    load(state);
    platform::unforceVectorWidth();
}

void IostreamSave(benchmark::State& state)
{
    Fixture& f = fixture();
    for (auto _ : state) {
        caughtUp(state);
        if (!bench::iostreamWrite(f.plain, f.header, *f.grid))
            state.SkipWithError("iostream save failed");
    }
}

void IostreamLoad(benchmark::State& state)
{
    Fixture& f = fixture();
    for (auto _ : state) {
        storage::LoadedBrain loaded;
        const bool ok = bench::iostreamRead(f.ours, loaded);
        state.PauseTiming();
        if (!ok || !sameCells(loaded))
            state.SkipWithError("iostream load failed");
        loaded = {};
        state.ResumeTiming();
    }
}

// The floor under Load: read(2) of the whole file, nothing parsed.
void ReadOnly(benchmark::State& state)
{
    std::vector<char> buffer(kChunk);
    for (auto _ : state) {
        const int fd = ::open(fixture().ours.c_str(), O_RDONLY);
        while (::read(fd, buffer.data(), buffer.size()) > 0) {
        }
        ::close(fd);
    }
}

// The floor under Save: write(2) of as many bytes into a new file.
void WriteOnly(benchmark::State& state)
{
    const std::size_t total = fileBytes();
    std::vector<char> buffer(std::size_t(4) << 20, '7');
    for (auto _ : state) {
        caughtUp(state);
        ::unlink(fixture().scratch.c_str());
        const int fd = ::open(fixture().scratch.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        for (std::size_t left = total; left > 0;) {
            const std::size_t n = left < buffer.size() ? left : buffer.size();
            if (::write(fd, buffer.data(), n) != ssize_t(n))
                state.SkipWithError("write failed");
            left -= n;
        }
        ::close(fd);
    }
    ::unlink(fixture().scratch.c_str());
}

void Memcpy(benchmark::State& state)
{
    const std::size_t total = fileBytes();
    std::vector<char> from(total, '1'), to(total, '2');
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), total);
        benchmark::DoNotOptimize(to.data());
    }
}

#define BRAIN_BENCH(fn, reps) \
    BENCHMARK(fn)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(reps)

BRAIN_BENCH(Save, 5);
BRAIN_BENCH(SaveSynced, 3);
BRAIN_BENCH(Load, 5);
BRAIN_BENCH(LoadSmallPages, 5);
BRAIN_BENCH(Load16, 5);
BRAIN_BENCH(IostreamSave, 3);
BRAIN_BENCH(IostreamLoad, 3);
BRAIN_BENCH(WriteOnly, 5);
BRAIN_BENCH(ReadOnly, 5);
BRAIN_BENCH(Memcpy, 5);

// Passes every run on to the reporter that --benchmark_format asks for
// (console, json, csv) and keeps the medians for the ratios, which go to
// stderr so that the report itself stays machine-readable.
class MedianReporter : public benchmark::BenchmarkReporter {
public:
    MedianReporter() : inner_(benchmark::CreateDefaultDisplayReporter()) {}
    bool ReportContext(const Context& context) override { return inner_->ReportContext(context); }
    void ReportRuns(const std::vector<Run>& runs) override
    {
        inner_->ReportRuns(runs);
        for (const Run& run : runs)
            if (run.aggregate_name == "median")
                medians_[run.run_name.function_name] = run.GetAdjustedRealTime();
    }
    void Finalize() override { inner_->Finalize(); }
    void printRatios() const
    {
        std::fprintf(stderr, "\nRatios of medians (same run), huge pages %s:\n", hugePageSetting().c_str());
        ratio("IostreamSave", "Save");
        ratio("IostreamLoad", "Load");
        ratio("SaveSynced", "Save");
        ratio("Save", "WriteOnly");
        ratio("Load", "ReadOnly");
        ratio("LoadSmallPages", "ReadOnly");
        ratio("Load16", "Load");
        ratio("Save", "Memcpy");
        ratio("Load", "Memcpy");
    }

private:
    void ratio(const char* a, const char* b) const
    {
        const auto x = medians_.find(a), y = medians_.find(b);
        if (x != medians_.end() && y != medians_.end() && y->second > 0)
            std::fprintf(stderr, "  %-13s / %-10s = %6.2f  (%.0f ms / %.0f ms)\n", a, b, x->second / y->second,
                         x->second, y->second);
    }
    std::unique_ptr<benchmark::BenchmarkReporter> inner_;
    std::map<std::string, double> medians_;
};

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    MedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printRatios();
    if (fixtureMade)
        (void)std::system(("rm -rf '" + fixture().folder + "'").c_str());
    return 0;
}
