#pragma once
// Keeps the keyboard with the window whenever a menu closes. Qt's menu bar
// takes the keyboard after Escape in a menu, or after a lone Alt, so that
// the menus can be walked by key; this program's menus have no keys, and
// the window's key commands must go on working.
class QMenuBar;
class QWidget;

namespace platform {

// Hands the keyboard back from `bar` to the widget that had it, or to `home`.
void keepKeysFromMenuBar(QMenuBar* bar, QWidget* home);

}  // namespace platform
