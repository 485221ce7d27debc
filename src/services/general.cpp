#include "services/defaults.h"

#include "controls/combobox.h"

#include <QLineEdit>
#include <QLocale>

namespace kadu2217 {

void DefaultGeneral::SelectComboItemByValue(ComboBox &control, qint32 value)
{
    control.selectByValue(value);
}

// Digits, one decimal separator, a leading minus and the editing keys pass; a key that
// would exceed the whole digits or decimals allowed is dropped.
void DefaultGeneral::textvalidatenum(QLineEdit &textBox, int &keyAscii, int maxDigits, int maxDecimals)
{
    constexpr int backspace = 8;
    if (keyAscii < 32 || keyAscii == backspace)
        return;
    const QChar key(keyAscii);
    const QChar point = QLocale().decimalPoint().at(0);
    const QString text = textBox.text();
    const int selStart = textBox.hasSelectedText() ? textBox.selectionStart() : textBox.cursorPosition();
    const int selLength = textBox.hasSelectedText() ? int(textBox.selectedText().size()) : 0;
    const QString after = text.left(selStart) + key + text.mid(selStart + selLength);

    const bool allowedChar = key.isDigit() || key == point || (key == QLatin1Char('-') && selStart == 0);
    const int pointAt = after.indexOf(point);
    const bool onePoint = after.count(point) <= 1;
    const QString whole = QString(pointAt < 0 ? after : after.left(pointAt)).remove(QLatin1Char('-'));
    const QString decimals = pointAt < 0 ? QString() : after.mid(pointAt + 1);
    const bool minusFirst = after.lastIndexOf(QLatin1Char('-')) <= 0;
    if (!allowedChar || !onePoint || !minusFirst || whole.size() > maxDigits || decimals.size() > maxDecimals)
        keyAscii = 0;
}

} // namespace kadu2217
