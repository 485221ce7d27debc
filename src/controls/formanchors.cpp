#include "controls/formanchors.h"

#include <QWidget>

namespace kadu2217 {

void FormAnchors::anchor(QWidget *control, int edges)
{
    m_controls.append({control, edges, control->geometry(), control->parentWidget()->size()});
}

void FormAnchors::apply()
{
    for (const Anchored &a : qAsConst(m_controls)) {
        const QSize now = a.control->parentWidget()->size();
        // A parent smaller than drawn (while the window is laid out) does not shrink its controls.
        const int dx = qMax(0, now.width() - a.parentDrawn.width());
        const int dy = qMax(0, now.height() - a.parentDrawn.height());
        QRect placed = a.drawn;
        if (a.edges & Right) {
            if (a.edges & Left)
                placed.setWidth(a.drawn.width() + dx);
            else
                placed.moveLeft(a.drawn.left() + dx);
        }
        if (a.edges & Bottom) {
            if (a.edges & Top)
                placed.setHeight(a.drawn.height() + dy);
            else
                placed.moveTop(a.drawn.top() + dy);
        }
        a.control->setGeometry(placed);
    }
}

} // namespace kadu2217
