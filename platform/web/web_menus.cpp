#include "web_menus.h"

#include <algorithm>

#include "page_calls.h"

namespace platform::web {
namespace {

constexpr int kFontSize = 12;
constexpr Colour kBar = rgb(239, 239, 239), kText = rgb(0, 0, 0), kGreyed = rgb(160, 160, 160);
constexpr Colour kHighlight = rgb(48, 140, 198), kBorder = rgb(150, 150, 150);

}  // namespace

WebMenus::WebMenus(std::vector<MenuEntry> tree) : tree_(std::move(tree))
{
    int x = 0;
    for (const MenuEntry& top : tree_) {
        barX_.push_back(x);
        x += textWidth(top.caption, kFontSize) + 16;
    }
    barX_.push_back(x);
}

MenuEntry* WebMenus::find(std::vector<MenuEntry>& in, const std::string& name)
{
    for (MenuEntry& e : in) {
        if (e.name == name)
            return &e;
        if (MenuEntry* below = find(e.items, name))
            return below;
    }
    return nullptr;
}

void WebMenus::setChecked(const std::string& name, bool checked)
{
    if (MenuEntry* e = find(tree_, name))
        e->checked = checked;
}

void WebMenus::setEnabled(const std::string& name, bool enabled)
{
    if (MenuEntry* e = find(tree_, name))
        e->enabled = enabled;
    // A menu that greys out while open closes, as the desktop's does.
    if (!enabled && isOpen())
        close();
}

WebMenus::Box WebMenus::barBox(std::size_t top) const
{
    return {barX_[top], 0, barX_[top + 1] - barX_[top], kMenuBarHeight};
}

const MenuEntry& WebMenus::menuAt(std::size_t level) const
{
    const MenuEntry* m = &tree_[path_[0]];
    for (std::size_t i = 1; i <= level; ++i)
        m = &m->items[path_[i]];
    return *m;
}

WebMenus::Box WebMenus::menuBox(std::size_t level, int width, int height) const
{
    const MenuEntry& m = menuAt(level);
    int w = 0;
    for (const MenuEntry& e : m.items)
        w = std::max(w, textWidth(e.caption, kFontSize));
    Box b{0, 0, w + 48, int(m.items.size()) * kMenuItemHeight + 2};
    if (level == 0) {
        b.x = barX_[path_[0]];
        b.y = kMenuBarHeight;
    } else {
        const Box parent = menuBox(level - 1, width, height);
        b.x = parent.x + parent.w - 2;
        b.y = parent.y + 1 + int(path_[level]) * kMenuItemHeight;
        if (b.x + b.w > width)  // no room on the right: open to the left
            b.x = std::max(0, parent.x - b.w + 2);
    }
    b.x = std::min(b.x, std::max(0, width - b.w));
    b.y = std::min(b.y, std::max(0, height - b.h));
    return b;
}

bool WebMenus::itemAt(int x, int y, std::size_t& level, int& item) const
{
    for (std::size_t l = path_.size(); l-- > 0;) {
        if (!menuAt(l).items.empty()) {
            const Box b = menuBox(l, width_, height_);
            if (b.contains(x, y)) {
                level = l;
                item = std::clamp((y - b.y - 1) / kMenuItemHeight, 0, int(menuAt(l).items.size()) - 1);
                return true;
            }
        }
    }
    return false;
}

std::string WebMenus::press(int x, int y)
{
    for (std::size_t top = 0; top < tree_.size(); ++top) {
        if (!barBox(top).contains(x, y))
            continue;
        const MenuEntry& e = tree_[top];
        const bool wasOpen = isOpen() && path_[0] == top;
        close();
        if (!e.enabled || wasOpen)
            return {};
        if (e.items.empty())  // a command on the bar itself
            return e.name;
        path_.push_back(top);
        return {};
    }
    std::size_t level = 0;
    int item = 0;
    if (!isOpen() || !itemAt(x, y, level, item)) {
        close();
        return {};
    }
    const MenuEntry& e = menuAt(level).items[std::size_t(item)];
    if (!e.enabled)
        return {};
    if (!e.items.empty()) {
        path_.resize(level + 1);
        path_.push_back(std::size_t(item));
        return {};
    }
    close();
    return e.name;
}

void WebMenus::hover(int x, int y)
{
    if (!isOpen())
        return;
    for (std::size_t top = 0; top < tree_.size(); ++top)
        if (barBox(top).contains(x, y) && top != path_[0] && tree_[top].enabled && !tree_[top].items.empty()) {
            path_ = {top};
            hoverItem_ = -1;
            return;
        }
    std::size_t level = 0;
    int item = 0;
    if (!itemAt(x, y, level, item))
        return;
    hoverLevel_ = level;
    hoverItem_ = item;
    const MenuEntry& e = menuAt(level).items[std::size_t(item)];
    path_.resize(level + 1);
    if (e.enabled && !e.items.empty())
        path_.push_back(std::size_t(item));
}

bool WebMenus::pathTo(const std::vector<MenuEntry>& in, const std::string& name, std::vector<std::size_t>& path)
{
    for (std::size_t i = 0; i < in.size(); ++i) {
        path.push_back(i);
        if (in[i].name == name || pathTo(in[i].items, name, path))
            return true;
        path.pop_back();
    }
    return false;
}

bool WebMenus::reveal(const std::string& name, int& x, int& y)
{
    std::vector<std::size_t> path;
    if (!pathTo(tree_, name, path))
        return false;
    const std::size_t item = path.back();
    path.pop_back();
    hoverItem_ = -1;
    if (path.empty()) {  // on the bar
        path_.clear();
        const Box b = barBox(item);
        x = b.x + b.w / 2;
        y = b.y + b.h / 2;
        return true;
    }
    path_ = path;
    const Box b = menuBox(path_.size() - 1, width_, height_);
    x = b.x + b.w / 2;
    y = b.y + 1 + int(item) * kMenuItemHeight + kMenuItemHeight / 2;
    return true;
}

void WebMenus::paintBar(int width) const
{
    fill(0, 0, width, kMenuBarHeight, kBar);
    for (std::size_t top = 0; top < tree_.size(); ++top) {
        const Box b = barBox(top);
        const bool open = isOpen() && path_[0] == top;
        if (open)
            fill(b.x, b.y, b.w, b.h, kHighlight);
        const Colour c = open ? rgb(255, 255, 255) : tree_[top].enabled ? kText : kGreyed;
        text(b.x, b.y, b.w, b.h, tree_[top].caption, c, Align::Centre, false, kFontSize);
    }
}

void WebMenus::paintOpen(int width, int height) const
{
    width_ = width;
    height_ = height;
    for (std::size_t level = 0; level < path_.size(); ++level) {
        const MenuEntry& m = menuAt(level);
        if (m.items.empty())
            continue;
        const Box b = menuBox(level, width, height);
        fill(b.x, b.y, b.w, b.h, rgb(255, 255, 255));
        frame(b.x, b.y, b.w, b.h, kBorder);
        for (std::size_t i = 0; i < m.items.size(); ++i) {
            const MenuEntry& e = m.items[i];
            const int y = b.y + 1 + int(i) * kMenuItemHeight;
            const bool lit = (level + 1 < path_.size() && path_[level + 1] == i) ||
                             (level == hoverLevel_ && int(i) == hoverItem_ && e.enabled);
            if (lit)
                fill(b.x + 1, y, b.w - 2, kMenuItemHeight, kHighlight);
            const Colour c = !e.enabled ? kGreyed : lit ? rgb(255, 255, 255) : kText;
            if (e.checkable) {
                frame(b.x + 6, y + 5, 10, 10, c);
                if (e.checked)
                    fill(b.x + 8, y + 7, 6, 6, c);
            }
            text(b.x + 24, y, b.w - 40, kMenuItemHeight, e.caption, c, Align::Left, false, kFontSize);
            if (!e.items.empty())
                text(b.x + b.w - 16, y, 12, kMenuItemHeight, "\u25B8", c, Align::Left, false, kFontSize);
        }
    }
}

}  // namespace platform::web
