#pragma once
// The menus' enabled states and the play check marks, changed only through
// the events below, one function each, so the rules read as one table.
#include <array>
#include <cstddef>
#include <initializer_list>
#include <string>

#include "menus.h"
#include "names.h"

namespace window {

class MenuRules {
public:
    const MenuState& state() const { return state_; }
    void attach(platform::Host* host) { state_.attach(host); }
    bool enabled(const std::string& name) const { return state_.enabled(name); }
    bool checked(const std::string& name) const { return state_.checked(name); }
    bool reachable(const std::string& name) const { return state_.reachable(name); }

    // A mode group: `on` checked, the others of its group not.
    void modeChosen(const char* on, std::initializer_list<const char*> others);

    // Every panel disables "Options", "Play options" and "Choose draw color";
    // the file and colour panels "About" as well.
    void panelOpened(Panel panel);
    // A panel gives back "Options" and "Choose draw color" only when play is
    // off, and "Play options" only on the input layer.
    void panelClosed(Panel panel, bool playing, int layer);
    bool panelOpen(Panel panel) const { return open_[index(panel)]; }

    void playStarted();
    // Play off ("Playmode off", X on the input layer, a size change). While a
    // panel is open its menus stay disabled, so no second panel can open.
    void playEnded();
    // After every key press: play runs only with the input layer on view.
    void layerChanged(int layer);
    void sizeChanged();
    void brainGenerated();
    // Play is off after a load; the Load panel's closing gives the menus back.
    void brainLoaded();

private:
    static std::size_t index(Panel panel) { return static_cast<std::size_t>(panel); }
    bool anyPanelOpen() const;
    void enablePanelMenus();  // "Options" and "Choose draw color", unless a panel is open
    void checkPlay(bool playing);

    MenuState state_;
    std::array<bool, kPanels> open_{};
};

}  // namespace window
