#include "controls/busycursor.h"

#include <QGuiApplication>

namespace kadu2217 {

namespace {

Qt::CursorShape shapeForPointer(int pointer)
{
    switch (pointer) {
    case MousePointer::Cross: return Qt::CrossCursor;
    case MousePointer::IBeam: return Qt::IBeamCursor;
    case MousePointer::SizeAll: return Qt::SizeAllCursor;
    case MousePointer::SizeNESW: return Qt::SizeBDiagCursor;
    case MousePointer::SizeNS: return Qt::SizeVerCursor;
    case MousePointer::SizeNWSE: return Qt::SizeFDiagCursor;
    case MousePointer::SizeWE: return Qt::SizeHorCursor;
    case MousePointer::UpArrow: return Qt::UpArrowCursor;
    case MousePointer::Hourglass: return Qt::WaitCursor;
    case MousePointer::NoDrop: return Qt::ForbiddenCursor;
    case MousePointer::ArrowHourglass: return Qt::BusyCursor;
    case MousePointer::ArrowQuestion: return Qt::WhatsThisCursor;
    default: return Qt::ArrowCursor;
    }
}

int pointerForShape(Qt::CursorShape shape)
{
    switch (shape) {
    case Qt::CrossCursor: return MousePointer::Cross;
    case Qt::IBeamCursor: return MousePointer::IBeam;
    case Qt::SizeAllCursor: return MousePointer::SizeAll;
    case Qt::SizeBDiagCursor: return MousePointer::SizeNESW;
    case Qt::SizeVerCursor: return MousePointer::SizeNS;
    case Qt::SizeFDiagCursor: return MousePointer::SizeNWSE;
    case Qt::SizeHorCursor: return MousePointer::SizeWE;
    case Qt::UpArrowCursor: return MousePointer::UpArrow;
    case Qt::WaitCursor: return MousePointer::Hourglass;
    case Qt::ForbiddenCursor: return MousePointer::NoDrop;
    case Qt::BusyCursor: return MousePointer::ArrowHourglass;
    case Qt::WhatsThisCursor: return MousePointer::ArrowQuestion;
    default: return MousePointer::Arrow;
    }
}

bool g_screenOverride = false;
constexpr char PointerProperty[] = "kadu2217MousePointer";

} // namespace

void setMousePointer(QWidget *widget, int pointer)
{
    // A window keeps a set cursor after unsetCursor(), so the code itself is
    // remembered on the widget.
    widget->setProperty(PointerProperty, pointer);
    if (pointer == MousePointer::Default)
        widget->unsetCursor();
    else
        widget->setCursor(shapeForPointer(pointer));
}

int mousePointer(const QWidget *widget)
{
    return widget->property(PointerProperty).toInt();
}

void setScreenMousePointer(int pointer)
{
    if (pointer == MousePointer::Default) {
        if (g_screenOverride)
            QGuiApplication::restoreOverrideCursor();
        g_screenOverride = false;
        return;
    }
    if (g_screenOverride)
        QGuiApplication::changeOverrideCursor(shapeForPointer(pointer));
    else
        QGuiApplication::setOverrideCursor(shapeForPointer(pointer));
    g_screenOverride = true;
}

int screenMousePointer()
{
    if (!g_screenOverride || !QGuiApplication::overrideCursor())
        return MousePointer::Default;
    return pointerForShape(QGuiApplication::overrideCursor()->shape());
}

BusyCursor::BusyCursor(QWidget *widget)
    : m_widget(widget), m_screen(widget == nullptr)
{
    if (m_screen)
        setScreenMousePointer(MousePointer::Hourglass);
    else
        setMousePointer(widget, MousePointer::Hourglass);
}

BusyCursor::~BusyCursor()
{
    if (m_screen)
        setScreenMousePointer(MousePointer::Default);
    else if (m_widget)
        setMousePointer(m_widget, MousePointer::Default);
}

} // namespace kadu2217
