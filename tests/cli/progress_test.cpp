// The progress bar on a real terminal (a pseudo-terminal the test reads):
// it fits the terminal's width, steps aside for every line on stdout and on
// stderr (where the lines go when the brain goes to stdout), and a dumb
// terminal gets no escape codes.
#include <gtest/gtest.h>

#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>

#include "cli_run.h"

namespace cli::test {
namespace {

// What cerebrix-cli writes on a terminal `columns` wide that is its stderr
// and, unless `quietStdout` sends that to /dev/null, its stdout too.
std::string onTerminal(const Scratch& dir, const std::vector<std::string>& args, int columns, const char* term,
                       bool quietStdout = false)
{
    int master = -1, slave = -1;
    struct winsize size {};
    size.ws_col = static_cast<unsigned short>(columns);
    size.ws_row = 24;
    if (::openpty(&master, &slave, nullptr, nullptr, &size) != 0)
        throw std::runtime_error("no pseudo-terminal");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (quietStdout)
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    else
        posix_spawn_file_actions_adddup2(&actions, slave, 1);
    posix_spawn_file_actions_adddup2(&actions, slave, 2);
    posix_spawn_file_actions_addclose(&actions, master);
    posix_spawn_file_actions_addchdir_np(&actions, dir.path.c_str());
    CliArgv argv(args);
    std::string termEntry = std::string("TERM=") + term;
    char* envp[] = {termEntry.data(), nullptr};
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, CEREBRIX_CLI, &actions, nullptr, argv.get(), envp);
    posix_spawn_file_actions_destroy(&actions);
    ::close(slave);
    std::string out;
    if (spawned == 0) {
        // Read while it runs, so that a full terminal buffer cannot stall it;
        // EIO once the child has gone and the terminal is closed.
        char buf[4096];
        for (;;) {
            struct pollfd p {master, POLLIN, 0};
            if (::poll(&p, 1, 10000) <= 0)
                break;
            const ssize_t n = ::read(master, buf, sizeof buf);
            if (n <= 0)
                break;
            out.append(buf, std::size_t(n));
        }
        ::waitpid(pid, nullptr, 0);
    }
    ::close(master);
    return out;
}

TEST(CliProgress, TheBarFitsStepsAsideAndKnowsDumbTerminals)
{
    Scratch dir;
    const storage::LoadedBrain b = randomBrain(8, 11);
    ASSERT_TRUE(storage::writeBrainFile(dir.file("a.brain"), b.header, *b.cells).ok);
    for (const int columns : {80, 40, 12})
        for (const char* term : {"xterm", "dumb"})
            for (const bool brainToStdout : {false, true}) {
                SCOPED_TRACE(std::to_string(columns) + " columns, TERM=" + term + (brainToStdout ? ", -o -" : ""));
                const std::string out = onTerminal(
                    dir, {"generate", "a.brain", "-n", "3", "--every", "-o", brainToStdout ? "-" : "b.brain"}, columns,
                    term, brainToStdout);
                ASSERT_NE(std::string::npos, out.find("generation 3: apex")) << out;
                ASSERT_NE(std::string::npos, out.find("generating")) << out;
                if (std::string(term) == "dumb") {
                    EXPECT_EQ(std::string::npos, out.find('\x1b')) << out;
                }
                // The one escape code there is: clear to the end of the line.
                std::string plain;
                for (std::size_t i = 0; i < out.size(); ++i) {
                    if (out.compare(i, 3, "\x1b[K") == 0)
                        i += 2;
                    else
                        plain += out[i];
                }
                EXPECT_EQ(std::string::npos, plain.find('\x1b')) << out;
                // Every line on either stream starts at the left edge: right after a
                // line end or a carriage return, never after the bar.
                for (std::size_t at = plain.find("generation "); at != std::string::npos;
                     at = plain.find("generation ", at + 1))
                    EXPECT_TRUE(at == 0 || plain[at - 1] == '\n' || plain[at - 1] == '\r') << out;
                // Each drawing of the bar, from one carriage return to the next,
                // leaves the last column free.
                for (std::size_t start = 0; start < plain.size();) {
                    std::size_t end = plain.find_first_of("\r\n", start);
                    if (end == std::string::npos)
                        end = plain.size();
                    const std::string piece = plain.substr(start, end - start);
                    if (piece.find("generat") == 0 && piece.find("apex") == std::string::npos) {
                        EXPECT_LE(piece.size(), std::size_t(columns - 1)) << piece;
                    }
                    start = end + 1;
                }
            }
}

}  // namespace
}  // namespace cli::test
