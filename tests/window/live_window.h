#pragma once
// A fresh program window for each test, under Qt's offscreen platform,
// started up as on the first activation.
#include <QApplication>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QTest>
#include <memory>

#include "app/program.h"

struct LiveWindow {
    LiveWindow();
    ~LiveWindow();

    window::Drawing& d() { return program->drawing(); }
    platform::Host& host() { return program->host(); }
    platform::Surface& surface() { return d().surface(); }
    QString caption() { return QString::fromStdString(host().caption()); }
    QMainWindow* mainWindow() const;
    QWidget* view() const { return mainWindow()->centralWidget(); }
    QWidget* control(const char* name) const { return view()->findChild<QWidget*>(name); }
    QLineEdit* box(const char* name) const { return qobject_cast<QLineEdit*>(control(name)); }
    QAction* action(const char* name) const { return mainWindow()->menuBar()->findChild<QAction*>(name); }
    // The surface point of grid cell (x, y).
    QPoint cell(int x, int y) { return {d().originX + x, d().originY + y}; }
    // A surface point's colour on the window, and as the three canvases hold it.
    std::pair<platform::Colour, platform::Colour> colourAt(QPoint p);
    platform::Colour colour() { return platform::rgb(d().drawRed, d().drawGreen, d().drawBlue); }
    void setColour(platform::Colour c);  // and shows it in the swatch

    // Runs the main loop's turns until Qt has nothing left to hand over.
    void settle(int turns = 3);
    // Runs steps separated by ';', one loop turn each: "menu NAME" (as a click
    // on the entry), "button NAME", "key K" to the surface (Qt's portable key
    // text: "X", "Enter", "+", "Num++", "Shift+Q"), and mouse steps at grid
    // cell "X Y", or away from the grid without one: "press", "rpress"
    // (right), "drag" (move with the left button), "drag2" (left and right),
    // "hover", "release". "click NAME" and "type K" go through the window as
    // the user's would: to the control under the point or with the focus.
    void run(const QString& steps);

    std::unique_ptr<app::Program> program;
};
