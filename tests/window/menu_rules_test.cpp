// The menu rules by themselves: each event against the panels that may be
// open when it comes.
#include <gtest/gtest.h>

#include "window/menu_rules.h"

namespace {

using namespace window::menu;
using window::MenuRules;
using window::Panel;

std::string enabled(const MenuRules& m)
{
    std::string on;
    for (const char* item : {kOptions, kPlayOptions, kChooseColour, kAbout, kSaveBrain})
        if (m.enabled(item))
            on += std::string(on.empty() ? "" : " ") + item;
    return on;
}

TEST(MenuRules, PanelsOpenAndClose)
{
    struct Row {
        Panel panel;
        bool playing;
        int layer;
        const char* whileOpen;
        const char* afterClosing;
    } rows[] = {
        // The About panel's own rules are checked through the live window's menus.
        {Panel::Save, false, 0, "", "options playoptions choosecolor about"},
        // Play keeps "Options" and "Choose draw color" whichever panel closes.
        {Panel::Load, true, 0, "", "playoptions about"},
        {Panel::Colour, true, 4, "", "about"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(int(row.panel));
        MenuRules m;
        m.panelOpened(row.panel);
        EXPECT_TRUE(m.panelOpen(row.panel));
        EXPECT_EQ(enabled(m), row.whileOpen);
        m.panelClosed(row.panel, row.playing, row.layer);
        EXPECT_FALSE(m.panelOpen(row.panel));
        EXPECT_EQ(enabled(m), row.afterClosing);
    }
}

// Ending play, and closing one panel while another stays open, give the panel
// menus back only when no panel is open.
TEST(MenuRules, PanelMenusWaitForEveryPanelToClose)
{
    for (Panel open : {Panel::About, Panel::Save, Panel::Load, Panel::Colour}) {
        SCOPED_TRACE(int(open));
        MenuRules m;
        m.playStarted();
        m.panelOpened(open);
        m.playEnded();
        EXPECT_FALSE(m.enabled(kOptions) || m.enabled(kChooseColour));
        EXPECT_TRUE(m.checked(kPlayOff) && !m.checked(kComputerMoves));
        if (open != Panel::About) {
            m.panelOpened(Panel::About);
            m.panelClosed(Panel::About, false, 0);
            EXPECT_FALSE(m.enabled(kOptions) || m.enabled(kChooseColour));
        }
        m.panelClosed(open, false, 0);
        EXPECT_TRUE(m.enabled(kOptions) && m.enabled(kChooseColour));
    }
}

// "Save Brain": off with a size change, on with a generation or a load; a
// load ends play without giving "Options" back (the Load panel's closing does).
TEST(MenuRules, SaveBrainAndLoad)
{
    MenuRules m;
    EXPECT_FALSE(m.enabled(kSaveBrain));
    m.brainGenerated();
    EXPECT_TRUE(m.enabled(kSaveBrain));
    m.sizeChanged();
    EXPECT_FALSE(m.enabled(kSaveBrain));
    m.playStarted();
    m.brainLoaded();
    EXPECT_TRUE(m.enabled(kSaveBrain) && m.checked(kPlayOff) && !m.checked(kComputerMoves));
    EXPECT_FALSE(m.enabled(kOptions));
}

}  // namespace
