#pragma once
// The window `drawing`: holds the program's state for the whole run as a few
// parts, each keeping its own rules (the brain, the pen, the view, the
// maze-mover, the menus, the canvases); starts up, runs the main loop and
// hands each event to its handler. The operations that keys, panels and play
// share live here once; the commands themselves plug in from outside.
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "brain/brain.h"
#include "maze_mover.h"
#include "menu_rules.h"
#include "pen.h"
#include "platform/host.h"
#include "view.h"

namespace window {

// What a brain file holds, as the window takes it up.
struct StoredBrain {
    Rgb colour;
    MoverPlace mover;
    std::unique_ptr<brain::CellGrid> cells;  // its side becomes the brain's side
};

struct Point {
    int x = 0, y = 0;
    bool operator==(const Point&) const = default;
};

class Drawing : public platform::EventSink {
public:
    explicit Drawing(brain::Brain::Allocator allocate = &brain::Brain::populated);
    ~Drawing() override;
    void attach(platform::Host& host);

    // --- The parts. ---
    brain::Brain& brain() { return brain_; }
    const brain::Brain& brain() const { return brain_; }
    Pen& pen() { return pen_; }
    const Pen& pen() const { return pen_; }
    View& view() { return view_; }
    const View& view() const { return view_; }
    MazeMover& mover() { return mover_; }
    const MazeMover& mover() const { return mover_; }
    MenuRules& menus() { return menus_; }
    const MenuRules& menus() const { return menus_; }
    brain::Canvases& canvases() { return canvases_; }
    const brain::Canvases& canvases() const { return canvases_; }
    // lastX, lastY: the last point of the stroke under way, if one is.
    std::optional<Point> strokePoint() const { return stroke_; }
    bool started() const { return started_; }
    platform::Host& host() { return *host_; }
    platform::Surface& surface() { return host_->surface(); }

    // --- Routines shared by the handlers. ---
    void startUp();
    // The generation that painting, keys and play run (the brain re-allocates
    // first when a size change is pending); the window takes up its output.
    brain::GenerationResult generate(brain::GenerationOptions options = {});
    void sampleInput();  // inputvalues alone
    void displayCells();  // displaycells: the layer on view
    void drawSwatch();    // drawswatch in the pen's colour
    void clearSurface();  // the whole surface white
    bool insideGrid(int x, int y) const;

    // --- Operations that keys, panels and play share. ---
    // The resize procedure: false, with nothing changed, when the arrays for
    // `side` cannot be had.
    bool resizeTo(int side);
    // Shows a brain read from a file in place of the one there was.
    void takeUp(StoredBrain stored);
    // Play off, as a size change, X on the input layer or "Playmode off" ends it.
    void endPlay();
    // refreshcaption: the size of brain and the layer on view.
    void refreshCaption();
    void openPanel(Panel panel);
    void closePanel(Panel panel);

    // --- The main loop. ---
    void run();   // shows the window and loops until it ends
    void turn();  // one turn: pending events, then a maze step when due
    // Whether a maze step is waiting: a loop that is not run() keeps turning while it is.
    bool playDue() const;

    // --- Plug-ins from the upper layers. ---
    void setKeyHandler(std::function<void(int code)> handler) { onKey_ = std::move(handler); }
    void setMazeStep(std::function<void()> step) { onMazeStep_ = std::move(step); }
    // A menu item or a button.
    void setCommand(const std::string& name, std::function<void()> command) { onCommand_[name] = std::move(command); }
    void setListHandler(std::function<void(const std::string& list, const std::string& entry)> handler)
    {
        onListSelected_ = std::move(handler);
    }
    // Runs once, right after start-up: a brain named on the command line.
    void setStartedHandler(std::function<void()> then) { onStarted_ = std::move(then); }
    // Files dropped on the window: whether one may be taken now, and taking it.
    void setDropHandlers(std::function<bool(const std::string& path)> accepts,
                         std::function<void(const std::string& path)> dropped)
    {
        onAcceptsDrop_ = std::move(accepts);
        onFileDropped_ = std::move(dropped);
    }

    // EventSink
    void activated() override;
    void mousePressed(int button, int x, int y) override;
    void mouseMoved(int buttons, int x, int y) override;
    void keyPressed(int code) override;
    void menuChosen(const std::string& name) override;
    void buttonClicked(const std::string& name) override;
    void listSelected(const std::string& list, const std::string& entry) override;
    void surfaceResized(int width, int height) override;
    void closeRequested() override;
    void panelKeyPressed(const std::string& control, int code) override;
    bool acceptsDrop(const std::string& path) override;
    void fileDropped(const std::string& path) override;

private:
    void addModeCommands();
    brain::Picture picture() const;
    void layOutGrid();
    void paintEmptyGrid();  // black on the window, 0 on the canvases
    void drawSwatch(platform::Colour colour);
    void drawSegment(Point to, Point from, Rgb colour);

    brain::Brain brain_;
    Pen pen_;
    View view_;
    MazeMover mover_;
    MenuRules menus_;
    brain::Canvases canvases_;
    std::optional<Point> stroke_;
    bool started_ = false;
    platform::Host* host_ = nullptr;

    std::function<void(int code)> onKey_;
    std::function<void()> onMazeStep_;
    std::map<std::string, std::function<void()>> onCommand_;
    std::function<void(const std::string& list, const std::string& entry)> onListSelected_;
    std::function<void()> onStarted_;
    std::function<bool(const std::string& path)> onAcceptsDrop_;
    std::function<void(const std::string& path)> onFileDropped_;
};

}  // namespace window
