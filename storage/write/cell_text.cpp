// Each value's record comes ready made from a table and is copied with one
// 8-byte store; runs of zero cells, most of the cells outside the pyramid,
// are copied 16 cells at a time from a ready made text.
#include "storage/write/cell_text.h"

#include <array>
#include <cstring>

namespace storage::detail {

namespace {

// "0\r\n" to "255\r\n", padded to 8 bytes.
struct Record {
    char text[8];
    std::uint32_t length;
};

constexpr std::array<Record, 256> makeRecords()
{
    std::array<Record, 256> table{};
    for (int v = 0; v < 256; ++v) {
        Record& r = table[std::size_t(v)];
        int n = 0;
        if (v >= 100)
            r.text[n++] = char('0' + v / 100);
        if (v >= 10)
            r.text[n++] = char('0' + v / 10 % 10);
        r.text[n++] = char('0' + v % 10);
        r.text[n++] = '\r';
        r.text[n++] = '\n';
        r.length = std::uint32_t(n);
    }
    return table;
}

constexpr std::array<Record, 256> kRecords = makeRecords();

constexpr std::size_t kRun = 16;
constexpr char kZeroCells[] = "0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n"
                              "0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n"
                              "0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n";
static_assert(sizeof kZeroCells - 1 == 3 * 3 * kRun);

inline char* put(char* out, std::uint8_t value)
{
    const Record& r = kRecords[value];
    std::memcpy(out, r.text, 8);
    return out + r.length;
}

inline bool zeros(const std::uint8_t* p)
{
    std::uint64_t a, b;
    std::memcpy(&a, p, 8);
    std::memcpy(&b, p + 8, 8);
    return (a | b) == 0;
}

}  // namespace

char* cellText(const std::uint8_t* const planes[3], std::size_t from, std::size_t to, char* out)
{
    const std::uint8_t* red = planes[0];
    const std::uint8_t* green = planes[1];
    const std::uint8_t* blue = planes[2];
    std::size_t i = from;
    while (i < to) {
        if (to - i >= kRun && zeros(red + i) && zeros(green + i) && zeros(blue + i)) {
            std::memcpy(out, kZeroCells, sizeof kZeroCells - 1);
            out += sizeof kZeroCells - 1;
            i += kRun;
            continue;
        }
        const std::size_t stop = to - i < kRun ? to : i + kRun;
        for (; i < stop; ++i) {
            out = put(out, red[i]);
            out = put(out, green[i]);
            out = put(out, blue[i]);
        }
    }
    return out;
}

char* zeroCellText(std::size_t cells, char* out)
{
    for (; cells >= kRun; cells -= kRun) {
        std::memcpy(out, kZeroCells, sizeof kZeroCells - 1);
        out += sizeof kZeroCells - 1;
    }
    std::memcpy(out, kZeroCells, 9 * cells);
    return out + 9 * cells;
}

}  // namespace storage::detail
