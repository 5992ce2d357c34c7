// The open menus by keyboard, as on the desktop once a menu is open: Up and
// Down walk the enabled items of the innermost menu, wrapping; Right opens
// the lit submenu or goes on to the next menu on the bar, Left closes a
// submenu or goes back along the bar; Enter chooses; Escape closes a level.
#include "web_menus.h"

namespace platform::web {
namespace {

constexpr int kLeft = 37, kUp = 38, kRight = 39, kDown = 40;

}  // namespace

// The menu whose item the keys move: the one lit, or else the innermost open.
std::size_t WebMenus::activeLevel() const
{
    return hoverItem_ >= 0 && hoverLevel_ < path_.size() ? hoverLevel_ : path_.size() - 1;
}

void WebMenus::step(int by)
{
    const std::size_t level = activeLevel();
    const std::vector<MenuEntry>& items = menuAt(level).items;
    const int n = int(items.size());
    int at = hoverLevel_ == level ? hoverItem_ : -1;
    if (at < 0)
        at = by > 0 ? -1 : n;  // none lit yet: Down lights the first, Up the last
    for (int tried = 0; tried < n; ++tried) {
        at = ((at + by) % n + n) % n;
        if (items[std::size_t(at)].enabled) {
            path_.resize(level + 1);  // a submenu the pointer opened closes as the light moves on
            hoverLevel_ = level;
            hoverItem_ = at;
            return;
        }
    }
}

// Opens the next menu on the bar that can open, in the direction `by`, with
// its first enabled item lit; a command on the bar itself is lit on the bar.
void WebMenus::openTop(std::size_t top, int by)
{
    const int n = int(tree_.size());
    int at = int(top);
    for (int tried = 0; tried < n; ++tried) {
        at = ((at + by) % n + n) % n;
        if (tree_[std::size_t(at)].enabled) {
            path_ = {std::size_t(at)};
            hoverLevel_ = 0;
            hoverItem_ = -1;
            if (!tree_[std::size_t(at)].items.empty())
                step(1);
            return;
        }
    }
}

// Opens the lit item's submenu; false when it has none.
bool WebMenus::enter()
{
    const std::size_t level = activeLevel();
    if (hoverLevel_ != level || hoverItem_ < 0)
        return false;
    const MenuEntry& e = menuAt(level).items[std::size_t(hoverItem_)];
    if (!e.enabled || e.items.empty())
        return false;
    path_.resize(level + 1);
    path_.push_back(std::size_t(hoverItem_));
    hoverLevel_ = level + 1;
    hoverItem_ = -1;
    step(1);
    return true;
}

// Closes the innermost submenu, its item in the menu below still lit; from
// a menu on the bar, closes the menus.
void WebMenus::leave()
{
    const std::size_t level = activeLevel();
    if (level == 0)
        return close();
    hoverItem_ = int(path_[level]);
    hoverLevel_ = level - 1;
    path_.resize(level);
}

std::string WebMenus::key(int code)
{
    if (!isOpen())
        return {};
    const bool onBar = menuAt(0).items.empty();
    switch (code) {
    case kUp:
    case kDown:
        if (!onBar)
            step(code == kDown ? 1 : -1);
        return {};
    case kRight:
        if (onBar || !enter())
            openTop(path_[0], 1);
        return {};
    case kLeft:
        if (onBar || activeLevel() == 0)
            openTop(path_[0], -1);
        else
            leave();
        return {};
    case key::Escape:
        leave();
        return {};
    case key::Enter: {
        if (onBar) {
            const std::string chosen = tree_[path_[0]].name;
            close();
            return chosen;
        }
        const std::size_t level = activeLevel();
        if (hoverLevel_ != level || hoverItem_ < 0 || enter())
            return {};
        const MenuEntry& e = menuAt(level).items[std::size_t(hoverItem_)];
        if (!e.enabled)
            return {};
        const std::string chosen = e.name;
        close();
        return chosen;
    }
    default:
        return {};
    }
}

}  // namespace platform::web
