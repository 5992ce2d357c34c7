#pragma once
// The scanning kernels of the reader, each with its portable path beside
// the wide one, chosen by the one CPU check (platform/cpu_features.h):
// - field ends: every field, good or bad, ends at a line end (LF) or a
//   comma, so the text can be cut after any of them, and counting them
//   tells which field comes next;
// - wide fields: the quick way through cell fields as the program writes
//   them, one to three digits and a line end each, zeros in long runs, 32
//   bytes at a time where the processor has AVX2; it stops at anything out
//   of the ordinary, which the general field reader then takes on.
#include <cstddef>
#include <cstdint>

namespace storage::detail {


struct FieldEnds {
    std::uint64_t count = 0;
    std::ptrdiff_t last = -1;  // where the last one is; -1 for none
};

// The field ends among the n bytes at p.
FieldEnds fieldEnds(const char* p, std::size_t n);


// Where decoding stands: the next byte (the first of a field), the places of
// the next three fields, rotated after every store so that no channel needs
// counting, and the number of the next field.
struct FieldCursor {
    const char* p;
    std::uint8_t* here;
    std::uint8_t* then;
    std::uint8_t* after;
    std::uint64_t field;

    void store(unsigned value)
    {
        *here = std::uint8_t(value);
        std::uint8_t* const next = here + 1;
        here = then;
        then = after;
        after = next;
        ++field;
    }
};

// Takes the fields from c.p on, up to field number `fields`, as long as they
// are plain; reads no byte before `begin` nor from `end` on. A run of zero
// fields is passed over without a store: the planes must hold zeros already.
void wideFields(FieldCursor& c, const char* begin, const char* end, std::uint64_t fields);

}  // namespace storage::detail
