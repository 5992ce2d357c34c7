// The engine against the plain 32-bit transcription, and the worked numbers.
#include <gtest/gtest.h>

#include <random>

#include "brain/generation.h"
#include "plain_brain.h"

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

void expectSame(const CellGrid& grid, const plain::Brain& ref)
{
    const int n = grid.size();
    const std::vector<std::int32_t>* arrays[] = {&ref.red, &ref.green, &ref.blue};
    for (int c = 0; c < 3; ++c)
        for (int z = 0; z < n; ++z)
            for (int y = 0; y < n; ++y)
                for (int x = 0; x < n; ++x)
                    ASSERT_EQ(int(grid.at(c, x, y, z)), (*arrays[c])[ref.at(x, y, z)])
                        << "size " << n << " channel " << c << " cell " << x << "," << y << "," << z;
}

struct OracleCase {
    int n;
    int generations;
    bool upper;
};

class EngineMatchesOracle : public testing::TestWithParam<OracleCase> {};

TEST_P(EngineMatchesOracle, CellForCellAfterSeveralGenerations)
{
    const auto [n, generations, upper] = GetParam();
    auto grid = CellGrid::allocate(n);
    ASSERT_TRUE(grid);
    plain::Brain ref(n);
    std::mt19937 rng(unsigned(n * 7 + upper));
    seed(*grid, ref, rng, upper);
    for (int g = 0; g < generations; ++g) {
        const brain::Apex apex = brain::generate(*grid);
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
    expectSame(*grid, ref);
}

// Sizes around the vector widths (16 and 32 bytes) and past the threshold
// where the work is split over two threads.
INSTANTIATE_TEST_SUITE_P(Sizes, EngineMatchesOracle,
                         testing::Values(OracleCase{2, 3, false}, OracleCase{3, 3, true}, OracleCase{15, 3, false},
                                         OracleCase{16, 3, true}, OracleCase{17, 3, false}, OracleCase{18, 3, true},
                                         OracleCase{31, 3, false}, OracleCase{32, 3, true}, OracleCase{33, 3, false},
                                         OracleCase{34, 3, true}, OracleCase{63, 3, false}, OracleCase{64, 2, true},
                                         OracleCase{65, 2, false}, OracleCase{66, 2, true}, OracleCase{100, 2, true},
                                         OracleCase{161, 2, true}, OracleCase{200, 2, false},
                                         OracleCase{410, 1, true}),
                         [](const testing::TestParamInfo<OracleCase>& info) {
                             std::string name = std::to_string(info.param.n);
                             name.insert(0, 1, 'N');
                             name.append(info.param.upper ? "_loaded" : "_fresh");
                             return name;
                         });

TEST(Generation, SinglePointGrowsBinomially)
{
    auto grid = CellGrid::allocate(10);
    grid->set(brain::Red, 0, 0, 0, 1);
    // Each generation adds into the last one's values.
    for (int expected : {1, 10, 55, 220, 203})
        EXPECT_EQ(brain::generate(*grid).red, expected);
}

}  // namespace
