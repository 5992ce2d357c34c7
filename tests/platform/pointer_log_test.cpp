// Which recorded movements come back before an event the toolkit delivers:
// each once, in order, none from before a press or release that went
// elsewhere.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "platform/host.h"
#include "platform/pointer_log.h"

namespace {

using platform::PointerEvent;
using platform::PointerKind;

// "m3" a movement to (3, 3), "p3"/"r3" a press/release there, "l" before a
// movement: the left button held; "@8" at time 8. Recorded events are at
// time 7 but those after "t".
PointerEvent parse(const std::string& word, std::uint32_t time)
{
    const bool left = word[0] == 'l';
    const std::string w = left ? word.substr(1) : word;
    const PointerKind kind = w[0] == 'm' ? PointerKind::Move : w[0] == 'p' ? PointerKind::Press : PointerKind::Release;
    const int at = std::stoi(w.substr(1));
    const std::size_t when = w.find('@');
    return {kind, when == std::string::npos ? time : std::uint32_t(std::stoi(w.substr(when + 1))), at, at,
            left ? platform::mouse::Left : 0};
}

// Records `recorded`, then delivers each of `delivered` in turn; the
// movements given back before each, "-" for an event not found.
std::string replay(const std::string& recorded, const std::string& delivered)
{
    platform::PointerLog log;
    std::istringstream r(recorded), d(delivered);
    std::uint32_t time = 7;
    for (std::string w; r >> w;)
        w == "t" ? void(++time) : log.record(parse(w, time));
    std::string out;
    for (std::string w; d >> w;) {
        const PointerEvent e = parse(w, 7);
        std::vector<PointerEvent> missed;
        PointerEvent matched;
        if (!log.deliver(e.kind, e.time, e.x + 1, e.y - 1, 1, missed, matched)) {
            out += "- ";
            continue;
        }
        out += "[";
        for (const PointerEvent& m : missed) {
            if (m.buttons)
                out += 'l';
            out += 'm';
            out += std::to_string(m.x);
            out += ' ';
        }
        out += "] ";
    }
    return out;
}

TEST(PointerLog, GivesEveryMovementOnceInItsPlace)
{
    const struct {
        const char *recorded, *delivered, *want;
    } cases[] = {
        // A burst merged into its last movement.
        {"m1 m2 m3 m4 m5", "m5", "[m1 m2 m3 m4 ] "},
        // Delivered one by one: nothing to restore, nothing twice.
        {"m1 m2 m3", "m1 m2 m3", "[] [] [] "},
        // Movements merged past the release come back before it, with their button.
        {"p1 lm2 lm3 lm4 r4 m5 m6", "p1 r4 m6", "[] [lm2 lm3 lm4 ] [m5 ] "},
        // A press keeps its place among the movements.
        {"m1 m2 p2 m3", "p2 m3", "[m1 m2 ] [] "},
        // A press and release that went to a control: what came before is not ours.
        {"m1 m2 p2 r2 m3 m4", "m4", "[m3 ] "},
        // An event the toolkit made up is not found and takes nothing.
        {"m1 m2", "m5 m2", "- [m1 ] "},
        // A later movement to the same place in another millisecond.
        {"m1 m2 t m1 m3", "m2 m3@8", "[m1 ] [m1 ] "},
        // Times and places must both match.
        {"m1 t m2", "m2 m1@8", "- - "},
    };
    for (const auto& c : cases)
        EXPECT_EQ(replay(c.recorded, c.delivered), c.want) << c.recorded << " / " << c.delivered;
}

}  // namespace
