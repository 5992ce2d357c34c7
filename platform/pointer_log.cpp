#include "pointer_log.h"

#include <cstdlib>

namespace platform {

void PointerLog::record(const PointerEvent& e)
{
    if (events_.size() >= kMostKept)
        events_.pop_front();
    events_.push_back(e);
}

bool PointerLog::deliver(PointerKind kind, std::uint32_t time, int x, int y, int slack,
                         std::vector<PointerEvent>& missed, PointerEvent& matched)
{
    missed.clear();
    // The first match: the server moves the pointer only when it changes
    // place, so two movements alike in time and place are rare, and the
    // earlier one is the one the toolkit saw first.
    std::size_t at = 0;
    for (; at < events_.size(); ++at) {
        const PointerEvent& e = events_[at];
        if (e.kind == kind && e.time == time && std::abs(e.x - x) <= slack && std::abs(e.y - y) <= slack)
            break;
    }
    if (at == events_.size())
        return false;
    // A press or release still here went to another window or control:
    // the movements before it were not this window's to have.
    std::size_t from = 0;
    for (std::size_t i = 0; i < at; ++i)
        if (events_[i].kind != PointerKind::Move)
            from = i + 1;
    for (std::size_t i = from; i < at; ++i)
        missed.push_back(events_[i]);
    matched = events_[at];
    events_.erase(events_.begin(), events_.begin() + std::ptrdiff_t(at) + 1);
    return true;
}

}  // namespace platform
