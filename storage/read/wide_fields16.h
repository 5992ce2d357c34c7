#pragma once
// The wide fields 16 bytes at a time: SSSE3 on x86, SIMD128 on WebAssembly.
#include <cstdint>

#include "storage/read/wide_fields.h"

namespace storage::detail {

// As wideFields; only where the CPU runs the 16-byte width (nothing taken
// where this build has no code for it).
void wideFields16(FieldCursor& c, const char* begin, const char* end, std::uint64_t fields);

}  // namespace storage::detail
