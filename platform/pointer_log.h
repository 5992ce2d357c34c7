#pragma once
// Every pointer event the display server reported, in its order, so that the
// movements the toolkit merged away can be handed on one by one. The toolkit
// delivers an event; the log finds it among those recorded and gives back
// the movements recorded before it that were never delivered. Plain C++.
#include <cstdint>
#include <deque>
#include <vector>

namespace platform {

enum class PointerKind { Move, Press, Release };

// One event as the server reported it: position on the screen in device
// pixels, the server's time in milliseconds, the buttons held (mouse::Left
// and so on) before the event.
struct PointerEvent {
    PointerKind kind = PointerKind::Move;
    std::uint32_t time = 0;
    int x = 0, y = 0;
    int buttons = 0;
};

class PointerLog {
public:
    // A recorded event, in the server's order.
    void record(const PointerEvent& e);

    // The toolkit delivers an event of `kind` at `time`, near (x, y) (within
    // `slack` pixels each way). Returns false when it is not among those
    // recorded (an event the toolkit made up, or one not read yet). Else
    // `missed` gets, in order, the movements recorded since the last event
    // delivered or passed elsewhere (a press or release that never came
    // here ends what may be restored), and `matched` the event itself; all
    // of them are then forgotten, so none is given twice.
    bool deliver(PointerKind kind, std::uint32_t time, int x, int y, int slack, std::vector<PointerEvent>& missed,
                 PointerEvent& matched);

    // Forgets everything recorded so far: after an event that could not be
    // placed, nothing before it may be given later.
    void forget() { events_.clear(); }

    std::size_t size() const { return events_.size(); }

private:
    // Enough for minutes of a fast mouse the window never hears of.
    static constexpr std::size_t kMostKept = 1 << 16;
    std::deque<PointerEvent> events_;
};

}  // namespace platform
