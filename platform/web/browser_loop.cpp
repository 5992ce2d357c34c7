#include "browser_loop.h"

#include <emscripten.h>

#include <utility>

namespace platform::web {
namespace {

// Long enough for many maze steps a frame, short enough that the page
// still draws about 60 frames a second and never seems frozen. A single
// turn (a generation at the largest size) runs whole, however long it takes.
constexpr double kFrameBudgetMs = 10.0;

struct Turns {
    std::function<void()> turn;
    std::function<bool()> due;
};

void frame(void* arg)
{
    auto* t = static_cast<Turns*>(arg);
    const double start = emscripten_get_now();
    do
        t->turn();
    while (t->due() && emscripten_get_now() - start < kFrameBudgetMs);
}

}  // namespace

void runTurns(std::function<void()> turn, std::function<bool()> due)
{
    static Turns turns;  // lives as long as the page
    turns = {std::move(turn), std::move(due)};
    // 0 frames a second: driven by requestAnimationFrame. No endless loop is
    // simulated, so the caller's stack and objects stay as they are.
    emscripten_set_main_loop_arg(frame, &turns, 0, false);
}

}  // namespace platform::web
