#include "open_files.h"

#include <sys/resource.h>

#include <fstream>

namespace platform {

std::string makeRoomForFiles()
{
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0)
        return {};
    if (limit.rlim_cur < limit.rlim_max) {
        rlimit raised = limit;
        raised.rlim_cur = limit.rlim_max;
        if (setrlimit(RLIMIT_NOFILE, &raised) == 0) {
            limit = raised;
        } else {
            // An unlimited hard limit is more than the kernel grants: then
            // as many as it does.
            rlim_t most = 0;
            std::ifstream("/proc/sys/fs/nr_open") >> most;
            raised.rlim_cur = most < limit.rlim_max ? most : limit.rlim_max;
            if (raised.rlim_cur > limit.rlim_cur && setrlimit(RLIMIT_NOFILE, &raised) == 0)
                limit = raised;
        }
    }
    if (limit.rlim_cur == RLIM_INFINITY || limit.rlim_cur >= rlim_t(kFewestOpenFiles))
        return {};
    return "cerebrix: Cerebrix needs at least " + std::to_string(kFewestOpenFiles) +
           " open files, but may open only " + std::to_string(limit.rlim_cur) + " here (see ulimit -n).";
}

}  // namespace platform
