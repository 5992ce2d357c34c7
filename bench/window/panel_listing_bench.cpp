// Opening the Save or Load panel in a folder of 100,000 entries: the window
// is busy from the menu choice until the panel is laid out and painted.
//   arg 0: the panel (0 Save, 1 Load); arg 1: how many of the entries are
//   brain files (the rest are other files).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QListWidget>
#include <QTemporaryDir>
#include <cstdio>
#include <algorithm>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>

#include "app/program.h"
#include "bench/window/bench_toolkit.h"
#include "window/names.h"

namespace {

constexpr int kEntries = 100000;

// A scratch folder holding `brains` brain files and other files up to
// kEntries, made once for every benchmark that asks for it.
QString scratchFolder(int brains)
{
    static std::map<int, std::unique_ptr<QTemporaryDir>> made;
    std::unique_ptr<QTemporaryDir>& dir = made[brains];
    if (!dir) {
        dir = std::make_unique<QTemporaryDir>();
        for (int i = 0; i < kEntries; ++i) {
            const std::string path = dir->path().toStdString() + "/entry-" + std::to_string(i) +
                                     (i < brains ? ".brain" : ".txt");
            if (std::FILE* f = std::fopen(path.c_str(), "w"))
                std::fclose(f);
        }
    }
    return dir->path();
}

void BM_OpenFilePanel(benchmark::State& state)
{
    const bool load = state.range(0) == 1;
    const QString before = QDir::currentPath();
    QDir::setCurrent(scratchFolder(int(state.range(1))));
    app::Program program(benchToolkit());
    program.host().show();
    program.drawing().activated();
    program.host().waitForEvents(0);
    window::Drawing& d = program.drawing();
    d.keyPressed(platform::key::Enter);  // "Save Brain" needs a generation
    using namespace window;
    for (auto _ : state) {
        d.menuChosen(load ? menu::kLoadBrain : menu::kSaveBrain);
        program.host().processPendingEvents();  // laid out and painted
        state.PauseTiming();
        d.buttonClicked(load ? control::kLoadCancel : control::kSaveCancel);
        program.host().waitForEvents(0);
        state.ResumeTiming();
    }
    QDir::setCurrent(before);
}

// The rest of the filling, which the window does between events: how long
// until the list holds every brain, and the longest time it was held up.
void BM_FillWholeList(benchmark::State& state)
{
    const bool load = state.range(0) == 1;
    const int brains = int(state.range(1));
    const QString before = QDir::currentPath();
    QDir::setCurrent(scratchFolder(brains));
    app::Program program(benchToolkit());
    program.host().show();
    program.drawing().activated();
    program.host().waitForEvents(0);
    window::Drawing& d = program.drawing();
    d.keyPressed(platform::key::Enter);
    using namespace window;
    QListWidget* list = nullptr;
    for (QWidget* top : QApplication::topLevelWidgets())
        if (auto* found = top->findChild<QListWidget*>(load ? control::kLoadFiles : control::kSaveFiles))
            list = found;
    double longest = 0;
    for (auto _ : state) {
        d.menuChosen(load ? menu::kLoadBrain : menu::kSaveBrain);
        QElapsedTimer step;
        while (list->count() < brains) {
            step.start();
            program.host().processPendingEvents();
            longest = std::max(longest, double(step.nsecsElapsed()) / 1e6);
        }
        state.PauseTiming();
        d.buttonClicked(load ? control::kLoadCancel : control::kSaveCancel);
        program.host().waitForEvents(0);
        state.ResumeTiming();
    }
    state.counters["longest_step_ms"] = longest;
    QDir::setCurrent(before);
}

// For comparison in the same run: the list filled as the window did before,
// Qt's sorted directory listing handed whole to a list widget, then shown.
void BM_ListingAsBefore(benchmark::State& state)
{
    const QString before = QDir::currentPath();
    QDir::setCurrent(scratchFolder(int(state.range(0))));
    QListWidget list;
    list.resize(81, 45);
    list.show();
    for (auto _ : state) {
        list.clear();
        list.addItems(QDir::current().entryList({"*.brain"}, QDir::Files | QDir::Hidden | QDir::System, QDir::Name));
        QApplication::processEvents();
    }
    QDir::setCurrent(before);
}

}  // namespace

// Each repetition is one opening; the medians are the figures to read.
BENCHMARK(BM_OpenFilePanel)
    ->ArgsProduct({{0, 1}, {100, kEntries}})
    ->ArgNames({"load", "brains"})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_FillWholeList)
    ->ArgsProduct({{0, 1}, {100, kEntries}})
    ->ArgNames({"load", "brains"})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_ListingAsBefore)
    ->Arg(100)
    ->Arg(kEntries)
    ->ArgName("brains")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);

int main(int argc, char** argv)
{
    return benchMain(argc, argv);
}
