#include "controls/vbkeys.h"

#include <QKeyEvent>

namespace kadu2217 {

int vbKeyCode(int qtKey)
{
    if ((qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) || (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9))
        return qtKey;
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24)
        return VbKey::F1 + (qtKey - Qt::Key_F1);
    switch (qtKey) {
    case Qt::Key_Backspace: return VbKey::Back;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return VbKey::Tab;
    case Qt::Key_Return:
    case Qt::Key_Enter: return VbKey::Return;
    case Qt::Key_Shift: return VbKey::Shift;
    case Qt::Key_Control: return VbKey::Control;
    case Qt::Key_Alt: return VbKey::Menu;
    case Qt::Key_Escape: return VbKey::Escape;
    case Qt::Key_Space: return VbKey::Space;
    case Qt::Key_PageUp: return VbKey::PageUp;
    case Qt::Key_PageDown: return VbKey::PageDown;
    case Qt::Key_End: return VbKey::End;
    case Qt::Key_Home: return VbKey::Home;
    case Qt::Key_Left: return VbKey::Left;
    case Qt::Key_Up: return VbKey::Up;
    case Qt::Key_Right: return VbKey::Right;
    case Qt::Key_Down: return VbKey::Down;
    case Qt::Key_Insert: return VbKey::Insert;
    case Qt::Key_Delete: return VbKey::Delete;
    default: return 0;
    }
}

int vbKeyAscii(const QKeyEvent *event)
{
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    const bool control = modifiers.testFlag(Qt::ControlModifier);
    if (modifiers.testFlag(Qt::AltModifier))
        return 0;

    const int key = event->key();
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter: return control ? 10 : 13;
    case Qt::Key_Escape: return 27;
    case Qt::Key_Backspace: return control ? 127 : 8;
    default: break;
    }
    if (control) {
        if (key >= Qt::Key_A && key <= Qt::Key_Z)
            return key - Qt::Key_A + 1;
        switch (key) {
        case Qt::Key_BracketLeft: return 27;
        case Qt::Key_Backslash: return 28;
        case Qt::Key_BracketRight: return 29;
        default: return 0;
        }
    }
    const QString text = event->text();
    if (text.isEmpty())
        return 0;
    const char16_t typed = text.at(0).unicode();
    return typed >= 0x20 && typed != 0x7F ? int(typed) : 0;
}

} // namespace kadu2217
