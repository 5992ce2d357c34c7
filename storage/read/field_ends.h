#pragma once
// Field ends: every field, good or bad, ends at a line end (LF) or a comma,
// so the text can be cut after any of them, and counting them tells which
// field comes next. Counted 16 or 32 bytes at a time where the CPU check
// (platform/cpu_features.h) allows, else a byte at a time.
#include <cstddef>
#include <cstdint>

namespace storage::detail {

struct FieldEnds {
    std::uint64_t count = 0;
    std::ptrdiff_t last = -1;  // where the last one is; -1 for none
};

// The field ends among the n bytes at p.
FieldEnds fieldEnds(const char* p, std::size_t n);

// The general field reader's quick look ahead: which of the next 64 bytes
// are line ends (LF), carriage returns and digits, one bit per byte, lowest
// bit first.
inline constexpr std::ptrdiff_t kClassifiedBlock = 64;
struct BlockClasses {
    std::uint64_t lf = 0, cr = 0, digit = 0;
};
BlockClasses classifyBlock(const char* p);

}  // namespace storage::detail
