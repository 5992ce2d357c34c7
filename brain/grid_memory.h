#pragma once
// Where the cell grid's memory comes from: zeroed bytes from the system,
// large runs mapped directly in huge pages where the system grants them, and
// how much memory the process can still take.
#include <cstddef>
#include <cstdint>

namespace brain::detail {

// `bytes` zeroed bytes, or null. From kMapFrom bytes on they are mapped:
// populated, all pages are handed over now, otherwise as they are first
// written; bounded, more than memoryHeadroom() is refused at once.
std::uint8_t* takeZeroed(std::size_t bytes, bool populated, bool bounded) noexcept;
void giveBack(std::uint8_t* data, std::size_t bytes) noexcept;

}  // namespace brain::detail
