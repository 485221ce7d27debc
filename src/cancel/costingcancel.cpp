#include "cancel/costingcancel.h"

#include "db/recordset.h"
#include "db/transaction.h"
#include "db/values.h"

#include <QHash>
#include <cmath>

namespace kadu2217 {
namespace {

std::optional<double> optionalNumber(const QVariant &v)
{
    return value::isNull(v) ? std::nullopt : std::optional<double>(value::toDouble(v));
}

struct CostingLines {
    bool fixed = false;
    QVector<CancelledLine> lines;
};

// In the order the lines were saved, so that each item's first and last line can be told.
CostingLines readCostingLines(const ConnectionPtr &connection, const QString &costingId)
{
    Recordset rs;
    rs.open(QStringLiteral("select lpcditemid,lpcdolditemcostprice,lpcdnewitemcostprice, lpchCostingDone  from ")
                + QStringLiteral(" loalocalpurchasecostingdetail, loalocalpurchasecostingheader where lpcdcostingid=") + costingId
                + QStringLiteral(" and lpchCostingid=lpcdcostingid  order by lpcddetailid"),
            connection, CursorType::Static, LockType::ReadOnly);
    CostingLines costing;
    for (; !rs.eof(); rs.moveNext()) {
        const QVariant done = rs.value(QStringLiteral("lpchCostingDone"));
        costing.fixed = !value::isNull(done) && value::toBool(done);
        costing.lines.append({value::toInt32(rs.value(QStringLiteral("lpcditemid"))),
                              optionalNumber(rs.value(QStringLiteral("lpcdolditemcostprice"))),
                              optionalNumber(rs.value(QStringLiteral("lpcdnewitemcostprice")))});
    }
    rs.close();
    return costing;
}

struct ItemNow {
    QString code;
    QString description;
    std::optional<double> cost;
};

QHash<qint32, ItemNow> itemsOfCosting(const ConnectionPtr &connection, const QString &costingId)
{
    Recordset rs;
    rs.open(QStringLiteral("select itemid, itemcode, itemdescription, itemrate from aitem where itemid in ")
                + QStringLiteral("(select lpcditemid from loalocalpurchasecostingdetail where lpcdcostingid=") + costingId
                + QStringLiteral(")"),
            connection, CursorType::ForwardOnly, LockType::ReadOnly);
    QHash<qint32, ItemNow> items;
    for (; !rs.eof(); rs.moveNext())
        items.insert(value::toInt32(rs.value(0)), {value::displayText(rs.value(1)), value::displayText(rs.value(2)), optionalNumber(rs.value(3))});
    rs.close();
    return items;
}

QVector<LaterCost> laterCostsOf(const ConnectionPtr &connection, const QString &costingId, const CostingLines &costing)
{
    QVector<LaterCost> later;
    if (!costing.fixed)
        return later;
    const QHash<qint32, ItemNow> items = itemsOfCosting(connection, costingId);
    for (const ItemRestore &restore : itemRestores(costing.lines)) {
        const ItemNow item = items.value(restore.itemId);
        if (costChangedSince(item.cost, restore.costLeft))
            later.append({restore.itemId, item.code, item.description, item.cost, restore.costBefore});
    }
    return later;
}

QString costText(const std::optional<double> &cost)
{
    return cost ? value::sqlNumber(*cost) : QStringLiteral("NULL");
}

} // namespace

QVector<ItemRestore> itemRestores(const QVector<CancelledLine> &lines)
{
    QVector<ItemRestore> restores;
    QHash<qint32, int> indexOf;
    for (const CancelledLine &line : lines) {
        const auto found = indexOf.constFind(line.itemId);
        if (found == indexOf.constEnd()) {
            indexOf.insert(line.itemId, int(restores.size()));
            restores.append({line.itemId, line.oldCost, line.newCost});
        } else {
            restores[*found].costLeft = line.newCost;
        }
    }
    return restores;
}

bool costChangedSince(const std::optional<double> &current, const std::optional<double> &costLeft)
{
    if (current.has_value() != costLeft.has_value())
        return true;
    return current && std::fabs(*current - *costLeft) > 0.005;
}

QVector<LaterCost> laterCosts(const ConnectionPtr &connection, const QString &costingId)
{
    return laterCostsOf(connection, costingId, readCostingLines(connection, costingId));
}

CancelOutcome cancelCosting(ModuleContext &context, CostingRegister &costingRegister, clsAuditTrail &audit,
                            const CostingToCancel &request)
{
    const ConnectionPtr &connection = context.session.adocon;
    const QString &id = request.costingId;
    Transaction transaction(*connection);
    // Only a costing nobody cancelled yet: a second cancellation would make pending a bill
    // that a newer costing may cover.
    if (connection->execute(QStringLiteral("update loalocalpurchasecostingheader set lpchcancelled=1 where lpchcostingid=") + id
                            + QStringLiteral(" and isnull(lpchcancelled, 0) = 0"))
        == 0)
        return CancelOutcome::AlreadyCancelled;
    connection->execute(QStringLiteral("update loslocalpurchaseheader set lphcosted =0 ")
                        + QStringLiteral(" where lphBillid=(select lpchbillid from loalocalpurchasecostingheader where ")
                        + QStringLiteral(" lpchcostingid=") + id
                        + QStringLiteral(") and lphshopid= (select lpchshopid from loalocalpurchasecostingheader where ")
                        + QStringLiteral(" lpchcostingid=") + id + QStringLiteral(")"));

    const CostingLines costing = readCostingLines(connection, id);
    // The user answered for the later costs as they stood; other users may have moved them since.
    if (!(laterCostsOf(connection, id, costing) == request.laterCostsShown))
        return CancelOutcome::LaterCostsChanged;
    if (costing.fixed) {
        for (const ItemRestore &restore : itemRestores(costing.lines)) {
            if (request.keepCurrent.contains(restore.itemId))
                continue;
            connection->execute(QStringLiteral("update aitem set itemrate=") + costText(restore.costBefore)
                                + QStringLiteral(" where itemid=") + QString::number(restore.itemId));
        }
    }

    context.state.entryMode = EntryMode::Edit;
    costingRegister.showCosting(value::toInt32(id), false);
    audit.Reason = request.reason;
    audit.SaveAuditTrailInfo(value::toDouble(id), request.costingNo, true, QStringLiteral("D"));
    transaction.commit();
    return CancelOutcome::Cancelled;
}

} // namespace kadu2217
