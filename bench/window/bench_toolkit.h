#pragma once
// The one toolkit a window benchmark process runs its programs in: made on
// first use and kept to the end, as the toolkit may be made only once.
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "platform/qt_window.h"

inline platform::Toolkit& benchToolkit()
{
    static int argc = 1;
    static char name[] = "cerebrix-bench";
    static char* argv[] = {name, nullptr};
    static auto* kit = new platform::Toolkit(argc, argv);
    return *kit;
}

// The main of a window benchmark: the offscreen platform unless one is set.
inline int benchMain(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
