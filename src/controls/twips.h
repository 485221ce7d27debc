#pragma once

#include <QString>
#include <QWidget>
#include <utility>

namespace kadu2217 {

// Twips are 1/1440 of a logical inch. The logical DPI comes from the widget's
// screen (or the primary screen without a widget), so at 96 DPI a pixel is
// 15 twips.
constexpr int TwipsPerInch = 1440;

int twipsToPixelsX(int twips, const QWidget *widget = nullptr);
int twipsToPixelsY(int twips, const QWidget *widget = nullptr);
int pixelsToTwipsX(int pixels, const QWidget *widget = nullptr);
int pixelsToTwipsY(int pixels, const QWidget *widget = nullptr);

// Places a widget inside its parent as the old forms did: left, top, width and
// height in twips.
void setGeometryTwips(QWidget *widget, int left, int top, int width, int height);

struct TwipsRect {
    int left;
    int top;
    int width;
    int height;
};

// Creates a form's control the way every window does: named after the control, placed in
// twips inside `parent`; `args` go to the widget's constructor before the parent.
template <typename Widget, typename... Args>
Widget *placeControl(QWidget *parent, const QString &name, TwipsRect at, Args &&...args)
{
    auto *widget = new Widget(std::forward<Args>(args)..., parent);
    widget->setObjectName(name);
    setGeometryTwips(widget, at.left, at.top, at.width, at.height);
    return widget;
}

} // namespace kadu2217
