#include "entry/exchangerate.h"

#include "db/error.h"
#include "db/values.h"

#include <QStringList>

namespace kadu2217::exchangerate {
namespace {

// Each list ends in ":", so its last piece is the empty text after the final separator.
QStringList listElements(const QString &list)
{
    QStringList elements = list.split(QLatin1Char(':'));
    elements.removeLast();
    return elements;
}

} // namespace

double comparedRate(const QString &rates, qint16 vendorCurrency, qint16 inventoryCurrency)
{
    double vendorRate = 0;
    double inventoryRate = 0;
    if (!rates.trimmed().isEmpty()) {
        const QStringList lists = rates.split(QLatin1Char('-'));
        if (lists.size() < 2)
            raise(errnum::SubscriptOutOfRange, QStringLiteral("Subscript out of range"));
        const QStringList ids = listElements(lists.at(0));
        const QStringList values = listElements(lists.at(1));
        const auto rateAt = [&values](int i) {
            if (i >= values.size())
                raise(errnum::SubscriptOutOfRange, QStringLiteral("Subscript out of range"));
            return value::toDouble(values.at(i));
        };
        for (int i = 0; i < ids.size(); ++i) {
            const qint16 id = value::toInt16(ids.at(i));
            if (id == vendorCurrency)
                vendorRate = rateAt(i);
            if (id == inventoryCurrency)
                inventoryRate = rateAt(i);
        }
    }
    double result = vendorRate == 0 ? 1.0 : inventoryRate / vendorRate;
    if (inventoryRate == 0)
        result = 1.0;
    return result;
}

double lineCostPrice(const QVariant &linePrice, const QVariant &quantity, double rate)
{
    if (value::isNull(linePrice))
        raise(errnum::InvalidUseOfNull, QStringLiteral("Invalid use of Null"));
    const bool textual = linePrice.typeId() == QMetaType::QString;
    const double price = textual ? value::leadingNumber(linePrice.toString()) : value::toDouble(linePrice);
    const double divisor = value::toDouble(quantity);
    // A double division by zero gives inf or NaN silently; the old arithmetic stopped instead.
    if (divisor == 0) {
        if (price == 0)
            raise(errnum::Overflow, QStringLiteral("Overflow"));
        raise(errnum::DivisionByZero, QStringLiteral("Division by zero"));
    }
    return price / divisor * rate;
}

} // namespace kadu2217::exchangerate
