#include "progress.h"

#include <unistd.h>

#include <cstdio>

namespace cli {

namespace {
constexpr int kBarWidth = 30;
constexpr auto kRedrawEvery = std::chrono::milliseconds(100);
}  // namespace

Progress::Progress(std::string label, long total)
    : label_(std::move(label)), total_(total > 0 ? total : 1), shown_(::isatty(STDERR_FILENO) == 1),
      next_(std::chrono::steady_clock::now())
{
}

Progress::~Progress()
{
    if (shown_)
        std::fprintf(stderr, "\r\033[K");
}

void Progress::update(long done)
{
    if (!shown_)
        return;
    const auto now = std::chrono::steady_clock::now();
    if (now < next_ && done < total_)
        return;
    next_ = now + kRedrawEvery;
    draw(done);
}

void Progress::draw(long done)
{
    const int filled = int(done * kBarWidth / total_);
    std::string bar(std::size_t(filled), '#');
    bar.append(std::size_t(kBarWidth - filled), '.');
    std::fprintf(stderr, "\r%s [%s] %ld/%ld", label_.c_str(), bar.c_str(), done, total_);
    std::fflush(stderr);
}

}  // namespace cli
