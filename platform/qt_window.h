#pragma once
// Opens the program's one window with Qt: Toolkit, defined in qt_window.cpp.
// The only header of the program's port that names the toolkit's start-up;
// it exposes none of Qt's types.
#include "toolkit.h"
