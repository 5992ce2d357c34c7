#include "menus.h"

#include "names.h"

namespace window {
namespace {

using platform::MenuEntry;

MenuEntry item(std::string name, std::string caption, bool checked = false, bool enabled = true)
{
    return MenuEntry{std::move(name), std::move(caption), checked, enabled, {}};
}

// An item that shows a check box: a mode or the play state.
MenuEntry choice(std::string name, std::string caption, bool checked = false)
{
    MenuEntry e = item(std::move(name), std::move(caption), checked);
    e.checkable = true;
    return e;
}

MenuEntry submenu(std::string name, std::string caption, std::vector<MenuEntry> items)
{
    return MenuEntry{std::move(name), std::move(caption), false, true, std::move(items)};
}

// A "Key help" topic: a submenu whose one item is the instruction.
MenuEntry hint(std::string name, std::string caption, std::string itemName, std::string instruction)
{
    return submenu(std::move(name), std::move(caption), {item(std::move(itemName), std::move(instruction))});
}

void collect(const std::vector<MenuEntry>& entries, const std::string& parent,
             std::map<std::string, std::pair<bool, bool>>& out, std::map<std::string, std::string>& parents)
{
    for (const MenuEntry& e : entries) {
        out[e.name] = {e.checked, e.enabled};
        parents[e.name] = parent;
        collect(e.items, e.name, out, parents);
    }
}

}  // namespace

std::vector<MenuEntry> menuDesign()
{
    using namespace menu;
    return {
        submenu(kOptions, "Options",
                {item(kSaveBrain, "Save Brain", false, false), item(kLoadBrain, "Load Brain"), item(kQuit, "Quit")}),
        submenu(kDrawOptions, "Draw options",
             {submenu(kAutoGenerating, "Auto-Generating", {choice(kAutoOn, "On"), choice(kAutoOff, "Off", true)}),
              submenu(kDrawMode, "Draw-Mode",
                   {choice(kDrawChosen, "Draw chosen color", true), choice(kDrawOutput, "Draw brain output"),
                    submenu(kChooseStyle, "Choose style",
                         {choice(kStyleOne, "style one"), choice(kStyleTwo, "style two", true),
                          choice(kStyleThree, "style three")})}),
              item(kChooseColour, "Choose draw color")}),
        submenu(kPlayOptions, "Play options",
             {choice(kComputerMoves, "Computer moves in maze"), choice(kPlayOff, "Playmode off", true)}),
        // The hints do nothing when chosen: their names appear nowhere else.
        submenu(kKeyHelp, "Key help",
             {hint("dsfdfdsd", "Changing brain size", "waqs", "Press \"+ or -\""),
              hint("dsfsfd", "Viewing higher layer", "sfsdf", "Press \"X\""),
              hint("sdfsdf", "Viewing lower layer", "dsfsdf", "Press \"Z\""),
              hint("esfdsds", "Creating generation", "dslsksj", "Press enter"),
              hint("fsdsdsd", "Changing red value", "egwsfw", "Hold down \"Q\" or \"A\""),
              hint("dfsdssdes", "Changing green value", "sdsdjss", "Hold down \"W\" or \"S\""),
              hint("dcssds", "Changing blue value", "sskskssmsm", "Hold down \"E\" or \"D\""),
              hint("dfsgdsff", "Positioning maze-mover", "ssjsddj",
                   "Hold down Left mouse button and press \"P\"")}),
        item(kAbout, "About"),
    };
}

MenuState::MenuState()
{
    std::map<std::string, std::pair<bool, bool>> design;
    collect(menuDesign(), "", design, parent_);
    for (const auto& [name, s] : design)
        states_[name] = State{s.first, s.second};
}

bool MenuState::enabled(const std::string& name) const
{
    auto it = states_.find(name);
    return it != states_.end() && it->second.enabled;
}

bool MenuState::reachable(const std::string& name) const
{
    for (std::string n = name; !n.empty();) {
        auto up = parent_.find(n);
        if (up == parent_.end() || !enabled(n))
            return false;
        n = up->second;
    }
    return true;
}

bool MenuState::checked(const std::string& name) const
{
    auto it = states_.find(name);
    return it != states_.end() && it->second.checked;
}

void MenuState::setEnabled(const std::string& name, bool on)
{
    auto it = states_.find(name);
    if (it == states_.end() || it->second.enabled == on)
        return;
    it->second.enabled = on;
    if (host_)
        host_->setMenuEnabled(name, on);
}

void MenuState::setChecked(const std::string& name, bool on)
{
    auto it = states_.find(name);
    if (it == states_.end() || it->second.checked == on)
        return;
    it->second.checked = on;
    if (host_)
        host_->setMenuChecked(name, on);
}

}  // namespace window
