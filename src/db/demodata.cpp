#include "db/demodata.h"

#include "db/demodatagenerate.h"
#include "db/demodatareference.h"
#include "db/engine.h"
#include "db/error.h"
#include "db/tables.h"
#include "db/transaction.h"

#include <QStringList>
#include <initializer_list>
#include <iterator>

namespace kadu2217 {
namespace {

using namespace demodata;
namespace t = tables;

// One insert text per table, reused for every row so that it is translated once.
class Insert {
public:
    Insert(Connection &connection, QLatin1String table, std::initializer_list<QLatin1String> columns)
        : m_connection(connection)
    {
        QStringList names;
        QStringList marks;
        for (const QLatin1String column : columns) {
            names << column;
            marks << QStringLiteral("?");
        }
        m_sql = QStringLiteral("insert into %1 (%2) values (%3)")
                    .arg(table, names.join(QStringLiteral(", ")), marks.join(QStringLiteral(", ")));
    }
    void row(const QVariantList &values) { m_connection.execute(m_sql, values); }

private:
    Connection &m_connection;
    QString m_sql;
};

const QVariant kNull;

class Writer {
public:
    Writer(Connection &connection, DemoContent &content, std::function<void(int)> progress)
        : m_connection(connection), m_content(content), m_random(content.random), m_progress(std::move(progress))
    {
    }

    void write()
    {
        writeSettings();
        writeUsers();
        writeMasters();
        writeItems();
        writeBills();
        writeCostings();
        writeLayouts();
    }

private:
    void writeSettings()
    {
        Insert currency(m_connection, t::aCurrencyMaster::table,
                        {t::aCurrencyMaster::CurrencyID, t::aCurrencyMaster::CurrencyName, t::aCurrencyMaster::Symbol});
        for (const Currency &c : kCurrencies)
            currency.row({c.id, QLatin1String(c.name), QLatin1String(c.symbol)});

        Insert account(m_connection, t::aAccountMaster::table,
                       {t::aAccountMaster::accountid, t::aAccountMaster::accountname, t::aAccountMaster::companyid,
                        t::aAccountMaster::currencyid});
        account.row({demo::inventoryAccountId, QStringLiteral("Inventory"), demo::companyId, demo::baseCurrencyId});
        account.row({demo::goodsInTransitAccountId, QStringLiteral("Goods In Transit"), demo::companyId, demo::baseCurrencyId});
        account.row({1003, QStringLiteral("Cash In Hand"), demo::companyId, demo::baseCurrencyId});
        account.row({1004, QStringLiteral("Vendor Payables (USD)"), demo::companyId, demo::dollarCurrencyId});

        Insert(m_connection, t::aPackageSettings::table,
               {t::aPackageSettings::companyid, t::aPackageSettings::backNoofDays, t::aPackageSettings::inventoryid,
                t::aPackageSettings::GoodsInTransitID, t::aPackageSettings::CompanyDepartment, t::aPackageSettings::Alias})
            .row({demo::companyId, demo::backNoofDays, demo::inventoryAccountId, demo::goodsInTransitAccountId,
                  demo::purchaseDepartmentId, 0});

        Insert alias(m_connection, t::aAlias::table, {t::aAlias::Aliasid, t::aAlias::Alias});
        alias.row({1, QStringLiteral("Store")});
        alias.row({2, QStringLiteral("Depot")});

        // Indian financial years run from April to March.
        const QDate today = m_content.now.date();
        const int firstYear = today.month() >= 4 ? today.year() : today.year() - 1;
        Insert year(m_connection, t::aFinancialYear::table,
                    {t::aFinancialYear::FinancialId, t::aFinancialYear::FinancialYear, t::aFinancialYear::FromDate,
                     t::aFinancialYear::ToDate, t::aFinancialYear::CurFinancialYear});
        for (int id : {1, 2}) {
            const int from = firstYear - 2 + id;
            year.row({id, QStringLiteral("%1-%2").arg(from).arg((from + 1) % 100, 2, 10, QLatin1Char('0')),
                      wallClock(QDate(from, 4, 1)), wallClock(QDate(from + 1, 3, 31), QTime(23, 59, 59, 997)),
                      id == 2 ? 1 : 0});
        }
        constexpr int currentYear = 2;

        Insert department(m_connection, t::aDepartmentMaster::table,
                          {t::aDepartmentMaster::DepartmentID, t::aDepartmentMaster::DepartmentName,
                           t::aDepartmentMaster::Companyid});
        Insert prefix(m_connection, t::aPrefix::table,
                      {t::aPrefix::PrefixID, t::aPrefix::Prefix, t::aPrefix::departmentID, t::aPrefix::FinancialId,
                       t::aPrefix::InterfaceID, t::aPrefix::ShopId});
        int prefixId = 0;
        for (const int id : allDepartments()) {
            department.row({id, departmentName(id), demo::companyId});
            prefix.row({++prefixId, prefixOf(id), id, currentYear, t::costingInterfaceId, kNull});
        }
        // rows the numbering must pass over: last year's, and a shop's own
        prefix.row({++prefixId, QStringLiteral("LPC/%1-").arg(firstYear - 1), demo::purchaseDepartmentId,
                    currentYear - 1, t::costingInterfaceId, kNull});
        prefix.row({++prefixId, QStringLiteral("MGR/LPC-"), demo::purchaseDepartmentId, currentYear,
                    t::costingInterfaceId, 1});
        for (const int id : allDepartments())
            prefix.row({++prefixId, QStringLiteral("LP-"), id, currentYear, kBillInterfaceId, kNull});
    }

