// What the reader accepts, and that everything else is refused cleanly.
#include <gtest/gtest.h>
#include <malloc.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstring>

#include "files/brain_header.h"
#include "files/field_scanner.h"
#include "tests/files/brain_file_test_util.h"

namespace files::test {
namespace {

const std::string kHeader2 = "2,2,2,1,22,255,-7,2147483647,-1,1";

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
    LoadedBrain out;
    out.cells = brain::CellGrid::allocate(2);  // must be gone afterwards
    const FileResult r = load(text, out);
    if (r.ok || out.cells)
        return ::testing::AssertionFailure() << "accepted";
    if (r.error.find("\"x.brain\"") == std::string::npos || r.error.find(reason) == std::string::npos)
        return ::testing::AssertionFailure() << "message: " << r.error;
    return ::testing::AssertionSuccess();
}

TEST(BrainFileReader, EveryPrefixIsRefusedAndTheWholeFileAccepted)
{
    for (const char* eol : {"\r\n", "\n"}) {
        const std::string text = brainText(kHeader2, 2, 250, eol);
        for (std::size_t len = 0; len < text.size(); ++len)
            ASSERT_TRUE(refused(text.substr(0, len))) << "prefix of " << len << " bytes";
        LoadedBrain out;
        const FileResult r = load(text, out);
        ASSERT_TRUE(r.ok) << r.error;
        EXPECT_EQ(out.header.moverX, -7);
        EXPECT_EQ(out.header.moverY, 2147483647);
        EXPECT_EQ(out.header.moverStepY, -1);
        EXPECT_EQ(out.cells->at(brain::Red, 0, 0, 0), 250);
        EXPECT_EQ(out.cells->at(brain::Green, 1, 1, 1), (250 + 22) % 256);
        EXPECT_EQ(out.cells->at(brain::Blue, 1, 1, 1), (250 + 23) % 256);
    }
}

TEST(BrainFileReader, RefusesMalformedFiles)
{
    const std::string cells = brainText("", 2).substr(2);  // 24 good cell fields
    const struct {
        std::string text, reason;
    } cases[] = {
        {"", "ends before the brain's width"},
        {brainText("2,2,3,1,1,1,0,0,1,1", 2), "differ"},
        {brainText("1,1,1,1,1,1,0,0,1,1", 1), "below the smallest"},
        {"0,0,0,1,1,1,0,0,1,1\r\n", "below the smallest"},
        {brainText("-2,-2,-2,1,1,1,0,0,1,1", 2), "below the smallest"},
        {brainText("2,2,2,256,1,1,0,0,1,1", 2), "red component is 256"},
        {brainText("2,2,2,1,1,-1,0,0,1,1", 2), "blue component is -1"},
        {brainText("2,2,2,1,1,1,0,0,0,1", 2), "vertical direction is 0"},
        {brainText("2,2,2,1,1,1,0,0,1,2", 2), "horizontal direction is 2"},
        {brainText("2,2,2,1,1,1,2147483648,0,1,1", 2), "column is too large"},
        {brainText("2,2,2,1,1,1,0,-2147483649,1,1", 2), "row is too large"},
        {brainText("2,2,2,1,1,1,0,99999999999999999999,1,1", 2), "too large"},
        {brainText("2,2,2,1.5,1,1,0,0,1,1", 2), "red component (at byte 7) is not a whole"},
        {brainText("2,2,2,1e2,1,1,0,0,1,1", 2), "not a whole"},
        {brainText("2,2,2,+1,1,1,0,0,1,1", 2), "not a whole"},
        {brainText("2,2,2,,1,1,0,0,1,1", 2), "not a whole"},
        {brainText("2,2,2,1,1,1,0x1,0,1,1", 2), "not a whole"},
        {brainText("2,2,2,1,1,1,- 1,0,1,1", 2), "not a whole"},
        {brainText("2,2,2,1,1,1,1 2,0,1,1", 2), "not a whole"},
        {"2,2,2,1,1,1,0,0,1,1\r\r\n" + cells, "not a whole"},
        {"2,2,2,1,1,1,0,0,1,1\r\n256\r\n" + cells, "red value of cell (0, 0, 0) is 256"},
        {"2,2,2,1,1,1,0,0,1,1\r\n0\r\n-1\r\n" + cells, "green value of cell (0, 0, 0) is -1"},
        {"2,2,2,1,1,1,0,0,1,1\r\n" + cells.substr(0, 60) + "4x\r\n" + cells, "not a whole"},
        {"2,2,2,1,1,1,0,0,1,1\r\n" + cells.substr(0, cells.size() - 4) + "\r\n", "blue value of cell (1, 1, 1)"},
        {"2,2,2,1,1,1,0,0,1,1\r\n" + cells.substr(0, cells.size() - 3), "ends before the blue value of cell (1, 1, 1)"},
        {"1000,1000,1000,1,1,1,0,0,1,1\r\n" + cells, "needs at least 6000000000 bytes"},
        {"2147483647,2147483647,2147483647,1,1,1,0,0,1,1\r\n", "far larger"},
    };
    for (const auto& c : cases)
        EXPECT_TRUE(refused(c.text, c.reason)) << c.text.substr(0, 60);
}

TEST(BrainFileReader, AcceptsOtherSpellingsOfTheSameBrain)
{
    LoadedBrain reference;
    ASSERT_TRUE(load(brainText(kHeader2, 2), reference).ok);
    std::string commas = kHeader2 + "\r\n";
    for (int i = 0; i < 24; ++i)
        commas += std::to_string((7 + i) % 256) + (i % 3 == 2 ? "\n" : ",");
    std::string padded = " 2 ,\t2,2 , 1,22,255,-7,2147483647,-1,1\r\n";
    for (int i = 0; i < 24; ++i)
        padded += (i % 2 ? "  " : "") + std::string(i % 5, '0') + std::to_string((7 + i) % 256) + " \r\n";
    const std::string variants[] = {
        brainText(kHeader2, 2, 7, "\n"),
        commas,
        padded,
        brainText(kHeader2, 2) + "5\r\n6\r\nanything at all, 1.5e3\r\n",
        brainText(kHeader2, 2) + "x",
    };
    for (const std::string& text : variants) {
        LoadedBrain out;
        const FileResult r = load(text, out);
        ASSERT_TRUE(r.ok) << r.error << "\n" << text;
        for (int c = 0; c < 3; ++c)
            EXPECT_EQ(0, std::memcmp(out.cells->plane(c), reference.cells->plane(c), 8)) << text;
    }
}

// Hands the text over in pieces of a fixed size, as a file is read.
class PieceSource : public detail::ChunkSource {
public:
    PieceSource(const std::string& text, std::size_t piece) : text_(text), piece_(piece) {}
    std::ptrdiff_t next(const char*& data) override
    {
        const std::size_t n = std::min(piece_, text_.size() - at_);
        data = text_.data() + at_;
        at_ += n;
        return std::ptrdiff_t(n);
    }

private:
    const std::string& text_;
    std::size_t piece_, at_ = 0;
};

TEST(BrainFileReader, FieldsSplitAcrossPiecesReadTheSame)
{
    std::string text = brainText("5,5,5,1,2,3,4,5,1,-1", 5, 93);  // 1-, 2- and 3-digit values
    text.erase(text.find("\r\n", 1000), 1);  // and one line end of each kind
    LoadedBrain whole;
    ASSERT_TRUE(load(text, whole).ok);
    for (std::size_t piece : {1, 2, 3, 5, 7, 67, 68, 69, 100, 333}) {
        SCOPED_TRACE(piece);
        PieceSource source(text, piece);
        detail::FieldScanner scanner(source);
        BrainHeader h;
        for (int i = 0; i < detail::kHeaderFields; ++i)
            ASSERT_EQ(scanner.next(detail::headerField(h, i)), detail::FieldStatus::Ok);
        auto grid = brain::CellGrid::allocate(5);
        std::uint8_t* const planes[3] = {grid->plane(0), grid->plane(1), grid->plane(2)};
        detail::CellStop stop;
        ASSERT_EQ(scanner.readCells(planes, grid->planeBytes(), stop), detail::FieldStatus::Ok);
        EXPECT_EQ(scanner.offset(), text.size());
        for (int c = 0; c < 3; ++c)
            EXPECT_EQ(0, std::memcmp(grid->plane(c), whole.cells->plane(c), grid->planeBytes()));
    }
}

// The fuzzer's seeds and every input that ever crashed it. The names say
// which must load.
TEST(BrainFileReader, FuzzCorpusKeepsTheContract)
{
    int seen = 0;
    for (const std::string& name : ScratchDir::list(FILES_CORPUS_DIR)) {
        const bool good = name.rfind("good_", 0) == 0;
        const std::string text = slurp(std::string(FILES_CORPUS_DIR) + "/" + name);
        if (good) {
            LoadedBrain out;
            const FileResult r = load(text, out);
            EXPECT_TRUE(r.ok && out.cells) << name << ": " << r.error;
        } else {
            EXPECT_TRUE(refused(text)) << name;
        }
        ++seen;
    }
    EXPECT_GE(seen, 10);
}

TEST(BrainFileReader, RefusesWhatIsNotAReadableFile)
{
    ScratchDir dir;
    ASSERT_EQ(::mkdir(dir.file("folder.brain").c_str(), 0755), 0);
    ASSERT_EQ(::mkfifo(dir.file("pipe.brain").c_str(), 0644), 0);
    const struct {
        std::string name, reason;
    } cases[] = {
        {"missing.brain", "cannot be opened: No such file"},
        {"folder.brain", "folder"},
        {"pipe.brain", "not an ordinary file"},  // and does not wait for a writer
    };
    for (const auto& c : cases) {
        LoadedBrain out;
        const FileResult r = readBrainFile(dir.file(c.name), out);
        EXPECT_FALSE(r.ok);
        EXPECT_NE(r.error.find(dir.file(c.name)), std::string::npos) << r.error;
        EXPECT_NE(r.error.find(c.reason), std::string::npos) << r.error;
    }
}

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define BRAINFILE_UNDER_ASAN 1
#endif
#endif
// ASan reserves far more address space than any limit this test could set.
#if !defined(__SANITIZE_ADDRESS__) && !defined(BRAINFILE_UNDER_ASAN)
TEST(BrainFileReader, RefusesASizeItCannotAllocate)
{
    // A real text of a size-200 brain, read under an address-space limit
    // that leaves no room for its 24 MB grid. Large, so that no memory the
    // earlier tests freed can hold the grid either.
    const int n = 200;
    std::string text = "200,200,200,1,1,1,0,0,1,1\n";
    const std::size_t header = text.size();
    text.resize(header + 6 * std::size_t(n) * n * n, '0');
    for (std::size_t i = header + 1; i < text.size(); i += 2)
        text[i] = '\n';
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::malloc_trim(0);
        std::ifstream statm("/proc/self/statm");
        long pages = 0;
        statm >> pages;
        const rlim_t cap = rlim_t(pages) * rlim_t(::sysconf(_SC_PAGESIZE)) + (4u << 20);
        const rlimit limit{cap, cap};
        ::setrlimit(RLIMIT_AS, &limit);
        LoadedBrain out;
        const FileResult r = readBrainText(text.data(), text.size(), out, "x.brain");
        _exit(!r.ok && !out.cells && r.error.find("not enough memory") != std::string::npos ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}
#endif

}  // namespace
}  // namespace files::test
