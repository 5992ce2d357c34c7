#include "keymap.h"

#include <Qt>

#include "host.h"

namespace platform {

int virtualKeyCode(int qtKey, bool keypad)
{
    // Letters: the upper-case code whatever Shift says (Qt already reports
    // the upper-case key for both).
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z)
        return qtKey;
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
        return keypad ? 96 + (qtKey - Qt::Key_0) : qtKey;
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24)
        return 112 + (qtKey - Qt::Key_F1);

    switch (qtKey) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return key::Enter;
    case Qt::Key_Plus:
    case Qt::Key_Equal:
        return keypad ? key::KeypadPlus : key::Plus;
    case Qt::Key_Minus:
    case Qt::Key_Underscore:
        return keypad ? key::KeypadMinus : key::Minus;
    case Qt::Key_Asterisk: return keypad ? 106 : 56;
    case Qt::Key_Slash: return keypad ? 111 : 191;
    case Qt::Key_Period: return keypad ? 110 : 190;
    case Qt::Key_Comma: return 188;
    case Qt::Key_Semicolon: case Qt::Key_Colon: return 186;
    case Qt::Key_Question: return 191;
    case Qt::Key_QuoteLeft: case Qt::Key_AsciiTilde: return 192;
    case Qt::Key_BracketLeft: case Qt::Key_BraceLeft: return 219;
    case Qt::Key_Backslash: case Qt::Key_Bar: return 220;
    case Qt::Key_BracketRight: case Qt::Key_BraceRight: return 221;
    case Qt::Key_Apostrophe: case Qt::Key_QuoteDbl: return 222;
    case Qt::Key_Backspace: return 8;
    case Qt::Key_Tab: case Qt::Key_Backtab: return 9;
    case Qt::Key_Shift: return key::Shift;
    case Qt::Key_Control: return key::Control;
    case Qt::Key_Alt: case Qt::Key_AltGr: return key::Alt;
    case Qt::Key_Pause: return 19;
    case Qt::Key_CapsLock: return 20;
    case Qt::Key_Escape: return key::Escape;
    case Qt::Key_Space: return 32;
    case Qt::Key_PageUp: return 33;
    case Qt::Key_PageDown: return 34;
    case Qt::Key_End: return 35;
    case Qt::Key_Home: return 36;
    case Qt::Key_Left: return 37;
    case Qt::Key_Up: return 38;
    case Qt::Key_Right: return 39;
    case Qt::Key_Down: return 40;
    case Qt::Key_Insert: return 45;
    case Qt::Key_Delete: return 46;
    case Qt::Key_Meta: case Qt::Key_Super_L: return 91;
    case Qt::Key_Super_R: return 92;
    case Qt::Key_Menu: return 93;
    case Qt::Key_NumLock: return 144;
    case Qt::Key_ScrollLock: return 145;
    default:
        // Shifted digits and other symbols of the main keyboard: still a key
        // press, which refreshes swatch, caption and menu.
        return 0;
    }
}

}  // namespace platform
