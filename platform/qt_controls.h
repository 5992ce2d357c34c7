#pragma once
// Builds the program's menus and panel controls as Qt widgets from their
// plain descriptions, wired to report back to the program.
#include <QWidget>
#include <map>
#include <string>

#include "host.h"

class QAction;
class QMenu;
class QMenuBar;

namespace platform {

// Where the widgets report to; nothing is reported once `ended` is true.
struct Wiring {
    EventSink& sink;
    const bool& ended;
};

void addMenuEntry(QMenuBar* bar, QMenu* parent, const MenuEntry& e, Wiring wiring,
                  std::map<std::string, QAction*>& actions);
QWidget* addControl(QWidget* parent, const ControlSpec& c, Wiring wiring);

}  // namespace platform