    QVector<int> allDepartments() const
    {
        QVector<int> ids = {demo::purchaseDepartmentId, demo::storesDepartmentId, demo::importsDepartmentId,
                            demo::accountsDepartmentId};
        for (const int id : m_content.costingDepartments) {
            if (!ids.contains(id))
                ids << id;
        }
        return ids;
    }

    void writeUsers()
    {
        Insert user(m_connection, t::aUsers::table, {t::aUsers::userid, t::aUsers::username});
        Insert louser(m_connection, t::lousers::table, {t::lousers::userid, t::lousers::UserName});
        Insert rights(m_connection, t::aUserRights::table,
                      {t::aUserRights::userid, t::aUserRights::interfaceid, t::aUserRights::functionrights});
        Insert departments(m_connection, t::aUserDeptDetails::table,
                           {t::aUserDeptDetails::userid, t::aUserDeptDetails::DeptID, t::aUserDeptDetails::Companyid});
        for (const User &u : kUsers) {
            user.row({u.id, QLatin1String(u.name)});
            louser.row({u.id, QLatin1String(u.name)});
            if (u.costingRights)
                rights.row({u.id, t::costingInterfaceId, QLatin1String(u.costingRights)});
            rights.row({u.id, kBillInterfaceId, QLatin1String(u.billRights)});
        }
        for (const int id : allDepartments())
            departments.row({demo::adminUserId, id, demo::companyId});
        departments.row({demo::clerkUserId, demo::purchaseDepartmentId, demo::companyId});
        departments.row({demo::clerkUserId, demo::storesDepartmentId, demo::companyId});
        departments.row({demo::viewerUserId, demo::purchaseDepartmentId, demo::companyId});
    }

    void writeMasters()
    {
        Insert shop(m_connection, t::aShops::table, {t::aShops::ShopId, t::aShops::shopname, t::aShops::companyid});
        for (int i = 0; i < demo::shopCount; ++i)
            shop.row({i + 1, QLatin1String(kShops[i].name), demo::companyId});

        Insert godown(m_connection, t::aGodown::table,
                      {t::aGodown::GodownId, t::aGodown::GodownName, t::aGodown::companyid});
        for (int i = 0; i < demo::godownCount; ++i)
            godown.row({i + 1, QLatin1String(kGodowns[i]), demo::companyId});

        Insert vendor(m_connection, t::aVendorMaster::table,
                      {t::aVendorMaster::VendorID, t::aVendorMaster::vendorname, t::aVendorMaster::CurrencyID,
                       t::aVendorMaster::companyid});
        for (int i = 0; i < m_content.vendors.size(); ++i)
            vendor.row({i + 1, m_content.vendors[i].name, m_content.vendors[i].currency, demo::companyId});
    }

