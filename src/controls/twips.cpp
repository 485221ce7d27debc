#include "controls/twips.h"

#include <QFontMetricsF>
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

FormScale formScale(const QWidget *widget)
{
    constexpr qreal designLetterWidth = 6.0;
    constexpr qreal designHeight = 13.0;
    const QString letters = QStringLiteral("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ");
    const QFontMetricsF metrics = widget ? QFontMetricsF(widget->font(), widget) : QFontMetricsF(QGuiApplication::font());
    const qreal dpiX = logicalDpi(widget, Qt::Horizontal) / 96.0;
    const qreal dpiY = logicalDpi(widget, Qt::Vertical) / 96.0;
    const qreal letterWidth = metrics.horizontalAdvance(letters) / letters.size();
    return {qMax<qreal>(1.0, letterWidth / (designLetterWidth * dpiX)), qMax<qreal>(1.0, metrics.height() / (designHeight * dpiY))};
}

int formTwipsToPixelsX(int twips, const QWidget *widget)
{
    return qRound(twips * logicalDpi(widget, Qt::Horizontal) / TwipsPerInch * formScale(widget).x);
}

int formTwipsToPixelsY(int twips, const QWidget *widget)
{
    return qRound(twips * logicalDpi(widget, Qt::Vertical) / TwipsPerInch * formScale(widget).y);
}

void setGeometryTwips(QWidget *widget, int left, int top, int width, int height)
{
    widget->setGeometry(formTwipsToPixelsX(left, widget), formTwipsToPixelsY(top, widget), formTwipsToPixelsX(width, widget),
                        formTwipsToPixelsY(height, widget));
}

void setFormSizeTwips(QWidget *form, int width, int height, bool resizable)
{
    const QSize size(formTwipsToPixelsX(width, form), formTwipsToPixelsY(height, form));
    if (!resizable) {
        form->setFixedSize(size);
        return;
    }
    form->setMinimumSize(size);
    form->resize(size);
}

} // namespace kadu2217
