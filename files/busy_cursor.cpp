#include "files/busy_cursor.h"

namespace files {

BusyCursor::BusyCursor(platform::Host& host, std::chrono::milliseconds after)
    : host_(host), due_(std::chrono::steady_clock::now() + after)
{
}

BusyCursor::~BusyCursor()
{
    if (shown_)
        host_.setBusy(false);
}

storage::Progress BusyCursor::progress()
{
    return [this] {
        if (!shown_ && std::chrono::steady_clock::now() >= due_) {
            shown_ = true;
            host_.setBusy(true);
        }
    };
}

}  // namespace files