    void writeItems()
    {
        Insert item(m_connection, t::aItem::table,
                    {t::aItem::itemid, t::aItem::itemcode, t::aItem::itemdescription, t::aItem::itemrate});
        Insert godownStock(m_connection, t::losGodownStock::table,
                           {t::losGodownStock::GodownId, t::losGodownStock::ItemId, t::losGodownStock::Stock});
        Insert shopStock(m_connection, t::losShopStock::table,
                         {t::losShopStock::ShopId, t::losShopStock::ItemId, t::losShopStock::Stock});
        Insert shipment(m_connection, t::losShopItemShipmentDetail::table,
                        {t::losShopItemShipmentDetail::ShipmentDetailID, t::losShopItemShipmentDetail::ShopId,
                         t::losShopItemShipmentDetail::itemid, t::losShopItemShipmentDetail::Quantity,
                         t::losShopItemShipmentDetail::pricechanged});
        int shipmentId = 0;
        for (int i = 0; i < m_content.items.size(); ++i) {
            const Item &it = m_content.items[i];
            const int itemId = i + 1;
            item.row({itemId, it.code, it.description, it.rate});
            for (const auto &[godownId, stock] : m_content.godownStock[i])
                godownStock.row({godownId, itemId, stock});
            for (const auto &[shopId, stock] : m_content.shopStock[i])
                shopStock.row({shopId, itemId, stock});
            for (const auto &[shopId, quantity] : m_content.shipments[i])
                shipment.row({++shipmentId, shopId, itemId, quantity, it.priceChanged ? 1 : 0});
        }
    }

    void writeBills()
    {
        Insert header(m_connection, t::losLocalPurchaseHeader::table,
                      {t::losLocalPurchaseHeader::lphBillID, t::losLocalPurchaseHeader::lphShopID,
                       t::losLocalPurchaseHeader::lphBillNo, t::losLocalPurchaseHeader::lphBillDate,
                       t::losLocalPurchaseHeader::lphBillTime, t::losLocalPurchaseHeader::lphBillAmount,
                       t::losLocalPurchaseHeader::lphVendorID, t::losLocalPurchaseHeader::lphCompanyID,
                       t::losLocalPurchaseHeader::lphDepartmentID, t::losLocalPurchaseHeader::lphcosted,
                       t::losLocalPurchaseHeader::lphcancelled, t::losLocalPurchaseHeader::lphConfirmed,
                       t::losLocalPurchaseHeader::lphexchangerates});
        Insert line(m_connection, t::losLocalPurchaseDetail::table,
                    {t::losLocalPurchaseDetail::lpdbillid, t::losLocalPurchaseDetail::lpdShopId,
                     t::losLocalPurchaseDetail::lpditemid, t::losLocalPurchaseDetail::lpditemquantity,
                     t::losLocalPurchaseDetail::lpditemunitprice, t::losLocalPurchaseDetail::rowguid});
        qint64 lineNumber = 0;
        for (const int index : m_content.billOrder) {
            stepDone();
            const Bill &bill = m_content.bills[index];
            double amount = 0;
            for (int l = bill.firstLine; l < bill.firstLine + bill.lineCount; ++l)
                amount += m_content.lines[l].total;
            const Costing *costing = bill.costing >= 0 ? &m_content.costings[bill.costing] : nullptr;
            // A save writes the costing day over the bill's time; a cancellation leaves it.
            const QDateTime billTime = costing ? wallClock(costing->moment.date()) : bill.moment;
            const bool costed = costing && costing->state != CostingState::Cancelled;
            header.row({bill.id, bill.shop + 1, bill.number, wallClock(bill.moment.date()), billTime,
                        round2(amount), bill.vendor + 1, demo::companyId, bill.department, costed ? 1 : 0,
                        bill.cancelled ? 1 : 0, bill.confirmed ? 1 : 0, bill.rates});
            for (int l = bill.firstLine; l < bill.firstLine + bill.lineCount; ++l) {
                const Line &ln = m_content.lines[l];
                line.row({bill.id, bill.shop + 1, ln.item + 1, ln.quantity, ln.total, rowGuid(++lineNumber)});
            }
        }
    }

