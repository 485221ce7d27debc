#pragma once

#include <QPointer>
#include <QWidget>

namespace kadu2217 {

// Mouse pointer codes of the old forms.
namespace MousePointer {
constexpr int Default = 0;
constexpr int Arrow = 1;
constexpr int Cross = 2;
constexpr int IBeam = 3;
constexpr int SizeAll = 5;
constexpr int SizeNESW = 6;
constexpr int SizeNS = 7;
constexpr int SizeNWSE = 8;
constexpr int SizeWE = 9;
constexpr int UpArrow = 10;
constexpr int Hourglass = 11;
constexpr int NoDrop = 12;
constexpr int ArrowHourglass = 13;
constexpr int ArrowQuestion = 14;
} // namespace MousePointer

// A window's or control's MousePointer: 0 gives the widget back its own cursor.
void setMousePointer(QWidget *widget, int pointer);
int mousePointer(const QWidget *widget);

// Screen.MousePointer: an application-wide override cursor. Setting it again
// replaces the override instead of stacking another one, so a single 0 always
// restores the normal cursor.
void setScreenMousePointer(int pointer);
int screenMousePointer();

// Shows the hourglass on a widget (or on the screen when none is given) for
// its lifetime and sets the default pointer back on the way out, also when an
// exception unwinds through it.
class BusyCursor
{
public:
    explicit BusyCursor(QWidget *widget = nullptr);
    ~BusyCursor();

    BusyCursor(const BusyCursor &) = delete;
    BusyCursor &operator=(const BusyCursor &) = delete;

private:
    QPointer<QWidget> m_widget;
    bool m_screen;
};

} // namespace kadu2217
