#pragma once
// The quick way through cell fields as the program writes them: one to three
// digits and a line end each, zeros in long runs, a block of 16 or 32 bytes
// at a time, as wide as the CPU check (platform/cpu_features.h) allows. It
// stops at anything out of the ordinary, which the general field reader then
// takes on; where no wide kernel runs, that reader takes every field.
#include <cstdint>

namespace storage::detail {

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
