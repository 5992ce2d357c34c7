#pragma once
// The menu bar: its designed tree, and the check marks and enabled states
// the program reads and sets. The model here is the truth; the toolkit's
// menu only mirrors it.
#include <map>
#include <string>
#include <vector>

#include "platform/host.h"

namespace window {

// The designed menu tree with its start states.
std::vector<platform::MenuEntry> menuDesign();

class MenuState {
public:
    MenuState();
    void attach(platform::Host* host) { host_ = host; }

    bool enabled(const std::string& name) const;
    // Enabled, and so is every menu above it: the user can choose it.
    bool reachable(const std::string& name) const;
    bool checked(const std::string& name) const;
    void setEnabled(const std::string& name, bool on);
    void setChecked(const std::string& name, bool on);

private:
    struct State {
        bool checked = false, enabled = true;
    };
    std::map<std::string, State> states_;
    std::map<std::string, std::string> parent_;
    platform::Host* host_ = nullptr;
};

}  // namespace window