    // Bills and costings make up nearly all of the work.
    void stepDone()
    {
        if (!m_progress)
            return;
        const qint64 steps = qint64(m_content.billOrder.size()) + m_content.costings.size();
        const int percent = int(++m_stepsDone * 100 / qMax<qint64>(1, steps));
        if (percent != m_percentTold)
            m_progress(m_percentTold = percent);
    }

    // Ordered like the schema's own GUIDs for lines inserted without one: the line number leads.
    QString rowGuid(qint64 lineNumber)
    {
        return QStringLiteral("%1-%2-4%3-%4-%5%6")
            .arg(quint32(lineNumber), 8, 16, QLatin1Char('0'))
            .arg(m_random.bits() & 0xffff, 4, 16, QLatin1Char('0'))
            .arg(m_random.bits() & 0xfff, 3, 16, QLatin1Char('0'))
            .arg(0x8000 | (m_random.bits() & 0x3fff), 4, 16, QLatin1Char('0'))
            .arg(m_random.bits() & 0xffff, 4, 16, QLatin1Char('0'))
            .arg(m_random.bits(), 8, 16, QLatin1Char('0'))
            .toUpper();
    }

    void writeCostings()
    {
        namespace h = t::loaLocalPurchaseCostingHeader;
        namespace d = t::loaLocalPurchaseCostingDetail;
        namespace a = t::aAuditTrail;
        Insert header(m_connection, h::table,
                      {h::lpchcostingid, h::lpchcostingno, h::lpchdate, h::lpchTime, h::lpchcompanyid, h::lpchshopid,
                       h::lpchbillid, h::lpchDepartmentid, h::lpchremarks, h::lpchrecadduser, h::lpchrecmodifiyuser,
                       h::lpchInventoryaccid, h::lpchgoodsintransitaccid, h::lpchCostingDone, h::lpchcostingdoneby,
                       h::lpchcancelled, h::lpchposted, h::updatetime});
        Insert detail(m_connection, d::table,
                      {d::lpcddetailid, d::lpcdcostingid, d::lpcditemid, d::lpcditemqty, d::lpcdbillunitprice,
                       d::lpcdcostedprice, d::lpcdolditemcostprice, d::lpcdnewitemcostprice});
        Insert audit(m_connection, a::table,
                     {a::CompanyID, a::UserID, a::DepartmentID, a::InterfaceID, a::DocumentID, a::DocumentNo,
                      a::AuditAction, a::LoggedTime, a::SavedTime, a::Flag, a::Reason});
        // Why the cancelled costings were cancelled, taken in turn.
        static const char *const reasons[] = {"Vendor sent a revised bill", "Bill costed against the wrong department",
                                              "Duplicate of an earlier costing", "Exchange rate entered wrongly"};
        int cancelled = 0;
        const QString creator = userName(demo::adminUserId);
        for (int i = 0; i < m_content.costings.size(); ++i) {
            stepDone();
            const Costing &c = m_content.costings[i];
            const Bill &bill = m_content.bills[c.bill];
            const int id = i + 1;
            const bool fixed = c.state == CostingState::Fixed;
            header.row({id, c.number, wallClock(c.moment.date()), c.moment, demo::companyId, bill.shop + 1,
                        bill.id, c.department, c.remarks, creator,
                        c.modified.isValid() ? QVariant(userName(c.modifiedBy)) : kNull, demo::inventoryAccountId,
                        demo::goodsInTransitAccountId, fixed ? 1 : 0, fixed ? QVariant(creator) : kNull,
                        c.state == CostingState::Cancelled ? 1 : 0, 0,
                        c.modified.isValid() ? QVariant(c.modified) : kNull});
            for (int k = c.firstDetail; k < c.firstDetail + c.detailCount; ++k) {
                const Detail &dt = m_content.details[k];
                detail.row({k + 1, id, dt.item + 1, dt.quantity, dt.price, dt.price, dt.oldRate, dt.newRate});
            }

            audit.row({demo::companyId, demo::adminUserId, c.department, t::costingInterfaceId, id, bill.number,
                       QStringLiteral("N"), c.moment.addSecs(-m_random.integer(120, 900)), c.moment, 1, kNull});
            if (c.modified.isValid())
                audit.row({demo::companyId, c.modifiedBy, c.department, t::costingInterfaceId, id, bill.number,
                           QStringLiteral("E"), c.modified.addSecs(-m_random.integer(60, 600)), c.modified, 1, kNull});
            if (c.state == CostingState::Cancelled)
                audit.row({demo::companyId, demo::adminUserId, c.department, t::costingInterfaceId, id, c.number,
                           QStringLiteral("D"), c.cancelledAt.addSecs(-60), c.cancelledAt, 1,
                           QLatin1String(reasons[cancelled++ % std::size(reasons)])});
        }
    }

