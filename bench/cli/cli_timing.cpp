// Timed runs of cerebrix-cli at N = 410, against the engine and the file code
// measured in the same run:
//   generate -n 100   vs  1.1 x 100 x one generation + one load + one save
//   render --layer all (410 pictures)  vs  10 s
// Usage: cli_timing [rounds] [folder]   (default 5 rounds, a folder in /tmp)
#include <fcntl.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "brain/generation.h"
#include "files/brain_file.h"

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

double runCli(std::vector<std::string> args)
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
    if (posix_spawn(&pid, CEREBRIX_CLI, &actions, nullptr, argv.data(), environ) == 0)
        ::waitpid(pid, &status, 0);
    const double t = seconds(start);
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

    files::LoadedBrain brain;
    brain.header.dimX = brain.header.dimY = brain.header.dimZ = n;
    brain.cells = brain::CellGrid::allocate(n);
    std::mt19937 rng(1);
    for (int c = 0; c < 3; ++c)
        for (std::size_t i = 0; i < brain.cells->planeBytes(); ++i)
            brain.cells->plane(c)[i] = std::uint8_t(rng());
    if (!files::writeBrainFile(in, brain.header, *brain.cells).ok)
        return 1;

    // Each round: the same work in this process (load, 100 generations timed
    // one by one, save), and the program doing it; the order alternates so
    // that a drift in the machine's load falls on both alike.
    std::vector<double> load, gen, hundred, save, cli, bound, ratio;
    for (int r = 0; r < rounds; ++r) {
        if (r % 2 == 1)
            cli.push_back(runCli({"generate", in, "-n", "100", "-o", out}));
        auto t = Clock::now();
        files::LoadedBrain loaded;
        if (!files::readBrainFile(in, loaded).ok)
            return 1;
        load.push_back(seconds(t));
        std::vector<double> one;
        for (int k = 0; k < 100; ++k) {
            t = Clock::now();
            brain::generate(*loaded.cells);
            one.push_back(seconds(t));
        }
        gen.push_back(median(one));
        double sum = 0;
        for (const double s : one)
            sum += s;
        hundred.push_back(sum);
        t = Clock::now();
        if (!files::writeBrainFile(out, loaded.header, *loaded.cells).ok)
            return 1;
        save.push_back(seconds(t));
        loaded = {};
        if (r % 2 == 0)
            cli.push_back(runCli({"generate", in, "-n", "100", "-o", out}));
        bound.push_back(1.1 * 100 * gen.back() + load.back() + save.back());
        ratio.push_back(cli.back() / bound.back());
        std::printf("round %d: generate -n 100 %.3f s, bound %.3f s (one generation %.2f ms, 100 in this process "
                    "%.3f s, load %.3f s, save %.3f s)\n",
                    r + 1, cli.back(), bound.back(), gen.back() * 1e3, hundred.back(), load.back(), save.back());
    }
    std::printf("medians: generate -n 100 %.3f s; one generation %.2f ms, 100 in this process %.3f s, load %.3f s, "
                "save %.3f s; bound %.3f s; cli / bound %.2f (median of the rounds' ratios %.2f)\n",
                median(cli), median(gen) * 1e3, median(hundred), median(load), median(save), median(bound),
                median(cli) / median(bound), median(ratio));

    std::vector<double> render;
    const int renderRounds = std::max(1, rounds / 2);
    for (int r = 0; r < renderRounds; ++r) {
        render.push_back(runCli({"render", in, "--layer", "all", "-o", dir + "/layer-%d.png"}));
        std::printf("round %d: render --layer all %.3f s\n", r + 1, render.back());
    }
    std::printf("median: render --layer all (410 pictures) %.3f s\n", median(render));
    if (argc <= 2)
        fs::remove_all(dir);
    return 0;
}
