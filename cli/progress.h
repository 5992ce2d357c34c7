#pragma once
// A progress bar on stderr for the long commands, drawn only when stderr is a
// terminal, so that logs and pipes get nothing but the real messages.
#include <chrono>
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

private:
    void draw(long done);

    std::string label_;
    long total_;
    bool shown_;
    std::chrono::steady_clock::time_point next_;
};

}  // namespace cli
