#pragma once
// The wide fields 32 bytes at a time, with AVX2.
#include <cstdint>

#include "storage/read/wide_fields.h"

namespace storage::detail {

// As wideFields; only where the CPU runs AVX2 (nothing taken where this
// build has no code for it).
void wideFields32(FieldCursor& c, const char* begin, const char* end, std::uint64_t fields);

}  // namespace storage::detail
