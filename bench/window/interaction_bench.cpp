// The program as the user drives it, headless: maze steps through the real
// main loop, and one painted segment with Auto-Generating on.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>

#include "app/program.h"
#include "bench/window/bench_toolkit.h"
#include "platform/host.h"
#include "window/names.h"

namespace {

std::unique_ptr<app::Program> startedProgram()
{
    auto program = std::make_unique<app::Program>(benchToolkit());
    program->host().show();
    program->drawing().activated();
    program->host().waitForEvents(0);
    return program;
}

// A box maze around the default grid, the mover inside, play on: every
// turn of the main loop handles pending events, then runs one maze step.
void BM_MazeStepsThroughMainLoop(benchmark::State& state)
{
    auto program = startedProgram();
    window::Drawing& d = program->drawing();
    const brain::Origin o = d.view().origin();
    const int last = d.brain().side() - 1;
    d.surface().outline(o.x, o.y, o.x + last, o.y + last, platform::rgb(0, 200, 0));
    d.canvases().line(o.x, o.y, o.x + last, o.y, 0, 200, 0);
    d.mover().moveTo(5, 5);
    d.menuChosen(window::menu::kComputerMoves);
    for (auto _ : state)
        d.turn();
    state.counters["steps_per_s"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}

// One mouse movement with the left button held at brain size N: the segment
// is drawn, the canvases sampled and a whole generation computed.
void BM_PaintedSegmentAutoGenerating(benchmark::State& state)
{
    auto program = startedProgram();
    window::Drawing& d = program->drawing();
    const int n = int(state.range(0));
    d.resizeTo(n);
    d.menuChosen(window::menu::kAutoOn);
    d.menuChosen(window::menu::kDrawOutput);
    const brain::Origin o = d.view().origin();
    d.mousePressed(platform::mouse::Left, o.x + 1, o.y + 1);
    d.mouseMoved(platform::mouse::Left, o.x + 2, o.y + 2);  // takes up the arrays of the new size
    int step = 0;
    for (auto _ : state) {
        const int x = o.x + 1 + (step * 7) % (n - 2), y = o.y + 1 + (step * 3) % (n - 2);
        d.mouseMoved(platform::mouse::Left, x, y);
        ++step;
    }
}

}  // namespace

BENCHMARK(BM_MazeStepsThroughMainLoop)->MinTime(2.0);
BENCHMARK(BM_PaintedSegmentAutoGenerating)->Arg(30)->Arg(200)->Arg(410)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    return benchMain(argc, argv);
}
