#include "statementtexts.h"

#include "controls/combobox.h"
#include "controls/flexgrid.h"
#include "controls/listview.h"
#include "db/demodata.h"
#include "db/error.h"
#include "db/tables.h"
#include "db/transaction.h"
#include "entry/columnsettings.h"
#include "entry/costingnumber.h"
#include "entry/costingsave.h"
#include "entry/entryquery.h"
#include "entry/itemcost.h"
#include "fixtures.h"
#include "pending/pendingquery.h"
#include "register/registerquery.h"
#include "services/defaults.h"
#include "testsupport.h"

namespace kadu2217::testsupport {
namespace {

// The register's table as its window names it.
const QString kMasterTable = QStringLiteral("loalocalpurchasecostingheader");

// A save sends many statements; each name picks its own by a piece of it.
QString first(const QStringList &sent, const QString &fragment)
{
    for (const QString &sql : sent) {
        if (sql.contains(fragment))
            return sql;
    }
    raise(errnum::Unspecified, QStringLiteral("no statement with \"%1\" among:\n%2").arg(fragment, sent.join('\n')));
}

// So that code which starts to send more or fewer statements shows here, not in a wrong text.
QStringList exactly(const QStringList &sent, int count, bool orMore = false)
{
    if (sent.size() < count || (sent.size() > count && !orMore))
        raise(errnum::Unspecified, QStringLiteral("%1 statements, not %2:\n%3").arg(sent.size()).arg(count).arg(sent.join('\n')));
    return sent.mid(0, count);
}

// Runs `action` in a transaction that is rolled back afterwards.
void undone(const ConnectionPtr &db, const std::function<void()> &action)
{
    Transaction transaction(*db);
    action();
}

std::unique_ptr<DefaultDatabase> lookupsOn(const ConnectionPtr &db)
{
    auto lookups = std::make_unique<DefaultDatabase>();
    lookups->adocon = db;
    return lookups;
}

struct Stop {};

// Takes the audit record's place, the save's last write, and stops the save there: its own
// guard then rolls it back.
class StoppingAudit final : public clsAuditTrail {
public:
    void OpenObject(ConnectionPtr &, qint16, qint16, qint16, qint16, const QDateTime &) override {}
    void SaveInToTag(QWidget &) override {}
    bool DataChanged(QWidget &) override { return false; }
    bool SaveAuditTrailInfo(double, const QString &, bool, const QString &, QWidget *) override { throw Stop(); }
};

// Every statement of a fixed costing's save: a new costing of the waiting bill, or the saved
// costing again.
QStringList saving(const ConnectionPtr &db, const StatementIds &ids, bool newCosting)
{
    ModuleContext context;
    context.session.adocon = db;
    context.session.intcompanyid = ids.company;
    context.session.intUserID = ids.user;
    context.session.intDepartmentId = ids.department;
    context.state.GStrUserName = QStringLiteral("EDITOR");
    context.state.entryMode = newCosting ? EntryMode::New : EntryMode::Edit;
    CostingToSave costing = newCosting ? costingOfBill(db, ids.billShop, ids.bill, true)
                                       : costingOfBill(db, ids.costingShop, ids.costingBill, true);
    if (!newCosting) {
        costing.newMode = false;
        costing.editedCostingId = QString::number(ids.costing);
    }
    StoppingAudit audit;
    return statementsSent(db, [&] {
        qint32 id = 0;
        try {
            saveCosting(context, *lookupsOn(db), audit, nullptr, costing, id);
        } catch (const Stop &) {
        }
    });
}

QString listFilling(const ConnectionPtr &db, const QString &table, const QString &valueField, const QString &textField)
{
    auto lookups = lookupsOn(db);
    lookups->strTableName = table;
    ComboBox combo;
    return exactly(statementsSent(db, [&] { lookups->populatecomboorlist(combo, valueField, textField); }), 1).first();
}

QString pendingList(const ConnectionPtr &db, qint16 department, qint16 company)
{
    QString table = pendingTables();
    QString condition = pendingCondition(department, company);
    ListView list;
    return exactly(statementsSent(db, [&] { lookupsOn(db)->PopulateListview(list, table, condition, pendingFields()); }), 1).first();
}

using Texts = std::function<QStringList(const ConnectionPtr &db, const StatementIds &ids)>;

// Statements that one piece of code sends, in the order of their names.
struct Group {
    QStringList names;
    Texts texts;
};

const QVector<Group> &groups()
{
    static const QVector<Group> all = {
        {{"register: alias flag", "register: alias word"},
         [](const ConnectionPtr &db, const StatementIds &ids) {
             QStringList sent;
             undone(db, [&] {
                 db->execute(QStringLiteral("update aPackageSettings set Alias=1 where companyid=?"), {ids.company});
                 sent = statementsSent(db, [&] { readAliases(*lookupsOn(db), ids.company); });
             });
             return exactly(sent, 3).mid(0, 2);
         }},
        {{"register: days back"},
         [](const ConnectionPtr &db, const StatementIds &ids) {
             return exactly(statementsSent(db, [&] { registerDays(*lookupsOn(db), ids.company); }), 1);
         }},
        {{"register: department 1", "register: all departments", "register: one row refreshed", "register: captions",
          "register: captions with aliases"},
         [](const ConnectionPtr &, const StatementIds &ids) {
             const QString master = registerQuery(ids.department, kMasterTable, ids.registerFrom);
             return QStringList{master, registerQuery(0, kMasterTable, ids.registerFrom),
                                registerRowsQuery(master, QStringLiteral("lpchcostingid=") + QString::number(ids.costing)),
                                captionQuery(kMasterTable, false, {}, {}),
                                captionQuery(kMasterTable, true, QStringLiteral("Store"), QStringLiteral("Depot"))};
         }},
        {{"register: rights"},
         [](const ConnectionPtr &db, const StatementIds &ids) {
             return exactly(statementsSent(db, [&] { readUserRights(db, ids.user, tables::costingInterfaceId); }), 1);
         }},
        {{"entry: costing with its details and bill"},
         [](const ConnectionPtr &db, const StatementIds &ids) {
             return exactly(statementsSent(db, [&] { entryquery::readSavedCosting(db, QString::number(ids.costing)); }), 1);
         }},
        {{"entry: every department", "entry: the user's departments", "entry: shops, edit", "entry: shops, new",
          "entry: bills, new", "entry: bills, edit"},
         [](const ConnectionPtr &db, const StatementIds &ids) {
             using namespace entryquery;
             const QString bill = QStringLiteral("lphBillid"), billNo = QStringLiteral("lphBillNo");
             const QString shop = QStringLiteral("distinct ShopId"), shopName = QStringLiteral("shopname");
             return QStringList{
                 listFilling(db, allDepartments(), QStringLiteral("DepartmentID"), QStringLiteral(" DepartmentName")),
                 listFilling(db, departmentsOfUser(ids.user, ids.company), QStringLiteral("d.DepartmentId"),
                             QStringLiteral("d.DepartmentName")),
                 listFilling(db, shopsWithBills(false, ids.department), shop, shopName),
                 listFilling(db, shopsWithBills(true, ids.department), shop, shopName),
                 listFilling(db, billsOfShop(true, ids.department, ids.billShop, ids.department, {}), bill, billNo),
                 listFilling(db, billsOfShop(false, ids.department, ids.costingShop, ids.department, QString::number(ids.costing)),
                             bill, billNo)};
         }},
        {{"entry: company's department"},
         [](const ConnectionPtr &db, const StatementIds &ids) {
             return exactly(statementsSent(db, [&] { entryquery::companyDepartment(*lookupsOn(db), ids.company); }), 1);
         }},
        {{"grid: inventory currency", "grid: vendor currency", "grid: exchange rates"},
         [](const ConnectionPtr &db, const StatementIds &ids) {
             return exactly(statementsSent(db, [&] { entryquery::billCurrencies(*lookupsOn(db), ids.company, ids.billShop, ids.bill); }), 3);
         }},
        {{"grid: rowguid column", "grid: bill lines by rowguid", "grid: item description"},
         [](const ConnectionPtr &db, const StatementIds &ids) {
             return exactly(statementsSent(db, [&] {
                        entryquery::readBillLines(db, *lookupsOn(db), ids.billShop, ids.bill, [](const entryquery::ItemLine &) {});
                    }), 3, true);
         }},
        {{"grid: saved costing lines"},
         [](const ConnectionPtr &db, const StatementIds &ids) {
             return exactly(statementsSent(db, [&] {
                        entryquery::readCostingLines(db, *lookupsOn(db), QString::number(ids.costing), [](const entryquery::ItemLine &) {});
                    }), 1, true);
         }},
        // A stored layout of one column, so that its columns are read too.
        {{"grid: layout size", "grid: layout"},
         [](const ConnectionPtr &db, const StatementIds &) {
             QStringList sent;
             undone(db, [&] {
                 addGridLayout(db, 99000, QStringLiteral("localpurchasecosting"), QStringLiteral("mfgSplitDetails"),
                               QStringLiteral("frmlocalpurchasecosting"));
                 addLayoutColumn(db, 99000, 0, QStringLiteral("No"), 600, 1);
                 FlexGrid grid;
                 grid.setObjectName(QStringLiteral("mfgSplitDetails"));
                 QString transaction = QStringLiteral("localpurchasecosting");
                 sent = statementsSent(db, [&] { fnApplyColumnSettings(db, transaction, grid, QStringLiteral("frmlocalpurchasecosting"), 1); });
             });
             return exactly(sent, 2);
         }},
        {{"cost: godown stock", "cost: shop stock", "cost: item rate", "cost: quantity on uncosted bills"},
         [](const ConnectionPtr &db, const StatementIds &ids) {
             return exactly(statementsSent(db, [&] { lookupItemStanding(*lookupsOn(db), ids.item, 0, true); }), 4);
         }},
        {{"save: prefix", "save: largest number, department 1"},
         [](const ConnectionPtr &db, const StatementIds &ids) {
             return exactly(statementsSent(db, [&] { GenerateCostingNo(db, ids.department, ids.department); }), 2);
         }},
        {{"save: largest number, every department"},
         [](const ConnectionPtr &db, const StatementIds &ids) {
             return exactly(statementsSent(db, [&] { GenerateCostingNo(db, ids.department, 0); }), 2).mid(1);
         }},
        {{"save: bill costed already"},
         [](const ConnectionPtr &db, const StatementIds &ids) {
             QString number;
             return exactly(statementsSent(db, [&] { fnBillAlreadyCosted(db, ids.costingBill, 0, ids.costingShop, number); }), 1);
         }},
        {{"save: new id", "save: server time", "save: inventory account", "save: detail rows to add to",
          "save: next detail id", "save: bill marked costed"},
         [](const ConnectionPtr &db, const StatementIds &ids) {
             const QStringList sent = saving(db, ids, true);
             return QStringList{first(sent, QStringLiteral("max(lpchcostingid)")), first(sent, QStringLiteral("CURRENT_TIMESTAMP")),
                                first(sent, QStringLiteral("select inventoryid")),
                                first(sent, QStringLiteral("select * from loalocalpurchasecostingdetail")),
                                first(sent, QStringLiteral("max(lpcddetailid)")), first(sent, QStringLiteral("set lphcosted=1"))};
         }},
        {{"save: header row to edit", "save: edit stamps the update time", "save: edit removes the detail rows"},
         [](const ConnectionPtr &db, const StatementIds &ids) {
             const QStringList sent = saving(db, ids, false);
             return QStringList{first(sent, QStringLiteral("select * from loaLocalPurchaseCostingHeader where")),
                                first(sent, QStringLiteral("updatetime=getdate()")),
                                first(sent, QStringLiteral("delete from loalocalpurchasecostingdetail"))};
         }},
        {{"save: item rate fixed", "save: shipment lines flagged"},
         [](const ConnectionPtr &db, const StatementIds &ids) {
             QStringList sent;
             undone(db, [&] { sent = statementsSent(db, [&] { fixItemCost(*db, ids.item, {10.0, 12.5}); }); });
             return exactly(sent, 2);
         }},
        {{"pending: department 1", "pending: all departments"},
         [](const ConnectionPtr &db, const StatementIds &ids) {
             return QStringList{pendingList(db, ids.department, ids.company), pendingList(db, 0, ids.company)};
         }},
    };
    return all;
}

} // namespace

QStringList statementsSent(const ConnectionPtr &connection, const std::function<void()> &action)
{
    QStringList sent;
    connection->setStatementObserver([&sent](QString &sql, const QVariantList &) { sent << sql; });
    try {
        action();
    } catch (...) {
        connection->setStatementObserver({});
        throw;
    }
    connection->setStatementObserver({});
    return sent;
}

StatementIds demoStatementIds(const ConnectionPtr &demo, const QDate &processDate)
{
    const QVariantList costing = queryRows(demo, QStringLiteral(
        "select lpchcostingid, lpchshopid, lpchbillid from loaLocalPurchaseCostingHeader c where lpchCostingDone = 1 and "
        "lpchcancelled = 0 and lpchDepartmentid = ? and (select count(*) from loaLocalPurchaseCostingDetail d where "
        "d.lpcdcostingid = c.lpchcostingid) >= 2"), {demo::purchaseDepartmentId}).value(0);
    const QVariantList bill = queryRows(demo, QStringLiteral(
        "select lphBillID, lphShopID, (select min(lpditemid) from losLocalPurchaseDetail d where d.lpdbillid = h.lphBillID "
        "and d.lpdShopId = h.lphShopID) from losLocalPurchaseHeader h where lphcosted = 0 and lphcancelled = 0 and "
        "lphConfirmed = 1 and lphDepartmentID = ?"), {demo::purchaseDepartmentId}).value(0);
    if (costing.size() != 3 || bill.size() != 3 || bill[2].toInt() <= 0)
        raise(errnum::Unspecified, QStringLiteral("the demonstration file lacks a fixed costing or a waiting bill"));
    StatementIds ids;
    ids.costing = costing[0].toInt();
    ids.costingShop = costing[1].toInt();
    ids.costingBill = costing[2].toInt();
    ids.bill = bill[0].toInt();
    ids.billShop = bill[1].toInt();
    ids.item = bill[2].toInt();
    ids.department = demo::purchaseDepartmentId;
    ids.company = demo::companyId;
    ids.user = demo::adminUserId;
    ids.registerFrom = processDate.addDays(-demo::backNoofDays);
    return ids;
}

ModuleStatements::ModuleStatements(ConnectionPtr db, const StatementIds &ids) : m_db(std::move(db)), m_ids(ids) {}

QString ModuleStatements::text(const QString &name)
{
    if (!m_texts.contains(name)) {
        for (const Group &group : groups()) {
            if (!group.names.contains(name))
                continue;
            const QStringList texts = group.texts(m_db, m_ids);
            for (int i = 0; i < group.names.size(); ++i)
                m_texts.insert(group.names[i], texts.value(i));
        }
    }
    if (!m_texts.contains(name))
        raise(errnum::Unspecified, QStringLiteral("no module statement is named \"%1\"").arg(name));
    return m_texts.value(name);
}

QStringList ModuleStatements::names()
{
    QStringList all;
    for (const Group &group : groups())
        all << group.names;
    return all;
}

QString largestNumberQuery(const QString &prefix, qint16 sessionDepartment)
{
    static const ConnectionPtr scratch = openNewDatabase();
    QStringList sent;
    undone(scratch, [&] {
        addFinancialYear(scratch, 1, true);
        addPrefix(scratch, prefix, 1, 1);
        sent = statementsSent(scratch, [&] { GenerateCostingNo(scratch, 1, sessionDepartment); });
    });
    return exactly(sent, 2).last();
}

} // namespace kadu2217::testsupport
