#include "storage/read/wide_fields.h"

#include "platform/cpu_features.h"
#include "storage/read/wide_fields16.h"
#include "storage/read/wide_fields32.h"

namespace storage::detail {

void wideFields(FieldCursor& c, const char* begin, const char* end, std::uint64_t fields)
{
    const platform::VectorWidth width = platform::vectorWidth();
    if (int(width) >= int(platform::VectorWidth::Avx2))
        wideFields32(c, begin, end, fields);
    else if (width == platform::VectorWidth::Simd16)
        wideFields16(c, begin, end, fields);
}

}  // namespace storage::detail
