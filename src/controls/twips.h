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

// The forms were drawn in twips for an 8-point dialog font that averages 6 pixels a letter
// and stands 13 pixels high at 96 DPI; today's desktop fonts are wider and taller. A form's
// geometry (not its grid columns) is scaled by how much the widget's font exceeds that one,
// never below 1, so that every caption keeps its room in the arrangement the form was drawn in.
struct FormScale {
    qreal x = 1;
    qreal y = 1;
};
FormScale formScale(const QWidget *widget);
int formTwipsToPixelsX(int twips, const QWidget *widget);
int formTwipsToPixelsY(int twips, const QWidget *widget);

// Places a widget inside its parent as the old forms did: left, top, width and
// height in twips, scaled to the widget's font.
void setGeometryTwips(QWidget *widget, int left, int top, int width, int height);

// Sizes a form to its drawn client area in twips, scaled to its font. A fixed form keeps that
// size; a resizable one starts at it and may grow.
void setFormSizeTwips(QWidget *form, int width, int height, bool resizable = false);

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
