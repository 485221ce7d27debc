#pragma once

class QWidget;

namespace kadu2217 {

// What sending a Tab keystroke did on the old forms: moves the focus from
// `from` to the next control of its window in tab order that can take it
// (visible, enabled, accepting Tab focus). Returns whether the focus moved.
bool focusNextControl(QWidget *from);

} // namespace kadu2217
