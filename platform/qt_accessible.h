#pragma once
// Names and descriptions for screen readers, taken from what each control
// and menu shows and what it is; nothing visible changes.
class QMainWindow;
class QWidget;

namespace platform {

// Run once the menus and the panel controls of `window` are made; `surface`
// is the widget that shows the brain grid and the drawing colour.
void describeForAccessibility(QMainWindow& window, QWidget& surface);

}  // namespace platform