    void writeLayouts()
    {
        constexpr int registerTableId = 1;
        Insert(m_connection, t::aTables::table, {t::aTables::tableid, t::aTables::tablename})
            .row({registerTableId, QStringLiteral("loalocalpurchasecostingheader")});
        Insert caption(m_connection, t::aTableColumns::table,
                       {t::aTableColumns::tableid, t::aTableColumns::columnid, t::aTableColumns::columnname,
                        t::aTableColumns::ColumnHeader});
        int column = 0;
        for (const auto &[name, header] : kRegisterCaptions)
            caption.row({registerTableId, ++column, QLatin1String(name), QLatin1String(header)});

        // The suite's bill entry keeps a stored layout; the costing grid has none and shows its default.
        constexpr int billGridId = 1;
        Insert(m_connection, t::aListViewHeader::table,
               {t::aListViewHeader::lvwid, t::aListViewHeader::lvwtransname, t::aListViewHeader::lvwname,
                t::aListViewHeader::lvwmodulename})
            .row({billGridId, QStringLiteral("LOCALPURCHASE"), QStringLiteral("MFGDETAILS"),
                  QStringLiteral("FRMLOCALPURCHASE")});
        Insert layout(m_connection, t::aListViewDetails::table,
                      {t::aListViewDetails::lvwdid, t::aListViewDetails::lvwcolid, t::aListViewDetails::lvwdcolname,
                       t::aListViewDetails::lvwdcolwidth, t::aListViewDetails::lvwdcolalign});
        int index = 0;
        for (const auto &[name, width, align] : kBillGridColumns) {
            layout.row({billGridId, index, QLatin1String(name), width, align});
            ++index;
        }
    }

    Connection &m_connection;
    const DemoContent &m_content;
    Random &m_random;
    std::function<void(int)> m_progress;
    qint64 m_stepsDone = 0;
    int m_percentTold = -1;
};

bool hasRows(Connection &connection, QLatin1String table)
{
    const auto cursor = detail::engineOf(connection).query(QStringLiteral("select count(*) from %1").arg(table), {});
    return cursor->next() && cursor->value(0).toLongLong() > 0;
}

} // namespace

void generateDemoData(Connection &connection, const DemoOptions &options)
{
    if (options.items < 1 || options.costings < 0 || !options.now.isValid())
        raise(errnum::InvalidProcedureCall, QStringLiteral("Demonstration data needs at least one item and a valid time."));
    for (const QLatin1String table : {t::aUsers::table, t::aItem::table, t::losLocalPurchaseHeader::table}) {
        if (hasRows(connection, table))
            raise(errnum::OperationNotAllowed,
                  QStringLiteral("The database already holds data (table %1); demonstration data goes into a new file.")
                      .arg(table));
    }
    DemoContent content = generateContent(options);
    Transaction transaction(connection);
    Writer(connection, content, options.progress).write();
    transaction.commit();
}

} // namespace kadu2217
