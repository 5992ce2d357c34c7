#include "progress.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace cli {

namespace {
constexpr int kBarWidth = 30;
constexpr int kNarrowestBar = 5;
constexpr auto kRedrawEvery = std::chrono::milliseconds(100);

// The bar under way; one at a time, drawn on the main thread, but wiped from
// any thread that has a line to print (a notice from the writer's thread).
Progress* current = nullptr;
std::recursive_mutex screen;

int terminalColumns()
{
    struct winsize ws {};
    if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &ws) == 0 && ws.ws_col > 0)
        return ws.ws_col;
    return 80;
}

bool dumbTerminal()
{
    const char* term = std::getenv("TERM");
    return !term || !*term || std::strcmp(term, "dumb") == 0;
}
}  // namespace

Progress::Progress(std::string label, long total)
    : label_(std::move(label)), total_(total > 0 ? total : 1), shown_(::isatty(STDERR_FILENO) == 1),
      dumb_(dumbTerminal()), next_(std::chrono::steady_clock::now())
{
    const std::lock_guard<std::recursive_mutex> lock(screen);
    if (shown_)
        current = this;
}

Progress::~Progress()
{
    const std::lock_guard<std::recursive_mutex> lock(screen);
    clear();
    if (current == this)
        current = nullptr;
}

void Progress::wipe()
{
    const std::lock_guard<std::recursive_mutex> lock(screen);
    if (current)
        current->clear();
}

void Progress::clear()
{
    if (drawn_ == 0)
        return;
    if (dumb_)
        std::fprintf(stderr, "\r%s\r", std::string(drawn_, ' ').c_str());
    else
        std::fprintf(stderr, "\r\033[K");
    std::fflush(stderr);
    drawn_ = 0;
}

void Progress::update(long done)
{
    if (!shown_)
        return;
    const auto now = std::chrono::steady_clock::now();
    if (now < next_ && done < total_)
        return;
    next_ = now + kRedrawEvery;
    const std::lock_guard<std::recursive_mutex> lock(screen);
    draw(done);
}

void Progress::draw(long done)
{
    // The last column is left free: a terminal that wraps there would push
    // the bar onto a line of its own.
    const std::size_t room = std::size_t(terminalColumns() - 1);
    std::string count(" ");
    count.append(std::to_string(done)).append("/").append(std::to_string(total_));
    const long fits = long(room) - long(label_.size() + count.size() + 3);
    std::string line = label_;
    if (fits >= kNarrowestBar) {
        const int width = fits < kBarWidth ? int(fits) : kBarWidth;
        const int filled = int(done * width / total_);
        line.append(" [").append(std::size_t(filled), '#').append(std::size_t(width - filled), '.').append("]");
    }
    line += count;
    if (line.size() > room)
        line.erase(room);
    const std::size_t previous = drawn_;
    // Without escape codes, blanks cover what a longer bar left.
    const std::string tail = line.size() < previous ? std::string(previous - line.size(), ' ') : std::string();
    std::fprintf(stderr, "\r%s%s", line.c_str(), dumb_ ? tail.c_str() : (tail.empty() ? "" : "\033[K"));
    std::fflush(stderr);
    drawn_ = line.size() + (dumb_ ? tail.size() : 0);
}

}  // namespace cli
