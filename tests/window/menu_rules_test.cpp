// The menu rules by themselves where the live window's tests do not reach
// them: a load ends play. The panels' and play's rules are checked through
// the live window's menus.
#include <gtest/gtest.h>

#include "window/menu_rules.h"

namespace {

using namespace window::menu;
using window::MenuRules;

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
