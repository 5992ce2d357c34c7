#include "open_files.h"

#include <sys/resource.h>

namespace platform {

std::string makeRoomForFiles()
{
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0)
        return {};
    if (limit.rlim_cur < limit.rlim_max) {
        rlimit raised = limit;
        raised.rlim_cur = limit.rlim_max;
        // An unlimited hard limit may still be more than the kernel grants;
        // then the soft limit stays as it was.
        if (setrlimit(RLIMIT_NOFILE, &raised) == 0)
            limit = raised;
    }
    if (limit.rlim_cur == RLIM_INFINITY || limit.rlim_cur >= rlim_t(kFewestOpenFiles))
        return {};
    return "cerebrix: Cerebrix needs at least " + std::to_string(kFewestOpenFiles) +
           " open files, but may open only " + std::to_string(limit.rlim_cur) + " here (see ulimit -n).";
}

}  // namespace platform
