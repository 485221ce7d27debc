#include "controls/combobox.h"

#include "controls/vbkeys.h"

#include <QKeyEvent>
#include <QSignalBlocker>

#include <stdexcept>

namespace kadu2217 {

ComboBox::ComboBox(QWidget *parent) : QComboBox(parent)
{
    setEditable(false);
    setInsertPolicy(QComboBox::NoInsert);
    // activated() is raised only by the user's choices, never by code.
    connect(this, &QComboBox::activated, this, [this] { emit click(); });
}

void ComboBox::addItem(const QString &text, qint32 itemData)
{
    const int selected = currentIndex();
    // QComboBox selects the first entry added to an empty list; the old
    // control left the list unselected.
    const QSignalBlocker blocker(this);
    QComboBox::addItem(text, itemData);
    if (selected != currentIndex())
        setCurrentIndex(selected);
}

qint32 ComboBox::itemData(int index) const
{
    if (index < 0 || index >= count())
        throw std::out_of_range("ComboBox: list index out of range");
    return QComboBox::itemData(index).value<qint32>();
}

void ComboBox::clear()
{
    const QSignalBlocker blocker(this);
    QComboBox::clear();
}

int ComboBox::listCount() const { return count(); }

int ComboBox::listIndex() const { return currentIndex(); }

void ComboBox::setListIndex(int index)
{
    if (index < -1 || index >= count())
        throw std::out_of_range("ComboBox: list index out of range");
    setCurrentIndex(index);
    if (index >= 0)
        emit click();
}

bool ComboBox::selectByValue(qint32 value)
{
    for (int i = 0; i < count(); ++i) {
        if (itemData(i) == value) {
            setListIndex(i);
            return true;
        }
    }
    return false;
}

QString ComboBox::text() const { return currentIndex() >= 0 ? currentText() : QString(); }

void ComboBox::keyPressEvent(QKeyEvent *event)
{
    int keyAscii = vbKeyAscii(event);
    if (keyAscii != 0) {
        const int typed = keyAscii;
        emit keyPress(keyAscii);
        if (keyAscii == 0) {
            event->accept();
            return;
        }
        // Enter belongs to the window's own handling (next control), not to a
        // default button of the dialog.
        if (typed == 13 || typed == 10) {
            event->accept();
            return;
        }
    }
    QComboBox::keyPressEvent(event);
}

} // namespace kadu2217
