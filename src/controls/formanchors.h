#pragma once

#include <QHash>
#include <QRect>
#include <QSize>
#include <QVector>

class QWidget;

namespace kadu2217 {

// Keeps a resizable form's controls where they were drawn relative to the edges they are
// anchored to: a control anchored left and right takes the new width, one anchored to the
// right only moves with the right edge; the same for top and bottom. Each control follows
// its own parent, so that a grid inside a growing frame grows with the frame.
class FormAnchors {
public:
    enum Edge { Left = 1, Top = 2, Right = 4, Bottom = 8 };

    // Takes the control's present geometry and its parent's size as the drawn ones; anchor a
    // parent before the controls inside it.
    void anchor(QWidget *control, int edges);
    // Places every anchored control for its parent's present size.
    void apply();

private:
    struct Anchored {
        QWidget *control;
        int edges;
        QRect drawn;
        QSize parentDrawn;
    };
    QVector<Anchored> m_controls;
};

} // namespace kadu2217
