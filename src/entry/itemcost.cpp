#include "entry/itemcost.h"

#include "db/error.h"
#include "db/values.h"

namespace kadu2217 {
namespace {

// An item without stock rows sums to NULL: that is no stock, not a failed save.
double stockSum(const QVariant &sum)
{
    return value::isNull(sum) ? 0.0 : value::toDouble(sum);
}

} // namespace

double stockAtOldCost(double godownStock, double shopStock, double uncostedQuantity, double billQuantityOfItem, bool newMode)
{
    const double stock = godownStock + shopStock - uncostedQuantity;
    return newMode ? stock : stock - billQuantityOfItem;
}

double weightedAverageCost(double oldStock, std::optional<double> oldCost, double billQuantity, double costedPrice)
{
    if (oldStock <= 0 || !oldCost)
        return costedPrice;
    const double units = oldStock + billQuantity;
    if (units == 0)
        raise(errnum::DivisionByZero, QStringLiteral("Division by zero"));
    return (oldStock * *oldCost + billQuantity * costedPrice) / units;
}

ItemStanding lookupItemStanding(clsDatabase &lookups, qint32 itemId, double billQuantityOfItem, bool newMode)
{
    const QString item = QString::number(itemId);
    lookups.strTableName = QStringLiteral("vwinquirygodownstock where gsitemid=") + item;
    const double godownStock = stockSum(lookups.fnreturnfield(QStringLiteral("sum(gsstock)")));
    lookups.strTableName = QStringLiteral("vwinquiryshopstock where itemid=") + item;
    const double shopStock = stockSum(lookups.fnreturnfield(QStringLiteral("sum(stock)")));
    lookups.strTableName = QStringLiteral("aitem where itemid=") + item;
    const QVariant rate = lookups.fnreturnfield(QStringLiteral("itemrate"));
    lookups.strTableName = QStringLiteral("loslocalpurchaseheader h, loslocalpurchasedetail d");
    const double uncosted = value::toDouble(lookups.fnreturnfield(
        QStringLiteral("isnull(sum(lpdItemQuantity),0)"),
        QStringLiteral(" h.lphbillid=d.lpdbillid and h.lphShopId=d.lpdShopId and h.lphcosted=0 ") + QStringLiteral(" and d.lpditemid=")
            + item + QStringLiteral(" and lphcancelled=0")));

    ItemStanding standing;
    standing.valuedStock = stockAtOldCost(godownStock, shopStock, uncosted, billQuantityOfItem, newMode);
    if (!value::isNull(rate))
        standing.cost = value::toDouble(rate);
    return standing;
}

ItemCost RunningItemCost::next(qint32 itemId, double quantity, double costedPrice)
{
    const auto found = m_items.find(itemId);
    if (found == m_items.end())
        raise(errnum::InvalidProcedureCall, QStringLiteral("Item %1 was not looked up before its line was costed").arg(itemId));
    ItemStanding &standing = *found;
    const ItemCost cost{standing.cost, weightedAverageCost(standing.valuedStock, standing.cost, quantity, costedPrice),
                        standing.valuedStock};
    standing.valuedStock += quantity;
    standing.cost = cost.newCost;
    return cost;
}

void fixItemCost(Connection &connection, qint32 itemId, const ItemCost &cost)
{
    const QString item = QString::number(itemId);
    connection.execute(QStringLiteral("update aitem set itemrate=") + value::sqlNumber(cost.newCost) + QStringLiteral(" where itemid=") + item);
    if (cost.newCost != cost.oldCost)
        connection.execute(QStringLiteral("Update losshopitemshipmentdetail set ") + QStringLiteral(" pricechanged=1 where ")
                           + QStringLiteral(" itemid=") + item);
}

} // namespace kadu2217
