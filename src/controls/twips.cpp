#include "controls/twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace kadu2217 {

namespace {

qreal logicalDpi(const QWidget *widget, Qt::Orientation orientation)
{
    if (widget)
        return orientation == Qt::Horizontal ? widget->logicalDpiX() : widget->logicalDpiY();
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return 96.0;
    return orientation == Qt::Horizontal ? screen->logicalDotsPerInchX()
                                         : screen->logicalDotsPerInchY();
}

int toPixels(int twips, const QWidget *widget, Qt::Orientation orientation)
{
    return qRound(twips * logicalDpi(widget, orientation) / TwipsPerInch);
}

int toTwips(int pixels, const QWidget *widget, Qt::Orientation orientation)
{
    return qRound(pixels * TwipsPerInch / logicalDpi(widget, orientation));
}

} // namespace

int twipsToPixelsX(int twips, const QWidget *widget) { return toPixels(twips, widget, Qt::Horizontal); }
int twipsToPixelsY(int twips, const QWidget *widget) { return toPixels(twips, widget, Qt::Vertical); }
int pixelsToTwipsX(int pixels, const QWidget *widget) { return toTwips(pixels, widget, Qt::Horizontal); }
int pixelsToTwipsY(int pixels, const QWidget *widget) { return toTwips(pixels, widget, Qt::Vertical); }

void setGeometryTwips(QWidget *widget, int left, int top, int width, int height)
{
    widget->setGeometry(twipsToPixelsX(left, widget), twipsToPixelsY(top, widget),
                        twipsToPixelsX(width, widget), twipsToPixelsY(height, widget));
}

} // namespace kadu2217
