#pragma once
// The menu bar drawn on the page's canvas: its drop-downs and submenus,
// check marks and enabled states, chosen with the mouse. Keeps the program's
// menu tree as given and says which command was chosen.
#include <map>
#include <string>
#include <vector>

#include "platform/host.h"

namespace platform::web {

constexpr int kMenuBarHeight = 20, kMenuItemHeight = 20;

class WebMenus {
public:
    explicit WebMenus(std::vector<MenuEntry> tree);

    void setChecked(const std::string& name, bool checked);
    void setEnabled(const std::string& name, bool enabled);
    bool isOpen() const { return !path_.empty(); }
    void close()
    {
        path_.clear();
        hoverItem_ = -1;
    }

    // A press at a canvas point while a menu is open or on the bar: returns
    // the name of a command chosen, or "" (the press is the menus' either way).
    std::string press(int x, int y);
    // Moving over an open menu opens the submenu under the pointer.
    void hover(int x, int y);
    // A key while a menu is open, as the desktop takes it: the arrows walk the
    // items, into and out of submenus and along the bar, Enter chooses and
    // Escape closes a level. Returns the name of a command chosen, or "".
    std::string key(int code);
    // Opens the menus that lead to entry `name` and tells the middle of its
    // place on the canvas; false when there is no such entry.
    bool reveal(const std::string& name, int& x, int& y);
    // Draws the bar, and the open menus over everything else.
    void paintBar(int width) const;
    void paintOpen(int width, int height) const;
    // Tells the page what a screen reader finds of the bar and the open
    // menus, as last painted (web_access.cpp).
    void describe() const;

private:
    struct Box {
        int x = 0, y = 0, w = 0, h = 0;
        bool contains(int px, int py) const { return px >= x && py >= y && px < x + w && py < y + h; }
    };
    Box barBox(std::size_t top) const;
    // The drop-down of the entry `path_` reaches at depth `level`.
    Box menuBox(std::size_t level, int width, int height) const;
    const MenuEntry& menuAt(std::size_t level) const;
    // Which open menu and which item lie under a point, -1 when none.
    bool itemAt(int x, int y, std::size_t& level, int& item) const;
    MenuEntry* find(std::vector<MenuEntry>& in, const std::string& name);
    static bool pathTo(const std::vector<MenuEntry>& in, const std::string& name, std::vector<std::size_t>& path);
    // The keyboard's moves (web_menu_keys.cpp).
    std::size_t activeLevel() const;
    void step(int by);
    void openTop(std::size_t top, int by);
    bool enter();
    void leave();

    std::vector<MenuEntry> tree_;
    std::vector<int> barX_;
    std::vector<std::size_t> path_;  // open: top menu, then each open submenu's item index
    std::size_t hoverLevel_ = 0;
    int hoverItem_ = -1;  // the item under the pointer in menu hoverLevel_, lit
    mutable int width_ = 574, height_ = 432;  // the canvas, as last painted
};

}  // namespace platform::web
