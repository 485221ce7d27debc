#include "controls/focusnext.h"

#include <QWidget>

namespace kadu2217 {

bool focusNextControl(QWidget *from)
{
    QWidget *window = from->window();
    for (QWidget *candidate = from->nextInFocusChain(); candidate && candidate != from;
         candidate = candidate->nextInFocusChain()) {
        // Same test as Qt's own Tab handling; children that forward their
        // focus (a focus proxy) are reached through their owner instead.
        const bool takesTab = (candidate->focusPolicy() & Qt::TabFocus) == Qt::TabFocus;
        if (takesTab && !candidate->focusProxy() && candidate->isEnabled()
            && candidate->isVisibleTo(window) && window->isAncestorOf(candidate)) {
            candidate->setFocus(Qt::TabFocusReason);
            return true;
        }
    }
    return false;
}

} // namespace kadu2217
