#pragma once

#include <QString>
#include <QVariant>

// How a bill's prices become inventory-currency cost prices.
namespace kadu2217::exchangerate {

// The factor that turns a price in the vendor's currency into the inventory currency, read
// from a bill's rate text: the currency ids and then their rates, each list ending in ":" and
// the two lists joined by "-" ("1:2:-1:0.0125:"). 1 when the text is blank or either currency
// has no rate or a rate of 0. A text that does not follow the form fails as the old
// conversions did: 9 for a missing list or rate, 13 for an id or rate that is not a number.
double comparedRate(const QString &rates, qint16 vendorCurrency, qint16 inventoryCurrency);

// A bill line's cost price in the inventory currency: the line's price (a number, or the
// number a text starts with) over its quantity, times the rate. A NULL price or quantity
// fails with 94; a quantity of 0 with 11 (or 6 when the price is 0 too).
double lineCostPrice(const QVariant &linePrice, const QVariant &quantity, double rate);

} // namespace kadu2217::exchangerate
