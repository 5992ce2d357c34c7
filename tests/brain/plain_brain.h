#pragma once
// The generation written the plain way: three arrays of 32-bit integers with
// bounds 0..N in every index, walked cell by cell with the two countdowns.
// Slow on purpose; the engine must match it cell for cell.
#include <cstdint>
#include <vector>

namespace plain {

struct Brain {
    explicit Brain(int side) : n(side), red(volume(side)), green(volume(side)), blue(volume(side)) {}

    static std::size_t volume(int n) { return std::size_t(n + 1) * std::size_t(n + 1) * std::size_t(n + 1); }
    std::size_t at(int x, int y, int z) const
    {
        return (std::size_t(z) * std::size_t(n + 1) + std::size_t(y)) * std::size_t(n + 1) + std::size_t(x);
    }

    // Returns the apex cell's three channels.
    void generate(int& outRed, int& outGreen, int& outBlue)
    {
        int colsLeft = n - 1, rowsLeft = n - 1;
        int x = 1, y = 1, z = 1;
        for (;;) {
            for (std::vector<std::int32_t>* c : {&red, &green, &blue}) {
                std::vector<std::int32_t>& C = *c;
                C[at(x, y, z)] = C[at(x, y, z)] + C[at(x, y, z - 1)] + C[at(x - 1, y, z - 1)] +
                                 C[at(x, y - 1, z - 1)] + C[at(x - 1, y - 1, z - 1)];
            }
            for (std::vector<std::int32_t>* c : {&red, &green, &blue})
                (*c)[at(x, y, z)] %= 256;
            ++x;
            if (x > n - 1) {
                x = n - colsLeft;
                ++y;
                if (y > n - 1) {
                    --colsLeft;
                    --rowsLeft;
                    x = n - colsLeft;
                    y = n - rowsLeft;
                    ++z;
                    if (colsLeft < 1 && rowsLeft < 1)
                        break;
                }
            }
        }
        outRed = red[at(n - 1, n - 1, n - 1)];
        outGreen = green[at(n - 1, n - 1, n - 1)];
        outBlue = blue[at(n - 1, n - 1, n - 1)];
    }

    int n;
    std::vector<std::int32_t> red, green, blue;
};

}  // namespace plain
