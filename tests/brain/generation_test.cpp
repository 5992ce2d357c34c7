// The engine against the plain 32-bit transcription, and the worked numbers.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include <random>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "brain/generation.h"
#include "plain_brain.h"
#include "platform/cpu_features.h"

namespace {

using brain::CellGrid;

// Fills the same random values into both brains; `upper` also seeds the
// upper layers, as a loaded brain would have them.
void seed(CellGrid& grid, plain::Brain& ref, std::mt19937& rng, bool upper)
{
    const int n = grid.size();
    for (int z = 0; z < (upper ? n : 1); ++z)
        for (int y = 0; y < n; ++y)
            for (int x = 0; x < n; ++x)
                for (int c = 0; c < 3; ++c) {
                    const auto v = std::uint8_t(rng());
                    grid.set(c, x, y, z, v);
                    std::vector<std::int32_t>* arrays[] = {&ref.red, &ref.green, &ref.blue};
                    (*arrays[c])[ref.at(x, y, z)] = v;
                }
}

// Where the engine and the oracle first differ; empty when they agree.
std::string firstDifference(const CellGrid& grid, const plain::Brain& ref)
{
    const int n = grid.size();
    const std::vector<std::int32_t>* arrays[] = {&ref.red, &ref.green, &ref.blue};
    for (int c = 0; c < 3; ++c)
        for (int z = 0; z < n; ++z)
            for (int y = 0; y < n; ++y)
                for (int x = 0; x < n; ++x)
                    if (int(grid.at(c, x, y, z)) != (*arrays[c])[ref.at(x, y, z)])
                        return "channel " + std::to_string(c) + " cell " + std::to_string(x) + "," +
                               std::to_string(y) + "," + std::to_string(z);
    return {};
}

struct OracleCase {
    int n;
    int generations;
    bool upper;
    int threads;  // 0: the automatic count
    int vectorBytes = 0;  // the row kernel's width, forced; 0: the CPU's widest
};

std::string nameOf(const OracleCase& c)
{
    std::string name = std::to_string(c.n);
    name.insert(0, 1, 'N');  // not "N" + ...: GCC 12 warns falsely about that
    name.append(c.upper ? "_loaded" : "_fresh");
    if (c.threads)
        name.append("_T").append(std::to_string(c.threads));
    if (c.vectorBytes)
        name.append("_V").append(std::to_string(c.vectorBytes));
    return name;
}

std::string caseName(const testing::TestParamInfo<OracleCase>& info) { return nameOf(info.param); }

// How googletest shows a case in test lists (and so in ctest's names).
void PrintTo(const OracleCase& c, std::ostream* out) { *out << nameOf(c); }

class EngineMatchesOracle : public testing::TestWithParam<OracleCase> {};

TEST_P(EngineMatchesOracle, CellForCellAfterSeveralGenerations)
{
    const auto [n, generations, upper, threads, vectorBytes] = GetParam();
    struct Unforce {
        ~Unforce() { platform::unforceVectorWidth(); }
    } unforce;
    if (vectorBytes && !platform::forceVectorWidth(platform::VectorWidth(vectorBytes)))
        GTEST_SKIP() << "this CPU cannot run the " << vectorBytes << "-byte row kernel; it is built but not run here";
    auto grid = CellGrid::allocate(n);
    ASSERT_TRUE(grid);
    plain::Brain ref(n);
    std::mt19937 rng(unsigned(n * 7 + upper));
    seed(*grid, ref, rng, upper);
    for (int g = 0; g < generations; ++g) {
        const brain::Apex apex = threads ? brain::generate(*grid, threads) : brain::generate(*grid);
        int r, gr, b;
        ref.generate(r, gr, b);
        ASSERT_EQ(apex.red, r);
        ASSERT_EQ(apex.green, gr);
        ASSERT_EQ(apex.blue, b);
        // New input between generations, as painting would bring.
        if (g + 1 < generations) {
            seed(*grid, ref, rng, false);
        }
    }
    EXPECT_EQ(firstDifference(*grid, ref), "");
}

// Sizes around the vector widths (16 and 32 bytes) and past the size where
// the automatic count may take a second thread; fresh and loaded in turn
// (and 100 loaded).
std::vector<OracleCase> sizeCases()
{
    std::vector<OracleCase> cases;
    for (int n : {2, 3, 15, 16, 17, 18, 31, 32, 33, 34, 63, 64, 65, 66, 100, 161, 200})
        cases.push_back({n, n < 64 ? 3 : 2, cases.size() % 2 == 1 || n == 100, 0});
    return cases;
}
INSTANTIATE_TEST_SUITE_P(Sizes, EngineMatchesOracle, testing::ValuesIn(sizeCases()), caseName);

// Fixed counts, more threads than cores included: two and eight threads
// share channels (one waits for another's rows), three take one each. Sizes
// whose rows end on and just past a band of rows, and tiny ones with fewer
// bands than threads.
std::vector<OracleCase> threadCases()
{
    std::vector<OracleCase> cases;
    for (int threads : {1, 2, 3, 8})
        for (int n : {4, 9, 17, 40, 131})
            cases.push_back({n, 3, n % 2 == 1, threads});
    return cases;
}
INSTANTIATE_TEST_SUITE_P(Threads, EngineMatchesOracle, testing::ValuesIn(threadCases()), caseName);

// Every row kernel the CPU can run, forced: every side from 1 to 130 (each
// width's whole vectors and tail windows, and the narrower widths a wide
// kernel falls back to for short rows), alone and in bands.
std::vector<OracleCase> widthCases(int n, int generations)
{
    std::vector<OracleCase> cases;
    for (int bytes : {16, 32, 64})
        for (int threads : {1, 2})
            cases.push_back({n, generations, threads == 1, threads, bytes});
    return cases;
}
INSTANTIATE_TEST_SUITE_P(Widths, EngineMatchesOracle, testing::ValuesIn(widthCases(131, 2)), caseName);

// The largest size the window offers: seconds and most of a gigabyte for the
// plain version, so ctest labels it slow.
INSTANTIATE_TEST_SUITE_P(FullSize, EngineMatchesOracle, testing::ValuesIn(widthCases(410, 1)), caseName);

TEST(Generation, SinglePointGrowsBinomially)
{
    auto grid = CellGrid::allocate(10);
    grid->set(brain::Red, 0, 0, 0, 1);
    // Each generation adds into the last one's values.
    for (int expected : {1, 10, 55, 220, 203})
        EXPECT_EQ(brain::generate(*grid).red, expected);
}

#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
// Caps the address space just above what the process holds, so that no
// thread stack can be mapped; exits 0 when the pass still matches the oracle.
[[noreturn]] void generateWithoutRoomForThreads()
{
    const int n = 70;
    auto grid = CellGrid::allocate(n);
    plain::Brain ref(n);
    std::mt19937 rng(3);
    seed(*grid, ref, rng, true);
    long pages = 0;
    if (std::FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld", &pages) != 1)
            pages = 0;
        std::fclose(statm);
    }
    const rlim_t cap = rlim_t(pages) * rlim_t(sysconf(_SC_PAGESIZE)) + (rlim_t(2) << 20);
    const rlimit limit{cap, cap};
    if (pages == 0 || setrlimit(RLIMIT_AS, &limit) != 0)
        std::_Exit(2);
    try {
        std::thread([] {}).join();
        std::_Exit(3);  // the cap did not stop threads: nothing would be tested
    } catch (const std::system_error&) {
    }
    const brain::Apex apex = brain::generate(*grid, 4);
    int r, g, b;
    ref.generate(r, g, b);
    const bool same = apex.red == r && apex.green == g && apex.blue == b && firstDifference(*grid, ref).empty();
    std::_Exit(same ? 0 : 1);
}

TEST(GenerationDeathTest, RunsOnTheThreadsItHasWhenNoneCanStart)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");  // a fresh process: no cached thread stacks
    EXPECT_EXIT(generateWithoutRoomForThreads(), testing::ExitedWithCode(0), "");
}
#endif

}  // namespace
