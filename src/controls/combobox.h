#pragma once

#include <QComboBox>

namespace kadu2217 {

// A drop-down list combo box as the old forms used it: each entry carries a
// 32-bit item data value, a filled list has no entry selected (listIndex -1)
// until something selects one, and click() is raised for every selection,
// by the user (mouse or keyboard) or by setListIndex / selectByValue, but
// never by filling or clearing the list.
class ComboBox : public QComboBox
{
    Q_OBJECT

public:
    explicit ComboBox(QWidget *parent = nullptr);

    void addItem(const QString &text, qint32 itemData = 0);
    qint32 itemData(int index) const;
    void clear();
    int listCount() const;

    // -1 for no selection; an index outside -1 .. listCount() - 1 throws
    // std::out_of_range, as the old control raised an error.
    int listIndex() const;
    void setListIndex(int index);
    // Selects the first entry whose item data is `value`; returns whether
    // there was one. Without a match the selection stays as it is.
    bool selectByValue(qint32 value);

    // The selected entry's text, empty without a selection.
    QString text() const;

signals:
    void click();
    // A handler may change keyAscii; 0 swallows the key.
    void keyPress(int &keyAscii);

protected:
    void keyPressEvent(QKeyEvent *event) override;
};

} // namespace kadu2217
