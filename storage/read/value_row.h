#pragma once
// What the wide kernels of every width share: the row of values decoded from
// a block's line ends and not yet stored, in file order, dealt out to the
// three planes 16 cells at a time; and the runs of zero fields, which are
// passed over rather than decoded.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "storage/read/wide_fields.h"

namespace storage::detail {

// A block's fields may start up to this far before it (a line end of two
// bytes and three digits), and the byte before those is looked at too.
constexpr std::ptrdiff_t kLookBack = 6;
// "0\r\n" 48 times: 16 cells of zeros.
constexpr std::ptrdiff_t kZeroRun = 144;
// The first 48 of those bytes: 16 or 32 of them from any of the first three
// on hold the pattern in each of its phases.
extern const char kZeroFields[49];

struct ValueRow {
    static constexpr unsigned kCapacity = 64 * 48;
    alignas(32) std::uint8_t values[kCapacity + 8];  // room for the 8-byte stores
    unsigned count = 0;
};

// For each set of marked bytes among eight, the shuffle that packs them to
// the front: their positions in order, then 0x80 for "none".
extern const std::array<std::uint64_t, 256> kPacking;

// Stores the row's values from the cursor's field on, and empties the row.
void dealRow(FieldCursor& cursor, ValueRow& row);

// Whether the bytes just before p are a CR LF line end.
inline bool followsLineEnd(const char* p)
{
    return p[-2] == '\r' && p[-1] == '\n';
}

// Whether p starts with "0\r\n0\r\n0\r": one load, so that blocks of other
// values pay next to nothing for the zero runs.
inline bool startsZeroRun(const char* p)
{
    std::uint64_t head;
    std::memcpy(&head, p, 8);
    std::uint64_t want;
    std::memcpy(&want, kZeroFields, 8);
    return head == want;
}

// Moves the cursor past one zero run, whose planes hold zeros already.
inline void passZeroRun(FieldCursor& c)
{
    c.p += kZeroRun;
    c.here += 16;
    c.then += 16;
    c.after += 16;
    c.field += 48;
}

}  // namespace storage::detail
