#include "menu_rules.h"

namespace window {

using namespace menu;

void MenuRules::modeChosen(const char* on, std::initializer_list<const char*> others)
{
    state_.setChecked(on, true);
    for (const char* other : others)
        state_.setChecked(other, false);
}

void MenuRules::panelOpened(Panel panel)
{
    open_[index(panel)] = true;
    state_.setEnabled(kOptions, false);
    state_.setEnabled(kPlayOptions, false);
    if (panel != Panel::About)
        state_.setEnabled(kAbout, false);
    state_.setEnabled(kChooseColour, false);
}

void MenuRules::panelClosed(Panel panel, bool playing, int layer)
{
    open_[index(panel)] = false;
    // Play disabled "Options" and "Choose draw color" itself: a panel closing
    // meanwhile gives back only what its opening took.
    if (!playing)
        enablePanelMenus();
    if (panel == Panel::About) {
        if (layer == 0)
            state_.setEnabled(kPlayOptions, true);
        return;
    }
    state_.setEnabled(kPlayOptions, layer == 0);
    state_.setEnabled(kAbout, true);
}

void MenuRules::playStarted()
{
    state_.setEnabled(kOptions, false);
    state_.setEnabled(kChooseColour, false);
    checkPlay(true);
}

void MenuRules::playEnded()
{
    checkPlay(false);
    enablePanelMenus();
}

void MenuRules::layerChanged(int layer)
{
    state_.setEnabled(kPlayOptions, layer == 0);
}

void MenuRules::sizeChanged()
{
    state_.setEnabled(kSaveBrain, false);
}

void MenuRules::brainGenerated()
{
    state_.setEnabled(kSaveBrain, true);
}

void MenuRules::brainLoaded()
{
    state_.setEnabled(kSaveBrain, true);
    checkPlay(false);
}

bool MenuRules::anyPanelOpen() const
{
    for (bool open : open_)
        if (open)
            return true;
    return false;
}

void MenuRules::enablePanelMenus()
{
    if (anyPanelOpen())
        return;
    state_.setEnabled(kOptions, true);
    state_.setEnabled(kChooseColour, true);
}

void MenuRules::checkPlay(bool playing)
{
    state_.setChecked(kComputerMoves, playing);
    state_.setChecked(kPlayOff, !playing);
}

}  // namespace window
