#include "controls/vbcolor.h"

namespace kadu2217 {

namespace {

QPalette::ColorRole roleForSystemIndex(quint32 index)
{
    switch (index) {
    case 0: return QPalette::Button;          // scroll bars
    case 1: return QPalette::Dark;            // desktop
    case 2: return QPalette::Highlight;       // active title bar
    case 3: return QPalette::Mid;             // inactive title bar
    case 4: return QPalette::Window;          // menu bar
    case 5: return QPalette::Base;            // window background
    case 6: return QPalette::Shadow;          // window frame
    case 7: return QPalette::WindowText;      // menu text
    case 8: return QPalette::Text;            // window text
    case 9: return QPalette::HighlightedText; // title bar text
    case 10: return QPalette::Window;         // active border
    case 11: return QPalette::Window;         // inactive border
    case 12: return QPalette::Dark;           // application workspace
    case 13: return QPalette::Highlight;
    case 14: return QPalette::HighlightedText;
    case 15: return QPalette::Button;         // button face
    case 16: return QPalette::Mid;            // button shadow
    case 17: return QPalette::PlaceholderText; // grey text
    case 18: return QPalette::ButtonText;
    case 19: return QPalette::WindowText;     // inactive caption text
    case 20: return QPalette::Light;          // button highlight
    case 21: return QPalette::Shadow;         // 3-D dark shadow
    case 22: return QPalette::Midlight;       // 3-D light
    case 23: return QPalette::ToolTipText;
    case 24: return QPalette::ToolTipBase;
    default: return QPalette::Text;
    }
}

} // namespace

QColor vbColorToQColor(VbColor color, const QPalette &palette)
{
    if (isVbSystemColor(color))
        return palette.color(QPalette::Active, roleForSystemIndex(color & 0xFFu));
    return QColor(int(color & 0xFF), int((color >> 8) & 0xFF), int((color >> 16) & 0xFF));
}

VbColor qColorToVbColor(const QColor &color)
{
    const QColor rgb = color.toRgb();
    return VbColor(rgb.red()) | (VbColor(rgb.green()) << 8) | (VbColor(rgb.blue()) << 16);
}

} // namespace kadu2217
