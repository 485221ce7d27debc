#include "entry/costingsave.h"

#include "db/recordset.h"
#include "db/transaction.h"
#include "db/values.h"
#include "entry/costingnumber.h"
#include "entry/itemcost.h"
#include "shell/session.h"

namespace kadu2217 {
namespace {

QVariant serverNow(const ConnectionPtr &connection)
{
    Recordset rs;
    rs.open(QStringLiteral("select CURRENT_TIMESTAMP"), connection);
    return rs.value(0);
}

// Two users saving at once must not both take "largest + 1": SQL Server holds an
// application lock for the transaction; the embedded file's write transaction is already
// exclusive from its start.
void serializeNumbering(const ConnectionPtr &connection)
{
    if (connection->dialect() != Dialect::SqlServer)
        return;
    // sp_getapplock reports a refusal through its return code, not as an error. Without row
    // counts the code's select is the batch's first result, which ODBC reads.
    Recordset rs;
    rs.open(QStringLiteral("set nocount on; declare @result int; exec @result = sp_getapplock "
                           "@Resource='kadu2217.costing', @LockMode='Exclusive', @LockOwner='Transaction', "
                           "@LockTimeout=60000; set nocount off; select @result"),
            connection, CursorType::ForwardOnly, LockType::ReadOnly);
    const qint32 result = value::toInt32(rs.value(0));
    rs.close();
    if (result >= 0)
        return;
    const QString why = result == -1 ? QStringLiteral("the wait for it timed out")
        : result == -2            ? QStringLiteral("the request was cancelled")
        : result == -3            ? QStringLiteral("the request was chosen as a deadlock victim")
                                  : QStringLiteral("sp_getapplock answered %1").arg(result);
    throw Error(result == -1 ? errnum::Timeout : errnum::Unspecified,
                QStringLiteral("The costing lock could not be taken: %1. Nothing was saved; try again.").arg(why),
                QStringLiteral("sp_getapplock"));
}

void writeNewHeader(const SessionContext &s, clsDatabase &lookups, const CostingToSave &costing, qint32 &costingId)
{
    const ConnectionPtr &connection = s.adocon;
    Recordset rs;
    rs.open(QStringLiteral("select * from loaLocalPurchaseCostingHeader"), connection, CursorType::Keyset, LockType::Optimistic);
    rs.addNew();
    rs.setValue(QStringLiteral("lpchcompanyid"), s.intcompanyid);
    lookups.strTableName = QStringLiteral("loaLocalPurchaseCostingHeader");
    rs.setValue(QStringLiteral("lpchcostingid"), lookups.fnreturnfield(QStringLiteral("isnull(max(lpchcostingid),0)+1")));
    costingId = value::toInt32(rs.value(QStringLiteral("lpchcostingid")));
    rs.setValue(QStringLiteral("lpchcostingno"), GenerateCostingNo(connection, costing.departmentId, s.intDepartmentId));
    rs.setValue(QStringLiteral("lpchdate"), value::sqlDate(costing.costingDate, QStringLiteral("yyyy/mm/dd")));
    rs.setValue(QStringLiteral("lpchshopid"), costing.shopId);
    rs.setValue(QStringLiteral("lpchbillid"), costing.billId);
    rs.setValue(QStringLiteral("lpchremarks"), costing.remarks);
    rs.setValue(QStringLiteral("lpchTime"), serverNow(connection));
    lookups.strTableName = QStringLiteral("aUsers");
    rs.setValue(QStringLiteral("lpchrecadduser"),
                lookups.fnreturnfield(QStringLiteral("username"), QStringLiteral("userid=") + QString::number(s.intUserID)));
    rs.setValue(QStringLiteral("lpchDepartmentid"), costing.departmentId);
    lookups.strTableName = QStringLiteral("aPackageSettings");
    const QString ofCompany = QStringLiteral("companyid=") + QString::number(s.intcompanyid);
    rs.setValue(QStringLiteral("lpchInventoryaccid"), lookups.fnreturnfield(QStringLiteral("inventoryid"), ofCompany));
    rs.setValue(QStringLiteral("lpchgoodsintransitaccid"), lookups.fnreturnfield(QStringLiteral("GoodsInTransitID"), ofCompany));
    rs.setValue(QStringLiteral("lpchCostingDone"), costing.costFix ? QVariant(true) : QVariant(0));
    if (costing.costFix)
        rs.setValue(QStringLiteral("lpchcostingdoneby"), rs.value(QStringLiteral("lpchrecadduser")));
    rs.setValue(QStringLiteral("lpchcancelled"), 0);
    rs.setValue(QStringLiteral("lpchposted"), 0);
    rs.update();
    rs.close();
}

void writeEditedHeader(const ConnectionPtr &connection, const QString &userName, const CostingToSave &costing, qint32 &costingId)
{
    Recordset rs;
    rs.open(QStringLiteral("select * from loaLocalPurchaseCostingHeader where lpchcostingid=") + costing.editedCostingId,
            connection, CursorType::Keyset, LockType::Optimistic);
    rs.setValue(QStringLiteral("lpchremarks"), costing.remarks);
    rs.setValue(QStringLiteral("lpchrecmodifiyuser"), userName);
    if (costing.costFix) {
        rs.setValue(QStringLiteral("lpchCostingDone"), true);
        rs.setValue(QStringLiteral("lpchcostingdoneby"), rs.value(QStringLiteral("lpchrecadduser")));
    }
    costingId = value::toInt32(costing.editedCostingId);
    rs.update();
    rs.close();

    connection->execute(QStringLiteral("Update loaLocalPurchaseCostingHeader set updatetime=getdate() where lpchcostingid=")
                        + QString::number(costingId));
    connection->execute(QStringLiteral("delete from loalocalpurchasecostingdetail where lpcdcostingid=") + costing.editedCostingId);
}

void writeDetails(const ConnectionPtr &connection, clsDatabase &lookups, const CostingToSave &costing, qint32 costingId)
{
    CostingLineCosts costs(lookups, costing);
    Recordset rs;
    rs.open(QStringLiteral("select * from loalocalpurchasecostingdetail"), connection, CursorType::Keyset, LockType::Optimistic);
    for (const CostingLine &line : costing.lines) {
        rs.addNew();
        connection->setCommandTimeout(600);
        rs.setValue(QStringLiteral("lpcdcostingid"), costingId);
        lookups.strTableName = QStringLiteral("loalocalpurchasecostingdetail");
        rs.setValue(QStringLiteral("lpcddetailid"), lookups.fnreturnfield(QStringLiteral("isnull(max(lpcddetailid),0)+1")));
        rs.setValue(QStringLiteral("lpcditemid"), line.itemId);
        rs.setValue(QStringLiteral("lpcditemqty"), line.quantity);
        rs.setValue(QStringLiteral("lpcdbillunitprice"), line.billUnitPrice);
        rs.setValue(QStringLiteral("lpcdcostedprice"), line.costedPrice);

        const qint32 itemId = value::toInt32(rs.value(QStringLiteral("lpcditemid")));
        const ItemCost cost = costs.next(itemId, value::toDouble(rs.value(QStringLiteral("lpcditemqty"))),
                                         value::toDouble(rs.value(QStringLiteral("lpcdcostedprice"))));
        rs.setValue(QStringLiteral("lpcdnewitemcostprice"), cost.newCost);
        rs.setValue(QStringLiteral("lpcdolditemcostprice"), cost.oldCost ? QVariant(*cost.oldCost) : QVariant());
        if (costing.costFix)
            fixItemCost(*connection, itemId, {cost.oldCost, value::toDouble(rs.value(QStringLiteral("lpcdnewitemcostprice")))});
        rs.update();
    }
    rs.close();
}

void markBillCosted(const ConnectionPtr &connection, const CostingToSave &costing)
{
    const QString today = value::sqlDate(value::toDateTime(serverNow(connection)).date(), QStringLiteral("yyyymmdd"));
    connection->execute(QStringLiteral("update loslocalpurchaseheader set lphcosted=1,lphBillTime='") + today
                        + QStringLiteral("' where ") + QStringLiteral(" lphBillid=") + QString::number(costing.billId)
                        + QStringLiteral(" and lphShopId=") + QString::number(costing.shopId));
}

} // namespace

CostingLineCosts::CostingLineCosts(clsDatabase &lookups, const CostingToSave &costing)
    : m_lookups(lookups), m_newMode(costing.newMode)
{
    // In edit mode the bill was costed before: all of its quantity of an item is taken off
    // the stock the item's lines are averaged against.
    if (!m_newMode) {
        for (const CostingLine &line : costing.lines)
            m_billQuantities[value::toInt32(line.itemId)] += value::toDouble(line.quantity);
    }
}

ItemCost CostingLineCosts::next(qint32 itemId, double quantity, double costedPrice)
{
    if (!m_running.knows(itemId))
        m_running.start(itemId, lookupItemStanding(m_lookups, itemId, m_billQuantities.value(itemId), m_newMode));
    return m_running.next(itemId, quantity, costedPrice);
}

CostingCheck checkCosting(const CostingToSave &costing, int shopIndex, int billIndex, int departmentIndex)
{
    for (const CostingLine &line : costing.lines) {
        if (line.costedPrice.isEmpty())
            return {QStringLiteral("Enter cost price for all items"), QStringLiteral("mfgSplitDetails")};
    }
    if (shopIndex < 0)
        return {QStringLiteral("Select the Shop"), QStringLiteral("cboShop")};
    if (billIndex < 0)
        return {QStringLiteral("Select the Local Purchase No"), QStringLiteral("cboPurchNo")};
    // Lines left from another bill, or half loaded, must never be stored as this bill's costing.
    if (costing.linesShopId != costing.shopId || costing.linesBillId != costing.billId)
        return {QStringLiteral("Select the bill again: its items could not be loaded"), QStringLiteral("cboPurchNo")};
    if (costing.lines.isEmpty())
        return {QStringLiteral("The bill has no items to cost"), QStringLiteral("mfgSplitDetails")};
    if (departmentIndex == -1)
        return {QStringLiteral("Select Department"), QStringLiteral("cboDepartmentName")};
    if (costing.remarks.trimmed().isEmpty())
        return {QStringLiteral("Enter remarks"), QStringLiteral("txtremarks")};
    return {};
}

SaveOutcome saveCosting(const ModuleContext &context, clsDatabase &lookups, clsAuditTrail &audit, QWidget *window,
                        const CostingToSave &costing, qint32 &costingId)
{
    const ConnectionPtr &connection = context.session.adocon;
    Transaction transaction(*connection);
    serializeNumbering(connection);
    if (costing.newMode)
        writeNewHeader(context.session, lookups, costing, costingId);
    else
        writeEditedHeader(connection, context.state.GStrUserName, costing, costingId);
    writeDetails(connection, lookups, costing, costingId);
    markBillCosted(connection, costing);

    SaveOutcome outcome;
    if (fnBillAlreadyCosted(connection, costing.billId, costingId, costing.shopId, outcome.duplicateCostingNo))
        return outcome; // the guard rolls the transaction back
    QString mode = modeLetter(context.state.entryMode);
    audit.SaveAuditTrailInfo(costingId, costing.purchaseNo, true, mode, window);
    transaction.commit();
    outcome.saved = true;
    return outcome;
}

} // namespace kadu2217
