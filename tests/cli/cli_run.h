#pragma once
// Runs the built cerebrix-cli in a child process inside a scratch folder, and
// makes the brains and pictures the command tests feed it.
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <optional>
#include <thread>

#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "storage/format/brain_format.h"
#include "tests/storage/brain_file_test_util.h"

extern char** environ;

namespace cli::test {

namespace fs = std::filesystem;

// cerebrix-cli's argument vector for exec or spawn: the program, then `args`.
class CliArgv {
public:
    explicit CliArgv(const std::vector<std::string>& args) : words_{CEREBRIX_CLI}
    {
        words_.insert(words_.end(), args.begin(), args.end());
        for (std::string& w : words_)
            pointers_.push_back(w.data());
        pointers_.push_back(nullptr);
    }
    char* const* get() { return pointers_.data(); }

private:
    std::vector<std::string> words_;
    std::vector<char*> pointers_;
};

struct Outcome {
    int status = -1;
    std::string out, err;
};

using storage::test::slurp;

// Where the program's standard streams go besides the defaults (nothing on
// stdin; stdout and stderr caught).
struct CliStreams {
    std::optional<std::string> piped;  // fed to stdin through a pipe
    std::string inputFile;             // opened as stdin instead
    std::string outputFile;            // opened as stdout instead of caught
    int outputFd = -1;                 // or this descriptor as stdout
};

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

    using Streams = CliStreams;

    // cerebrix-cli with these arguments, run in this folder; its output is
    // caught in files outside the folder's listing. A run that has not ended
    // after `deadline` is killed and has status -1.
    Outcome run(const std::vector<std::string>& args, const Streams& streams = {},
                std::chrono::milliseconds deadline = std::chrono::minutes(5)) const
    {
        return finish(start(args, streams), deadline);
    }

    // The same, started and left running (a piped stdin is fed first); 0
    // when it could not start.
    pid_t start(const std::vector<std::string>& args, const Streams& streams = {}) const
    {
        const std::string outFile = path + ".out", errFile = path + ".err";
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        int pipeEnds[2] = {-1, -1};
        if (streams.piped) {
            if (::pipe2(pipeEnds, O_CLOEXEC) != 0)
                throw std::runtime_error("no pipe");
            posix_spawn_file_actions_adddup2(&actions, pipeEnds[0], 0);
        } else {
            posix_spawn_file_actions_addopen(&actions, 0,
                                             streams.inputFile.empty() ? "/dev/null" : streams.inputFile.c_str(),
                                             O_RDONLY, 0);
        }
        if (streams.outputFd >= 0)
            posix_spawn_file_actions_adddup2(&actions, streams.outputFd, 1);
        else
            posix_spawn_file_actions_addopen(&actions, 1, streams.outputFile.empty() ? outFile.c_str()
                                                                                      : streams.outputFile.c_str(),
                                             O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addopen(&actions, 2, errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addchdir_np(&actions, path.c_str());
        CliArgv argv(args);
        pid_t pid = 0;
        if (posix_spawn(&pid, CEREBRIX_CLI, &actions, nullptr, argv.get(), environ) != 0)
            pid = 0;
        posix_spawn_file_actions_destroy(&actions);
        if (streams.piped) {
            ::close(pipeEnds[0]);
            // The child may stop reading early; a closed pipe is no failure here.
            std::signal(SIGPIPE, SIG_IGN);
            const std::string& data = *streams.piped;
            for (std::size_t at = 0; pid && at < data.size();) {
                const ssize_t n = ::write(pipeEnds[1], data.data() + at, data.size() - at);
                if (n <= 0)
                    break;
                at += std::size_t(n);
            }
            ::close(pipeEnds[1]);
        }
        return pid;
    }

    // Waits for a started run (killing it after `deadline`) and collects what it wrote.
    Outcome finish(pid_t pid, std::chrono::milliseconds deadline = std::chrono::minutes(5)) const
    {
        Outcome r;
        const auto until = std::chrono::steady_clock::now() + deadline;
        int status = 0;
        while (pid && ::waitpid(pid, &status, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() > until) {
                ::kill(pid, SIGKILL);
                ::waitpid(pid, &status, 0);
                status = -1;
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        if (pid && status != -1)
            r.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        r.out = slurp(path + ".out");
        r.err = slurp(path + ".err");
        fs::remove(path + ".out");
        fs::remove(path + ".err");
        return r;
    }
};

// A brain of side n with every cell random, written by the file code.
inline storage::LoadedBrain randomBrain(int n, unsigned seed)
{
    storage::LoadedBrain b{{.dimX = n, .dimY = n, .dimZ = n, .drawRed = 200, .drawGreen = 0, .drawBlue = 64,
                            .moverX = 3, .moverY = 4, .moverStepY = -1},
                           brain::CellGrid::allocate(n)};
    std::mt19937 rng(seed);
    for (int c = 0; c < 3; ++c)
        for (std::uint64_t i = 0; i < gridcells::count(*b.cells); ++i)
            gridcells::put(*b.cells, c, i, std::uint8_t(rng()));
    return b;
}

}  // namespace cli::test
