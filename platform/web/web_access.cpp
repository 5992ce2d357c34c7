// What a screen reader finds over the canvas: the menu bar and its open
// menus, and the panels' shown controls, each where it is drawn and named
// as on the desktop (a control by its visible text, a text box by the label
// beside it). The page lays them out as elements nobody sees.
#include <initializer_list>
#include <utility>

#include "page_calls.h"
#include "platform/label_beside.h"
#include "web_controls.h"
#include "web_menus.h"

namespace platform::web {
namespace {

std::string states(std::initializer_list<std::pair<bool, const char*>> all)
{
    std::string s;
    for (const auto& [on, name] : all)
        if (on)
            s += s.empty() ? name : std::string(" ") + name;
    return s;
}

}  // namespace

void WebMenus::describe() const
{
    describeItem({.role = "menubar", .label = "Menu bar", .w = width_, .h = kMenuBarHeight});
    for (std::size_t top = 0; top < tree_.size(); ++top) {
        const Box b = barBox(top);
        const MenuEntry& e = tree_[top];
        const bool open = isOpen() && path_[0] == top;
        describeItem({.role = "menuitem", .label = e.caption, .x = b.x, .y = b.y, .w = b.w, .h = b.h, .inside = true,
                      .states = states({{!e.enabled, "disabled"}, {!e.items.empty(), "haspopup"},
                                        {open && !e.items.empty(), "expanded"}, {open && e.items.empty(), "active"}})});
    }
    for (std::size_t level = 0; level < path_.size(); ++level) {
        const MenuEntry& m = menuAt(level);
        if (m.items.empty())
            continue;
        const Box b = menuBox(level, width_, height_);
        describeItem({.role = "menu", .label = m.caption, .x = b.x, .y = b.y, .w = b.w, .h = b.h});
        for (std::size_t i = 0; i < m.items.size(); ++i) {
            const MenuEntry& e = m.items[i];
            const bool expanded = level + 1 < path_.size() && path_[level + 1] == i;
            describeItem({.role = e.checkable ? "menuitemcheckbox" : "menuitem", .label = e.caption, .x = b.x,
                          .y = b.y + 1 + int(i) * kMenuItemHeight, .w = b.w, .h = kMenuItemHeight, .inside = true,
                          .states = states({{e.checkable && e.checked, "checked"}, {!e.enabled, "disabled"},
                                            {!e.items.empty(), "haspopup"}, {expanded, "expanded"},
                                            {level == hoverLevel_ && int(i) == hoverItem_, "active"}})});
        }
    }
}

std::string WebControls::labelOf(const WebControl& box) const
{
    const auto rect = [](const ControlSpec& s) { return Rect{s.left, s.top, s.left + s.width - 1, s.top + s.height - 1}; };
    for (const WebControl& l : controls_)
        if (l.design.kind == ControlKind::Label && !l.text.empty() && labelNamesBox(rect(l.design), rect(box.design)))
            return l.text;
    return {};
}

void WebControls::describe(int top) const
{
    for (const WebControl& c : controls_) {
        if (!c.visible)
            continue;
        AccessItem a{.x = c.design.left, .y = top + c.design.top, .w = c.design.width, .h = c.design.height,
                     .states = states({{&c == focus_, "active"}})};
        switch (c.design.kind) {
        case ControlKind::Label:
            a.text = c.text;
            break;
        case ControlKind::TextBox:
            a.role = "textbox";
            a.label = labelOf(c);
            a.text = c.text;
            if (c.design.readOnly)
                a.states += a.states.empty() ? "readonly" : " readonly";
            break;
        case ControlKind::Button:
            a.role = "button";
            a.label = c.text;
            break;
        case ControlKind::FileList:
            a.role = "listbox";
            a.label = "Files " + c.design.pattern;
            break;
        case ControlKind::Picture:
            a.role = "img";
            a.label = "Picture";
            break;
        }
        describeItem(a);
        // A list's entries, all of them, each over the whole list.
        for (std::size_t i = 0; i < c.entries.size(); ++i)
            describeItem({.role = "option", .label = c.entries[i], .x = a.x, .y = a.y, .w = a.w, .h = a.h,
                          .inside = true, .states = states({{int(i) == c.selected, "selected"}})});
    }
}

}  // namespace platform::web
