#pragma once

class QKeyEvent;

namespace kadu2217 {

// Key codes the old KeyDown/KeyUp events passed (the Windows virtual keys).
namespace VbKey {
constexpr int Back = 8;
constexpr int Tab = 9;
constexpr int Return = 13;
constexpr int Shift = 16;
constexpr int Control = 17;
constexpr int Menu = 18;
constexpr int Escape = 27;
constexpr int Space = 32;
constexpr int PageUp = 33;
constexpr int PageDown = 34;
constexpr int End = 35;
constexpr int Home = 36;
constexpr int Left = 37;
constexpr int Up = 38;
constexpr int Right = 39;
constexpr int Down = 40;
constexpr int Insert = 45;
constexpr int Delete = 46;
constexpr int F1 = 112;
} // namespace VbKey

// KeyDown/KeyUp code of a Qt key (letters and digits keep their character
// codes); 0 for keys the old events never reported.
int vbKeyCode(int qtKey);

// The KeyAscii a key press produced in the old KeyPress event: Enter 13,
// Ctrl+Enter 10, Ctrl+letter 1 to 26, Esc 27, Backspace 8, otherwise the
// typed character; 0 when the key types nothing.
int vbKeyAscii(const QKeyEvent *event);

} // namespace kadu2217
