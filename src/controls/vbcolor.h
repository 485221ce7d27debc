#pragma once

#include <QColor>
#include <QPalette>
#include <QtGlobal>

namespace kadu2217 {

// Colour numbers as the old forms store them: 0x00BBGGRR, or a system colour
// when the top bit is set (the low byte is the Windows system colour index).
using VbColor = quint32;

namespace VbSystemColor {
constexpr VbColor ScrollBars = 0x80000000;
constexpr VbColor Desktop = 0x80000001;
constexpr VbColor ActiveTitleBar = 0x80000002;
constexpr VbColor InactiveTitleBar = 0x80000003;
constexpr VbColor MenuBar = 0x80000004;
constexpr VbColor WindowBackground = 0x80000005;
constexpr VbColor WindowFrame = 0x80000006;
constexpr VbColor MenuText = 0x80000007;
constexpr VbColor WindowText = 0x80000008;
constexpr VbColor TitleBarText = 0x80000009;
constexpr VbColor ActiveBorder = 0x8000000A;
constexpr VbColor InactiveBorder = 0x8000000B;
constexpr VbColor ApplicationWorkspace = 0x8000000C;
constexpr VbColor Highlight = 0x8000000D;
constexpr VbColor HighlightText = 0x8000000E;
constexpr VbColor ButtonFace = 0x8000000F;
constexpr VbColor ButtonShadow = 0x80000010;
constexpr VbColor GrayText = 0x80000011;
constexpr VbColor ButtonText = 0x80000012;
constexpr VbColor InactiveCaptionText = 0x80000013;
constexpr VbColor ButtonHighlight = 0x80000014;
constexpr VbColor DarkShadow3D = 0x80000015;
constexpr VbColor Light3D = 0x80000016;
constexpr VbColor InfoText = 0x80000017;
constexpr VbColor InfoBackground = 0x80000018;
} // namespace VbSystemColor

constexpr bool isVbSystemColor(VbColor color) { return (color & 0x80000000u) != 0; }

// Resolves system colours from the palette; an unknown system colour index
// gives the palette's window text so that nothing is drawn invisible.
QColor vbColorToQColor(VbColor color, const QPalette &palette = QPalette());
VbColor qColorToVbColor(const QColor &color);

} // namespace kadu2217
