#include "panels.h"

#include <string>

#include "storage/brain_file.h"
#include "busy_cursor.h"
#include "window/drawing.h"
#include "window/names.h"

namespace files {
namespace {

using namespace window::control;
using window::Panel;

bool onlyBlanks(const std::string& s)
{
    return s.find_first_not_of(" \t") == std::string::npos;
}

void say(window::Drawing& d, const std::string& message)
{
    d.host().setText(kFileMessage, message);
    d.host().setVisible(kFileMessage, true);
}

void openPanel(window::Drawing& d, Panel panel, const char* list)
{
    d.host().setVisible(kFileMessage, false);  // a message left by a file opened from outside
    d.host().rereadFiles(list);
    d.openPanel(panel);
}

void closePanel(window::Drawing& d, Panel panel)
{
    d.host().setVisible(kFileMessage, false);
    d.host().setText(kFileMessage, "");
    d.closePanel(panel);
}

storage::BrainHeader headerOf(const window::Drawing& d)
{
    const int side = d.brain().side();
    const window::Rgb c = d.pen().colour();
    const window::MoverPlace& m = d.mover().place();
    storage::BrainHeader h;
    h.dimX = h.dimY = h.dimZ = side;
    h.drawRed = c.red;
    h.drawGreen = c.green;
    h.drawBlue = c.blue;
    h.moverX = m.x;
    h.moverY = m.y;
    h.moverStepY = m.stepY;
    h.moverStepX = m.stepX;
    return h;
}

window::StoredBrain storedOf(storage::LoadedBrain& loaded)
{
    const storage::BrainHeader& h = loaded.header;
    return {.colour = {h.drawRed, h.drawGreen, h.drawBlue},
            .mover = {.x = h.moverX, .y = h.moverY, .stepX = h.moverStepX, .stepY = h.moverStepY},
            .cells = std::move(loaded.cells)};
}

}  // namespace

void install(window::Drawing& d)
{
    d.setCommand(window::menu::kSaveBrain, [&d] { openSavePanel(d); });
    d.setCommand(window::menu::kLoadBrain, [&d] { openLoadPanel(d); });
    d.setCommand(kSaveDone, [&d] { saveDone(d); });
    d.setCommand(kSaveCancel, [&d] { closeSavePanel(d); });
    d.setCommand(kLoadDone, [&d] { loadDone(d); });
    d.setCommand(kLoadCancel, [&d] { closeLoadPanel(d); });
    d.setListHandler([&d](const std::string& list, const std::string& entry) {
        if (list == kLoadFiles)
            d.host().setText(kLoadName, entry);
    });
}

void openSavePanel(window::Drawing& d)
{
    openPanel(d, Panel::Save, kSaveFiles);
}

void openLoadPanel(window::Drawing& d)
{
    openPanel(d, Panel::Load, kLoadFiles);
}

void closeSavePanel(window::Drawing& d)
{
    closePanel(d, Panel::Save);
}

void closeLoadPanel(window::Drawing& d)
{
    closePanel(d, Panel::Load);
}

void saveDone(window::Drawing& d)
{
    const std::string name = d.host().text(kSaveName);
    if (onlyBlanks(name))
        return;
    const std::string file = name + ".brain";
    if (name.find('/') != std::string::npos || name.find('\0') != std::string::npos) {
        say(d, "Cannot save as \"" + file + "\": a name may not contain \"/\". Brains are saved in the working folder.");
        return;
    }
    const brain::CellGrid* cells = d.brain().cellsOfSide();
    if (!cells) {
        say(d, "Cannot save \"" + file + "\" yet: the brain has a new size. Generate it first (Enter), then save.");
        return;
    }
    BusyCursor busy(d.host());
    const storage::FileResult r = storage::writeBrainFile(file, headerOf(d), *cells, {}, busy.progress());
    if (!r.ok) {
        say(d, r.error);
        return;
    }
    closeSavePanel(d);
}

void loadDone(window::Drawing& d)
{
    const std::string name = d.host().text(kLoadName);
    if (onlyBlanks(name))
        return;
    if (loadBrain(d, name))
        closeLoadPanel(d);
}

bool loadBrain(window::Drawing& d, const std::string& path)
{
    storage::LoadedBrain loaded;
    BusyCursor busy(d.host());
    const storage::FileResult r = storage::readBrainFile(path, loaded, busy.progress());
    if (!r.ok || !loaded.cells) {
        say(d, r.ok ? "Cannot load \"" + path + "\"." : r.error);
        return false;
    }
    d.takeUp(storedOf(loaded));
    return true;
}

}  // namespace files
