// Timed runs of cerebrix-cli at N = 410, against the engine and the file code
// measured in the same run:
//   generate -n 100   vs  1.1 x 100 x one generation + one load + one save,
//                     and vs the same load, 100 generations and save done in
//                     this process (wall clock and CPU time: on a shared
//                     machine the CPU time is the steadier of the two)
//   render --layer all (410 pictures)  vs  10 s
// Usage: cli_timing [rounds] [folder]   (default 5 rounds, a folder in /tmp)
#include <fcntl.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "brain/generation.h"
#include "storage/read/brain_reader.h"
#include "storage/write/brain_writer.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double seconds(Clock::time_point from)
{
    return std::chrono::duration<double>(Clock::now() - from).count();
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

// User plus system time this process has used so far, its threads included.
double cpuSeconds()
{
    rusage u {};
    ::getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) * 1e-6;
}

struct Timing {
    double wall = 0, cpu = 0;
};

Timing runCli(std::vector<std::string> args)
{
    args.insert(args.begin(), CEREBRIX_CLI);
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    const auto start = Clock::now();
    pid_t pid = 0;
    int status = -1;
    rusage u {};
    if (posix_spawn(&pid, CEREBRIX_CLI, &actions, nullptr, argv.data(), environ) == 0)
        ::wait4(pid, &status, 0, &u);
    Timing t;
    t.wall = seconds(start);
    t.cpu = double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) * 1e-6;
    posix_spawn_file_actions_destroy(&actions);
    if (status != 0) {
        std::fprintf(stderr, "cerebrix-cli %s failed\n", args[1].c_str());
        std::exit(1);
    }
    return t;
}

}  // namespace

int main(int argc, char** argv)
{
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    std::string dir = argc > 2 ? argv[2] : (fs::temp_directory_path() / "cli-timing-XXXXXX").string();
    if (argc <= 2 && !::mkdtemp(dir.data()))
        return 1;
    const int n = 410;
    const std::string in = dir + "/a.brain", out = dir + "/b.brain";

    storage::LoadedBrain brain;
    brain.header.dimX = brain.header.dimY = brain.header.dimZ = n;
    brain.cells = brain::CellGrid::allocate(n);
    std::mt19937 rng(1);
    for (int c = 0; c < 3; ++c)
        for (std::size_t i = 0; i < brain.cells->pyramidCells(); ++i)
            brain.cells->pyramid(c)[i] = std::uint8_t(rng());
    if (!storage::writeBrainFile(in, brain.header, *brain.cells).ok)
        return 1;

    // Each round: the same work in this process (load, 100 generations timed
    // one by one, save), and the program doing it; the order alternates so
    // that a drift in the machine's load falls on both alike.
    std::vector<double> gen, cli, bound, here, toBound, toHere, toHereCpu;
    for (int r = 0; r < rounds; ++r) {
        Timing program;
        if (r % 2 == 1)
            program = runCli({"generate", in, "-n", "100", "-o", out});
        const double cpu0 = cpuSeconds();
        const auto t0 = Clock::now();
        storage::LoadedBrain loaded;
        if (!storage::readBrainFile(in, loaded).ok)
            return 1;
        const double load = seconds(t0);
        std::vector<double> one;
        for (int k = 0; k < 100; ++k) {
            const auto t = Clock::now();
            brain::generate(*loaded.cells);
            one.push_back(seconds(t));
        }
        const auto t1 = Clock::now();
        if (!storage::writeBrainFile(out, loaded.header, *loaded.cells).ok)
            return 1;
        const double save = seconds(t1);
        loaded = {};
        const double hereWall = seconds(t0), hereCpu = cpuSeconds() - cpu0;
        if (r % 2 == 0)
            program = runCli({"generate", in, "-n", "100", "-o", out});

        gen.push_back(median(one));
        cli.push_back(program.wall);
        bound.push_back(1.1 * 100 * gen.back() + load + save);
        here.push_back(hereWall);
        toBound.push_back(program.wall / bound.back());
        toHere.push_back(program.wall / hereWall);
        toHereCpu.push_back(program.cpu / hereCpu);
        std::printf("round %d: generate -n 100 %.3f s (CPU %.3f s); bound %.3f s (one generation %.2f ms, load %.3f s, "
                    "save %.3f s); in this process %.3f s (CPU %.3f s)\n",
                    r + 1, program.wall, program.cpu, bound.back(), gen.back() * 1e3, load, save, hereWall, hereCpu);
    }
    std::printf("medians: generate -n 100 %.3f s; one generation %.2f ms; bound %.3f s; in this process %.3f s\n",
                median(cli), median(gen) * 1e3, median(bound), median(here));
    std::printf("medians of the rounds' ratios: program / bound %.2f; program / this process %.2f wall, %.2f CPU\n",
                median(toBound), median(toHere), median(toHereCpu));

    std::vector<double> render;
    const int renderRounds = std::max(1, rounds / 2);
    for (int r = 0; r < renderRounds; ++r) {
        render.push_back(runCli({"render", in, "--layer", "all", "-o", dir + "/layer-%d.png"}).wall);
        std::printf("round %d: render --layer all %.3f s\n", r + 1, render.back());
    }
    std::printf("median: render --layer all (410 pictures) %.3f s\n", median(render));
    if (argc <= 2)
        fs::remove_all(dir);
    return 0;
}
