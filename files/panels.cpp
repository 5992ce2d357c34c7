#include "panels.h"

#include <string>

#include "brain_file.h"
#include "busy_cursor.h"
#include "commands/keys.h"
#include "window/drawing.h"
#include "window/layout.h"

namespace files {
namespace {

bool onlyBlanks(const std::string& s)
{
    return s.find_first_not_of(" \t") == std::string::npos;
}

void say(window::Drawing& d, const std::string& message)
{
    d.host().setText(kMessage, message);
    d.host().setVisible(kMessage, true);
}

void openPanel(window::Drawing& d, const std::vector<std::string>& controls, const char* list)
{
    d.host().rereadFiles(list);
    d.showPanel(controls, true);
    d.enablePanelMenus(false);
}

void closePanel(window::Drawing& d, const std::vector<std::string>& controls)
{
    d.host().setVisible(kMessage, false);
    d.host().setText(kMessage, "");
    d.showPanel(controls, false);
    d.enablePanelMenus(true);
}

BrainHeader headerOf(const window::Drawing& d)
{
    return {d.dimX, d.dimY, d.dimZ, d.drawRed, d.drawGreen, d.drawBlue, d.moverX, d.moverY, d.moverStepY, d.moverStepX};
}

// Takes a brain that was read and checked whole: the window shows it from here.
void takeUp(window::Drawing& d, LoadedBrain& loaded)
{
    const BrainHeader& h = loaded.header;
    d.dimX = h.dimX;
    d.dimY = h.dimY;
    d.dimZ = h.dimZ;
    d.drawRed = h.drawRed;
    d.drawGreen = h.drawGreen;
    d.drawBlue = h.drawBlue;
    d.moverX = h.moverX;
    d.moverY = h.moverY;
    d.moverStepY = h.moverStepY;
    d.moverStepX = h.moverStepX;
    d.viewLayer = 0;
    d.clearSurface();
    d.layOutGrid();
    d.paintEmptyGrid();
    d.drawswatch();
    d.reserved.reset();
    d.cells = std::move(loaded.cells);
    d.displaycells();
    d.needsRealloc = 0;
    d.menus.setEnabled("savebrain", true);
    commands::refreshcaption(d);
    d.playMode = 0;
    d.menus.setChecked("cmove", false);
    d.menus.setChecked("playoff", true);
}

}  // namespace

void addControls(std::vector<platform::ControlSpec>& controls)
{
    platform::ControlSpec message;
    message.name = kMessage;
    message.kind = platform::ControlKind::Label;
    message.left = 64;
    message.top = 124;
    message.width = 200;
    message.height = 110;
    message.colour = platform::rgb(192, 0, 0);
    controls.push_back(message);
}

void install(window::Drawing& d)
{
    d.onCommand["savebrain"] = [&d] { openSavePanel(d); };
    d.onCommand["loadbrain"] = [&d] { openLoadPanel(d); };
    d.onCommand["Command1"] = [&d] { saveDone(d); };
    d.onCommand["Command2"] = [&d] { closeSavePanel(d); };
    d.onCommand["Command3"] = [&d] { loadDone(d); };
    d.onCommand["Command4"] = [&d] { closeLoadPanel(d); };
    d.onListSelected = [&d](const std::string& list, const std::string& entry) {
        if (list == "File2")
            d.host().setText("Text2", entry);
    };
}

void openSavePanel(window::Drawing& d)
{
    openPanel(d, window::kSavePanel, "File1");
}

void openLoadPanel(window::Drawing& d)
{
    openPanel(d, window::kLoadPanel, "File2");
}

void closeSavePanel(window::Drawing& d)
{
    closePanel(d, window::kSavePanel);
}

void closeLoadPanel(window::Drawing& d)
{
    closePanel(d, window::kLoadPanel);
}

void saveDone(window::Drawing& d)
{
    const std::string name = d.host().text("Text1");
    if (onlyBlanks(name))
        return;
    const std::string file = name + ".brain";
    if (name.find('/') != std::string::npos || name.find('\0') != std::string::npos) {
        say(d, "Cannot save as \"" + file + "\": a name may not contain \"/\". Brains are saved in the working folder.");
        return;
    }
    if (d.needsRealloc == 1 || !d.cells || d.cells->size() != d.dimX) {
        say(d, "Cannot save \"" + file + "\" yet: the brain has a new size. Generate it first (Enter), then save.");
        return;
    }
    BusyCursor busy(d.host());
    const FileResult r = writeBrainFile(file, headerOf(d), *d.cells, {}, busy.progress());
    if (!r.ok) {
        say(d, r.error);
        return;
    }
    closeSavePanel(d);
}

void loadDone(window::Drawing& d)
{
    const std::string name = d.host().text("Text2");
    if (onlyBlanks(name))
        return;
    LoadedBrain loaded;
    BusyCursor busy(d.host());
    const FileResult r = readBrainFile(name, loaded, busy.progress());
    if (!r.ok || !loaded.cells) {
        say(d, r.ok ? "Cannot load \"" + name + "\"." : r.error);
        return;
    }
    takeUp(d, loaded);
    closeLoadPanel(d);
}

}  // namespace files
