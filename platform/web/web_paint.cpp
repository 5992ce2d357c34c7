// A frame of the page's window: the changed part of the surface goes to the
// page's image of it, then the panels' controls and the menus are drawn
// over it, each designed pixel a whole block of device pixels; then what a
// screen reader finds of them.
#include <algorithm>

#include "page_calls.h"
#include "web_host.h"

namespace platform::web {

void WebHost::paint()
{
    if (!shown_)
        return;
    const int w = surface_.width(), h = surface_.height();
    const int scale = beginFrame(w, h + kMenuBarHeight);
    Rect r = surface_.takeDirty();
    if (scale != scale_) {
        scale_ = scale;
        r = {0, 0, w - 1, h - 1};
    }
    r.left = std::max(r.left, 0);
    r.top = std::max(r.top, 0);
    r.right = std::min(r.right, w - 1);
    r.bottom = std::min(r.bottom, h - 1);
    if (r.empty() && !overlaysChanged_)
        return;
    if (!r.empty()) {
        const int rw = r.right - r.left + 1, rh = r.bottom - r.top + 1;
        rgba_.resize(std::size_t(rw) * std::size_t(rh));
        for (int y = 0; y < rh; ++y) {
            const Colour* src = surface_.row(r.top + y) + r.left;
            std::transform(src, src + rw, rgba_.begin() + std::ptrdiff_t(y) * rw, opaqueColour);
        }
        putSurface(rgba_.data(), r.left, r.top, rw, rh);
    }
    overlaysChanged_ = false;
    showSurface(kMenuBarHeight);
    controls_.paint(kMenuBarHeight);
    menus_.paintBar(w);
    menus_.paintOpen(w, h + kMenuBarHeight);
    describeBegin();
    menus_.describe();
    controls_.describe(kMenuBarHeight);
    describeEnd();
}

}  // namespace platform::web
