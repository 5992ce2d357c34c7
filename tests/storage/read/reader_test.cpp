// What the reader accepts, and that everything else is refused cleanly.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>

#include "platform/cpu_features.h"
#include "tests/storage/brain_file_test_util.h"

namespace storage::test {
namespace {

// From a heap block of exactly the text's size, so that the sanitizers
// catch any read past its end.
FileResult load(const std::string& text, LoadedBrain& out)
{
    std::unique_ptr<char[]> exact(new char[text.size()]);
    std::memcpy(exact.get(), text.data(), text.size());
    return readBrainText(exact.get(), text.size(), out, "x.brain");
}

::testing::AssertionResult refused(const std::string& text, const std::string& reason = "")
{
    LoadedBrain out{{}, brain::CellGrid::allocate(2)};  // must be gone afterwards
    const FileResult r = load(text, out);
    if (r.ok || out.cells || r.error.find("\"x.brain\"") == std::string::npos
        || r.error.find(reason) == std::string::npos)
        return ::testing::AssertionFailure() << (r.ok ? "accepted" : r.error);
    return ::testing::AssertionSuccess();
}

// Size 5, so that the reader's 64-byte blocks come into play, written in
// several ways the reader takes; each read whole, in pieces, cut short and
// with more after its last cell. A cut after the last value's first digit
// cannot be told from a whole file; any earlier cut is refused.
TEST(BrainFileReader, EverySpellingLoadsWholeAndNoShorterPrefixLoads)
{
    const std::string header = "5,5,5,1,22,255,-7,2147483647,-1,1";
    std::string mixed = header + "\n", commas = header + "\r\n", padded = " 5 ,\t5,5 , 1,22,255,-7,2147483647,-1,1\r\n";
    for (int i = 0; i < 375; ++i) {
        const std::string v = std::to_string((250 + i) % 256);
        mixed += v + (i % 4 ? "\r\n" : "\n");
        commas += v + (i % 3 == 2 ? "\n" : ",");
        padded += (i % 2 ? "  " : "") + std::string(std::size_t(i % 5), '0') + v + " \r\n";
    }
    for (const std::string& text : {brainText(header, 5), brainText(header, 5, "\n"), mixed, commas, padded}) {
        LoadedBrain out, more;
        const FileResult r = load(text, out);
        ASSERT_TRUE(r.ok) << r.error << "\n" << text;
        for (int i = 0; i < 375; ++i)
            ASSERT_EQ(gridcells::get(*out.cells, i % 3, std::uint64_t(i / 3)), (250 + i) % 256) << "field " << i << " of\n" << text;
        for (std::size_t piece : {1u, 2u, 3u, 7u, 67u, 68u, 69u, 333u}) {
            LoadedBrain pieces;
            EXPECT_TRUE(readInPieces(text.data(), text.size(), piece, pieces) && sameBrain(pieces, out)) << piece;
        }
        const std::size_t lastDigit = text.find_last_of("0123456789");
        const std::size_t lastStart = text.find_first_of("0123456789", text.find_last_of("\n,", lastDigit) + 1);
        EXPECT_TRUE(refused(text.substr(0, lastStart), "the file ends before the blue value of cell (4, 4, 4)"));
        for (std::size_t len = 0; len < text.size(); ++len) {
            LoadedBrain cut, cutInPieces;
            const std::size_t piece = 1 + len % 100;
            if (len <= lastStart) {
                ASSERT_TRUE(refused(text.substr(0, len))) << len << " bytes of\n" << text;
                ASSERT_FALSE(readInPieces(text.data(), len, piece, cutInPieces)) << len << " bytes in pieces of\n" << text;
                continue;
            }
            ASSERT_TRUE(load(text.substr(0, len), cut).ok) << len << " bytes of\n" << text;
            ASSERT_TRUE(readInPieces(text.data(), len, piece, cutInPieces, 64 + len % 7) && sameBrain(cut, cutInPieces))
                << len << " bytes in pieces of\n" << text;
            EXPECT_TRUE(len <= lastDigit || sameBrain(cut, out)) << len << " bytes of\n" << text;
        }
        ASSERT_TRUE(load(text + "5\r\n6\r\nanything, 1.5e3\r\nx", more).ok);
        EXPECT_TRUE(sameBrain(more, out));
    }
}

TEST(BrainFileReader, RefusesMalformedFiles)
{
    const std::string head = "2,2,2,1,1,1,0,0,1,1\r\n", cells = brainText("", 2).substr(2);  // 24 good fields
    const struct {
        std::string text, reason;
    } cases[] = {
        {brainText("2,2,3,1,1,1,0,0,1,1", 2), "differ"},
        {brainText("1,1,1,1,1,1,0,0,1,1", 1), "size 1 is below the smallest"},
        {"1000,1000,1000,1,1,1,0,0,1,1\r\n" + cells, "needs at least 5999999999 bytes"},
        {"2147483647,2147483647,2147483647,1,1,1,0,0,1,1\r\n", "far larger"},
        {brainText("2,2,2,256,1,1,0,0,1,1", 2), "red component is 256"},
        {brainText("2,2,2,1,1,-1,0,0,1,1", 2), "blue component is -1"},
        {brainText("2,2,2,1,1,1,0,0,0,1", 2), "vertical direction is 0"},
        {brainText("2,2,2,1,1,1,0,0,1,2", 2), "horizontal direction is 2"},
        {brainText("2,2,2,1,1,1,2147483648,0,1,1", 2), "column is too large"},
        {brainText("2,2,2,1,1,1,0,-2147483649,1,1", 2), "row is too large"},
        {brainText("2,2,2,1.5,1,1,0,0,1,1", 2), "red component (at byte 7) is not a whole"},
        {brainText("2,2,2,1e2,1,1,0,0,1,1", 2), "not a whole"},
        {brainText("2,2,2,,1,1,0,0,1,1", 2), "not a whole"},
        {brainText("2,2,2,1,1,1,1 2,0,1,1", 2), "not a whole"},
        {head + "1\r\n2\r\n3\r\n256\r\n" + cells, "red value of cell (1, 0, 0) is 256"},
        {head + "0\r\n-1\r\n" + cells, "green value of cell (0, 0, 0) is -1"},
        {head + cells.substr(0, 48) + "4x\r\n" + cells, "red value of cell (0, 0, 1) (at byte 70) is not a whole"},
        {head + "7\r" + cells, "lines end in CR alone (the first at byte 23)"},
        {brainText("2,2,2,1,1,1,0,0,1,1", 2, "\r"), "lines end in CR alone (the first at byte 20)"},
        {head + std::string(200, '\0'), "red value of cell (0, 0, 0) (at byte 22) is a zero byte"},
        {head + cells.substr(0, 10) + std::string(200, '\0'), "blue value of cell (0, 0, 0) (at byte 32) is a zero byte"},
        {head + cells.substr(0, 10) + std::string("  \0", 3) + cells, "(at byte 34) is a zero byte"},
    };
    for (const auto& c : cases)
        EXPECT_TRUE(refused(c.text, c.reason)) << c.text.substr(0, 60);
}

// Fields of every width and spelling the reader takes, in runs long enough
// for the 32- and 64-byte quick paths and mixed at random, so that every
// kind of field meets every block boundary; then one field made wrong. At
// the portable width, at 16 bytes (the web page's) and at the widest this
// CPU runs.
TEST(BrainFileReader, QuickPathsAgreeWithTheGeneralReader)
{
    constexpr int n = 12;
    std::mt19937 random(7);
    const char* const ends[] = {"\r\n", "\n", ","};
    const std::shared_ptr<void> unforce(nullptr, [](void*) { platform::unforceVectorWidth(); });
    for (int round = 0; round < 120; ++round) {
        if (round % 40 == 0 && round < 80
            && !platform::forceVectorWidth(round ? platform::VectorWidth::Simd16 : platform::VectorWidth::Baseline))
            GTEST_SKIP() << "this CPU cannot run the 16-byte kernels";
        if (round == 80)
            platform::unforceVectorWidth();
        std::string text = "12,12,12,1,1,1,0,0,1,1\r\n";
        std::vector<int> values;
        std::vector<std::size_t> starts;
        const int style = round % 4;  // 0: as written; 1: zero runs; 2: LF only; 3: anything
        for (int i = 0; i < 3 * n * n * n; ++i) {
            const int v = style == 1 && random() % 64 != 0 ? 0 : int(random() % 256);
            const bool odd = style == 3 && random() % 8 == 0;
            starts.push_back(text.size());
            values.push_back(v);
            text += (odd && random() % 2 ? std::string(random() % 3, '0') : "") + std::to_string(v)
                + (odd && random() % 3 == 0 ? " " : "") + ends[style == 2 ? 1 : odd ? random() % 3 : 0];
        }
        LoadedBrain whole, pieces, open;
        ASSERT_TRUE(load(text, whole).ok) << round;
        ASSERT_TRUE(readInPieces(text.data(), text.size(), 1 + random() % 200, pieces, 40 + random() % 300));
        ASSERT_TRUE(sameBrain(whole, pieces)) << round;
        // Without its last field end, wherever the buffers happen to end.
        const std::string unended = text.substr(0, text.find_last_of("0123456789") + 1);
        ASSERT_TRUE(load(unended, open).ok && sameBrain(open, whole)) << round;
        ASSERT_TRUE(readInPieces(unended.data(), unended.size(), 1 + random() % 200, open, 40 + random() % 300)
                    && sameBrain(open, whole)) << round;
        for (std::size_t i = 0; i < values.size(); ++i)
            ASSERT_EQ(gridcells::get(*whole.cells, int(i % 3), i / 3), values[i]) << round << " field " << i;

        const std::size_t f = random() % values.size(), cell = f / 3;
        const std::string where = " value of cell (" + std::to_string(cell % n) + ", " + std::to_string(cell / n % n)
            + ", " + std::to_string(cell / n / n) + ")";
        const std::string digits = std::to_string(values[f]);
        const std::string at = where + " (at byte " + std::to_string(starts[f] + 1) + ")";
        const std::string bad[][2] = {{"256", where + " is 256"},
                                      {"299", where + " is 299"},
                                      {"300", where + " is 300"},
                                      {"999", where + " is 999"},
                                      {"1000", where + " is 1000"},
                                      {"-" + digits, values[f] == 0 ? "" : where + " is -" + digits},
                                      {digits + "\r" + digits, "CR alone (the first at byte " + std::to_string(starts[f] + digits.size() + 1) + ")"},
                                      {"x" + digits, at},
                                      {":" + digits, at}};  // the byte past '9'
        for (const auto& [spelling, reason] : bad) {
            std::string wrong = text;
            wrong.replace(starts[f], digits.size(), spelling);
            if (reason.empty())  // minus zero is zero
                EXPECT_TRUE(load(wrong, pieces).ok && sameBrain(pieces, whole)) << round;
            else
                EXPECT_TRUE(refused(wrong, reason)) << round << " " << spelling;
        }
    }
}

// A brain of several MiB is read in pieces on several threads: whichever
// piece a fault lies in, and however many follow, the first one in the file
// is the one told.
TEST(BrainFileReader, TellsTheFirstFaultWhereverItLies)
{
    constexpr int n = 60;
    const std::string good = brainText("60,60,60,1,1,1,0,0,1,1", n);
    std::vector<std::size_t> starts;  // of every cell field
    for (std::size_t at = good.find('\n') + 1; at < good.size(); at = good.find('\n', at) + 1)
        starts.push_back(at);
    const std::size_t last = starts.size() - 1;
    LoadedBrain whole, unended;
    ASSERT_TRUE(load(good, whole).ok);
    ASSERT_TRUE(load(good.substr(0, good.size() - 2), unended).ok && sameBrain(unended, whole));
    EXPECT_TRUE(refused(good.substr(0, starts[last]), "the file ends before the blue value of cell (59, 59, 59)"));
    EXPECT_TRUE(refused(good.substr(0, starts[last] - 2), "the file ends before the blue value of cell (59, 59, 59)"));
    const std::vector<std::size_t> faults[] = {{0}, {1}, {100000}, {300001, 600002}, {last}, {last, 2}};
    for (const auto& at : faults) {
        std::string text = good;
        for (std::size_t f : at)
            text[starts[f]] = 'x';
        const std::size_t f = *std::min_element(at.begin(), at.end()), cell = f / 3;
        const char* channel[] = {"red", "green", "blue"};
        const std::string want = std::string("the ") + channel[f % 3] + " value of cell (" + std::to_string(cell % n)
            + ", " + std::to_string(cell / n % n) + ", " + std::to_string(cell / n / n) + ") (at byte "
            + std::to_string(starts[f] + 1) + ") is not a whole";
        EXPECT_TRUE(refused(text, want)) << f;
    }
}

// The fuzzer's corpus keeps the contract: hand-made seeds and every input
// that ever crashed it, of which those named "good_..." must load and the
// others be refused, and the fuzzer's own finds (named by their hash).
TEST(BrainFileReader, FuzzCorpusKeepsTheContract)
{
    for (const fs::directory_entry& e : fs::directory_iterator(STORAGE_CORPUS_DIR)) {
        const std::string name = e.path().filename(), text = slurp(e.path());
        EXPECT_EQ(readerContractBroken(text.data(), text.size()), "") << name;
        LoadedBrain out;
        const bool found = name.size() == 40 && name.find_first_not_of("0123456789abcdef") == std::string::npos;
        if (!found) {
            EXPECT_TRUE(name.starts_with("good_") ? load(text, out).ok : bool(refused(text))) << name;
        }
    }
}

}  // namespace
}  // namespace storage::test
