#include "entry/costpreview.h"

#include "db/values.h"
#include "entry/exchangerate.h"

#include <QStringList>
#include <cmath>

namespace kadu2217 {
namespace {

// Cost figures as the item master keeps them, in the text the database reads back exactly.
QString figure(double v)
{
    return value::sqlNumber(v);
}

} // namespace

std::optional<double> CostPreviewLine::changePercent() const
{
    if (!priced || newItemCost())
        return std::nullopt;
    return (newCost - *currentCost) / std::fabs(*currentCost) * 100.0;
}

bool CostPreviewLine::beyond(double thresholdPercent) const
{
    const std::optional<double> change = changePercent();
    return change && std::fabs(*change) > thresholdPercent;
}

QString CostPreviewLine::note() const
{
    if (!priced)
        return QStringLiteral("no cost price: OK will ask for it");
    if (newItemCost())
        return QStringLiteral("new cost");
    if (costedPriceOnly())
        return QStringLiteral("no stock valued: the new cost is the costed price");
    return QString();
}

QVector<CostPreviewLine> previewCosting(clsDatabase &lookups, const CostingToSave &costing)
{
    CostingLineCosts costs(lookups, costing);
    QVector<CostPreviewLine> preview;
    preview.reserve(costing.lines.size());
    for (const CostingLine &line : costing.lines) {
        CostPreviewLine shown;
        shown.itemCode = line.itemCode;
        shown.description = line.description;
        // The save reads the texts as its number columns do; a line it would refuse stays blank.
        const std::optional<double> quantity = value::parseNumber(line.quantity);
        const std::optional<double> costedPrice = value::parseNumber(line.costedPrice);
        const std::optional<double> itemId = value::parseNumber(line.itemId);
        if (quantity && costedPrice && itemId) {
            const ItemCost cost = costs.next(value::toInt32(line.itemId), *quantity, *costedPrice);
            shown.priced = true;
            shown.valuedStock = cost.valuedStock;
            shown.currentCost = cost.oldCost;
            shown.quantity = *quantity;
            shown.costedPrice = *costedPrice;
            shown.newCost = cost.newCost;
        }
        preview.append(shown);
    }
    return preview;
}

CostingLine newCostingLine(const entryquery::ItemLine &line, double rate)
{
    const QString costPrice = value::formatUpTo3(exchangerate::lineCostPrice(line.unitPrice, line.quantity, rate));
    return {value::toText(line.itemId), value::formatFixed3(value::toDouble(line.quantity)), costPrice, costPrice,
            value::toText(line.itemCode), line.description};
}

CostingToSave newCostingOfBill(const ConnectionPtr &connection, clsDatabase &lookups, qint16 companyId, qint32 shopId,
                               qint32 billId)
{
    const entryquery::BillCurrencies currencies = entryquery::billCurrencies(lookups, companyId, shopId, billId);
    const double rate = exchangerate::comparedRate(currencies.exchangeRates, currencies.vendorCurrency, currencies.inventoryCurrency);
    CostingToSave costing;
    costing.shopId = shopId;
    costing.billId = billId;
    costing.linesShopId = shopId;
    costing.linesBillId = billId;
    entryquery::readBillLines(connection, lookups, shopId, billId,
                              [&costing, rate](const entryquery::ItemLine &line) { costing.lines.append(newCostingLine(line, rate)); });
    return costing;
}

QString costPreviewText(const QVector<CostPreviewLine> &lines)
{
    QStringList text{QStringLiteral("item code\tdescription\tstock valued\tcurrent cost\tquantity\tcosted price\tnew cost\tchange %\tnote")};
    for (const CostPreviewLine &line : lines) {
        const std::optional<double> change = line.changePercent();
        QStringList cells{line.itemCode, line.description};
        if (line.priced) {
            cells << figure(line.valuedStock) << (line.currentCost ? figure(*line.currentCost) : QString())
                  << figure(line.quantity) << figure(line.costedPrice) << figure(line.newCost)
                  << (change ? QString::number(*change, 'f', 2) : QString());
        } else {
            cells << QString() << QString() << QString() << QString() << QString() << QString();
        }
        cells << line.note();
        text << cells.join(QLatin1Char('\t'));
    }
    return text.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

} // namespace kadu2217
