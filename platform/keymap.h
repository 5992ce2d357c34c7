#pragma once
// Turns the toolkit's key numbers into the Windows virtual-key codes that the
// key commands compare. Plain ints, so the table can be tested anywhere.
namespace platform {

// qtKey: Qt::Key value; keypad: the key sits on the numeric keypad.
int virtualKeyCode(int qtKey, bool keypad);

}  // namespace platform
