#pragma once
// The text of a run of cells as the file holds it: for each cell its red,
// green and blue value, each in decimal and ended by CR LF.
#include <cstddef>
#include <cstdint>

namespace storage::detail {

// The most text one cell takes: "255\r\n" three times.
constexpr std::size_t kMostCellBytes = 15;
// Room past the text for the whole-word stores that build it.
constexpr std::size_t kCellTextSlack = 8;

// Writes cells from..to-1 of the three planes at `out`, which holds at least
// (to - from) * kMostCellBytes + kCellTextSlack bytes; returns the text's end.
char* cellText(const std::uint8_t* const planes[3], std::size_t from, std::size_t to, char* out);

// The text of `cells` cells whose values are all 0, with the same room at `out`.
char* zeroCellText(std::size_t cells, char* out);

}  // namespace storage::detail
