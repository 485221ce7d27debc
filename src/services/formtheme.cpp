#include "services/defaults.h"

#include <QAbstractItemView>
#include <QFont>
#include <QWidget>

namespace kadu2217 {

// One restrained palette for every window: a light neutral background, white input fields,
// a calm blue selection. Colours a window set on a control itself (an input field's light
// yellow, a legend's swatch) are kept, because a widget's own palette wins over its parent's.
void DefaultFormTheme::ApplyFormTheme(QWidget &window)
{
    QPalette palette = window.palette();
    palette.setColor(QPalette::Window, QColor(0xEE, 0xF1, 0xF5));
    palette.setColor(QPalette::WindowText, QColor(0x1F, 0x29, 0x33));
    palette.setColor(QPalette::Base, Qt::white);
    palette.setColor(QPalette::AlternateBase, QColor(0xF6, 0xF8, 0xFA));
    palette.setColor(QPalette::Text, QColor(0x1F, 0x29, 0x33));
    palette.setColor(QPalette::Button, QColor(0xE3, 0xE8, 0xEE));
    palette.setColor(QPalette::ButtonText, QColor(0x1F, 0x29, 0x33));
    palette.setColor(QPalette::Highlight, QColor(0x2F, 0x6F, 0xB0));
    palette.setColor(QPalette::HighlightedText, Qt::white);
    palette.setColor(QPalette::ToolTipBase, QColor(0xFF, 0xFF, 0xE8));
    palette.setColor(QPalette::ToolTipText, Qt::black);
    palette.setColor(QPalette::Disabled, QPalette::Text, QColor(0x8A, 0x94, 0x9E));
    palette.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(0x8A, 0x94, 0x9E));
    palette.setColor(QPalette::Disabled, QPalette::WindowText, QColor(0x8A, 0x94, 0x9E));
    window.setPalette(palette);
    // The windows are laid out in twips for the suite's 8-point dialog font, whose metrics
    // Arial and its look-alikes share.
    QFont font = window.font();
    font.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("Arial"), QStringLiteral("Nimbus Sans"),
                      font.family()});
    font.setPointSizeF(8.25);
    window.setFont(font);
    window.setAutoFillBackground(true);
    for (auto *view : window.findChildren<QAbstractItemView *>())
        view->setAlternatingRowColors(false);
}

} // namespace kadu2217
