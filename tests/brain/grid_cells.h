#pragma once
// Tests see a grid's cells the way a brain file lists them: cell i of the
// cube order (x fastest, then y, then z), inside the pyramid or not.
#include <cstdint>

#include "brain/cell_grid.h"

namespace gridcells {

inline std::uint8_t get(const brain::CellGrid& g, int channel, std::uint64_t i)
{
    const std::uint64_t n = std::uint64_t(g.size());
    return g.at(channel, int(i % n), int(i / n % n), int(i / n / n));
}

inline void put(brain::CellGrid& g, int channel, std::uint64_t i, std::uint8_t v)
{
    const std::uint64_t n = std::uint64_t(g.size());
    g.set(channel, int(i % n), int(i / n % n), int(i / n / n), v);
}

inline std::uint64_t count(const brain::CellGrid& g)
{
    return std::uint64_t(g.size()) * std::uint64_t(g.size()) * std::uint64_t(g.size());
}

inline bool same(const brain::CellGrid& a, const brain::CellGrid& b)
{
    if (a.size() != b.size())
        return false;
    for (std::uint64_t i = 0; i < count(a); ++i)
        for (int c = 0; c < 3; ++c)
            if (get(a, c, i) != get(b, c, i))
                return false;
    return true;
}

}  // namespace gridcells
