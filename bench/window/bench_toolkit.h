#pragma once
// The one toolkit a window benchmark process runs its programs in: made on
// first use and kept to the end, as the toolkit may be made only once.
#include "platform/qt_window.h"

inline platform::Toolkit& benchToolkit()
{
    static int argc = 1;
    static char name[] = "cerebrix-bench";
    static char* argv[] = {name, nullptr};
    static auto* kit = new platform::Toolkit(argc, argv);
    return *kit;
}
