#pragma once
// Runs the built cerebrix-cli in a child process inside a scratch folder, and
// makes the brains and pictures the command tests feed it.
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <fcntl.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "storage/brain_file.h"
#include "tests/storage/brain_file_test_util.h"

extern char** environ;

namespace cli::test {

namespace fs = std::filesystem;

struct Outcome {
    int status = -1;
    std::string out, err;
};

using storage::test::slurp;

// A scratch folder that also lists itself and runs the program inside it.
class Scratch : public storage::test::ScratchDir {
public:
    // Every name in the folder, to see that a refusal left nothing behind.
    std::set<std::string> names() const
    {
        std::set<std::string> out;
        for (const auto& e : fs::directory_iterator(path))
            out.insert(e.path().filename().string());
        return out;
    }

    // cerebrix-cli with these arguments, run in this folder; its output is
    // caught in files outside the folder's listing.
    Outcome run(const std::vector<std::string>& args) const
    {
        const std::string outFile = path + ".out", errFile = path + ".err";
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addopen(&actions, 2, errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addchdir_np(&actions, path.c_str());
        std::vector<std::string> all{CEREBRIX_CLI};
        all.insert(all.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (auto& a : all)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        pid_t pid = 0;
        Outcome r;
        if (posix_spawn(&pid, CEREBRIX_CLI, &actions, nullptr, argv.data(), environ) == 0) {
            int status = 0;
            ::waitpid(pid, &status, 0);
            r.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        }
        posix_spawn_file_actions_destroy(&actions);
        r.out = slurp(outFile);
        r.err = slurp(errFile);
        fs::remove(outFile);
        fs::remove(errFile);
        return r;
    }
};

// A brain of side n with every cell random, written by the file code.
inline storage::LoadedBrain randomBrain(int n, unsigned seed)
{
    storage::LoadedBrain b;
    b.header.dimX = b.header.dimY = b.header.dimZ = n;
    b.header.drawRed = 200;
    b.header.drawGreen = 0;
    b.header.drawBlue = 64;
    b.header.moverX = 3;
    b.header.moverY = 4;
    b.header.moverStepY = -1;
    b.cells = brain::CellGrid::allocate(n);
    std::mt19937 rng(seed);
    for (int c = 0; c < 3; ++c)
        for (std::uint64_t i = 0; i < gridcells::count(*b.cells); ++i)
            gridcells::put(*b.cells, c, i, std::uint8_t(rng()));
    return b;
}

}  // namespace cli::test
