#pragma once
// Names and descriptions for screen readers, taken from what each control
// and menu shows and what it is; nothing visible changes.
#include <string>

class QMainWindow;
class QRect;
class QWidget;

namespace platform {

// Run once the menus and the panel controls of `window` are made. `surface`
// is the drawing surface: its areas (below) are told as parts of it.
void describeForAccessibility(QMainWindow& window, QWidget& surface);

// Where a thing drawn on the surface lies (say the grid), in surface pixels,
// so that a screen reader finds it by `name`. Placing it again moves it.
void placeAccessibleArea(QWidget& surface, const std::string& name, const QRect& area);

}  // namespace platform
