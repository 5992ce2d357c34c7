// How many threads a load and a save run on: no more than the process may
// use, with the same bytes and cells whatever the count, and the control
// group's CPU limit read as the system writes it.
#include <sched.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "platform/system_calls.h"
#include "tests/storage/brain_file_test_util.h"

namespace storage::test {
namespace {

int threadsNow()
{
    return int(std::distance(fs::directory_iterator("/proc/self/task"), {}));
}

// Saves and loads `brain` in `folder` as `name`, counting the process's
// threads whenever the work reports progress; the most seen.
int saveAndLoad(const LoadedBrain& brain, const std::string& path, LoadedBrain& loaded)
{
    int most = 0;
    const Progress count = [&] { most = std::max(most, threadsNow()); };
    EXPECT_TRUE(writeBrainFile(path, brain.header, *brain.cells, WriteOptions{false}, count).ok);
    EXPECT_TRUE(readBrainFile(path, loaded, count).ok);
    return most;
}

TEST(StorageThreads, OneCpuLoadsAndSavesOnOneThreadWithTheSameResults)
{
    if (!platform::linuxCalls())
        GTEST_SKIP() << "the CPUs a process may run on are not known here";
    ScratchDir dir;
    // Large enough for several pieces of text, so that helpers would start.
    const LoadedBrain brain = sampleBrain(160);
    const int before = threadsNow();
    LoadedBrain free, pinned;
    const int freeMost = saveAndLoad(brain, dir.file("free.brain"), free);
    if (platform::usableThreads() > 1) {
        EXPECT_GT(freeMost, before) << "the helpers were not counted";
    }

    cpu_set_t all, one;
    ASSERT_EQ(::sched_getaffinity(0, sizeof all, &all), 0);
    CPU_ZERO(&one);
    for (std::size_t cpu = 0; cpu < CPU_SETSIZE; ++cpu)
        if (CPU_ISSET(cpu, &all)) {
            CPU_SET(cpu, &one);
            break;
        }
    ASSERT_EQ(::sched_setaffinity(0, sizeof one, &one), 0);
    const std::shared_ptr<void> unpin(nullptr, [&](void*) { ::sched_setaffinity(0, sizeof all, &all); });
    EXPECT_EQ(platform::usableThreads(), 1);
    EXPECT_LE(saveAndLoad(brain, dir.file("pinned.brain"), pinned), before);
    EXPECT_EQ(slurp(dir.file("free.brain")), slurp(dir.file("pinned.brain")));
    EXPECT_TRUE(sameBrain(free, brain) && sameBrain(pinned, brain));
}

TEST(StorageThreads, TheControlGroupCpuLimitIsTheLeastOnTheWayUp)
{
    const struct {
        const char* name;
        const char* own;   // cpu.max of the process's group
        const char* above; // of the group above it
        int want;
    } cases[] = {
        {"no limit anywhere", "max 100000\n", "max 100000\n", 0},
        {"half a CPU is one", "50000 100000\n", "max 100000\n", 1},
        {"a limit above counts", "max 100000\n", "250000 100000\n", 3},
        {"the least wins", "400000 100000\n", "200000 100000\n", 2},
        {"garbage is no limit", "lots\n", "", 0},
    };
    for (const auto& c : cases) {
        ScratchDir root;
        root.put("proc/self/cgroup", "0::/user/app\n");
        root.put("proc/self/mountinfo", "30 1 0:26 / /sys/fs/cgroup rw - cgroup2 none rw\n");
        root.put("sys/fs/cgroup/user/app/cpu.max", c.own);
        root.put("sys/fs/cgroup/user/cpu.max", c.above);
        EXPECT_EQ(platform::controlGroupCpus(root.path), c.want) << c.name;
    }
}

}  // namespace
}  // namespace storage::test
