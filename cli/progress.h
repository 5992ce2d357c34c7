#pragma once
// A progress bar on stderr for the long commands, drawn only when stderr is a
// terminal, so that logs and pipes get nothing but the real messages. It fits
// the terminal's width and, on a terminal that says it is dumb, is drawn and
// wiped with carriage returns and blanks alone.
#include <chrono>
#include <cstddef>
#include <string>

namespace cli {

class Progress {
public:
    Progress(std::string label, long total);
    ~Progress();  // wipes the bar
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    // Redraws at most a few times a second, and always at the end.
    void update(long done);

    // Takes the bar under way, if any, off the screen, so that a line on
    // stdout or stderr starts at the left edge; the next update draws it
    // again. Safe from any thread.
    static void wipe();

private:
    void draw(long done);
    void clear();

    std::string label_;
    long total_;
    bool shown_;
    bool dumb_;
    std::size_t drawn_ = 0;  // columns the bar on screen takes, 0 when none
    std::chrono::steady_clock::time_point next_;
};

}  // namespace cli
