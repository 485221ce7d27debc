#include "entry/frmlocalpurchasecosting.h"

#include "controls/combobox.h"
#include "controls/flexgrid.h"
#include "db/error.h"
#include "db/recordset.h"
#include "db/values.h"
#include "entry/exchangerate.h"
#include "shell/session.h"

#include <limits>

namespace kadu2217 {
namespace {

// Captions padded with blanks: each caption's width is its column's first width.
const QString kDefaultFormat = QStringLiteral("Sl. No |Item Code                       |Item Description                                                                                            |>    Bill Quantity |>Cost Price                                |>Cost Price |");

// Changed cells are shown once, when the fill ends however it ends.
struct BulkUpdate {
    explicit BulkUpdate(FlexGrid &grid) : grid(grid) { grid.beginBulkUpdate(); }
    ~BulkUpdate() { grid.endBulkUpdate(); }
    FlexGrid &grid;
};

} // namespace

double frmlocalpurchasecosting::getComparedExchangeRate(qint16 &vendorCurrency, qint16 &inventoryCurrency)
{
    return exchangerate::comparedRate(moduleState().GStrExchangeRates, vendorCurrency, inventoryCurrency);
}

void frmlocalpurchasecosting::cboPurchNo_Click()
{
    if (m_cboPurchNo->listIndex() == -1)
        return;
    const ConnectionPtr &adocon = session().adocon;
    ModuleState &m = moduleState();
    clsDatabase &db = *m_objDatabase;
    const bool newMode = isNewMode();

    db.strTableName = QStringLiteral("apackagesettings ap, aaccountmaster a ");
    qint16 inventoryCurrency = value::toInt16(db.fnreturnfield(
        QStringLiteral("currencyid"), QStringLiteral(" ap.companyid = a.companyid and ") + QStringLiteral(" ap.inventoryid = a.accountid")));
    const QString shop = QString::number(m_cboShop->itemData(m_cboShop->listIndex()));
    const QString bill = QString::number(m_cboPurchNo->itemData(m_cboPurchNo->listIndex()));
    db.strTableName = QStringLiteral("loslocalpurchaseheader h, avendormaster v");
    qint16 vendorCurrency = value::toInt16(db.fnreturnfield(
        QStringLiteral("v.currencyid"), QStringLiteral(" h.lphCompanyID = v.companyid ")
            + QStringLiteral(" and h.lphVendorID = v.vendorid and lphShopID=") + shop + QStringLiteral(" and lphBillID=") + bill));
    db.strTableName = QStringLiteral("loslocalpurchaseheader");
    m.GStrExchangeRates = value::toText(db.fnreturnfield(QStringLiteral("lphexchangerates"), QStringLiteral(" lphBillID=") + bill));
    const double rate = getComparedExchangeRate(vendorCurrency, inventoryCurrency);

    Recordset rs;
    if (!newMode) {
        rs.open(QStringLiteral("select * from loaLocalPurchaseCostingHeader lih left outer join ")
                    + QStringLiteral(" loalocalpurchasecostingdetail lid on lih.lpchcostingid=lid.lpcdcostingid left outer join aitem ")
                    + QStringLiteral(" ai on lid.lpcditemid=ai.itemid where lih.lpchcostingid=") + registerCostingId(),
                adocon, CursorType::Keyset, LockType::ReadOnly);
    } else {
        db.strTableName = QStringLiteral("syscolumns");
        const bool orderedByGuid = value::toDouble(db.fnreturnfield(
            QStringLiteral("count(*)"), QStringLiteral("id=object_id('loslocalpurchasedetail') and  colstat=2"))) > 0;
        const QString order = orderedByGuid ? QStringLiteral(" order by loid.rowguid") : QStringLiteral(" ");
        rs.open(QStringLiteral("select * from loslocalpurchasedetail loid left outer join ")
                    + QStringLiteral(" aitem ai on loid.lpditemid=ai.itemid where lpdbillid=") + bill
                    + QStringLiteral(" and lpdShopId=") + shop + order,
                adocon, CursorType::Keyset, LockType::ReadOnly);
    }

    FlexGrid &grid = *m_mfgSplitDetails;
    const BulkUpdate bulk(grid);
    // The first data row is there before any line is read: a bill without lines shows it empty.
    grid.setRows(1);
    grid.setRows(2);
    qint16 serial = 1;
    for (; !rs.eof(); rs.moveNext()) {
        if (serial != 1)
            grid.setRows(grid.rows() + 1);
        const int r = grid.rows() - 1;
        const int itemIdCol = grid.cols() - 1;
        grid.setTextMatrix(r, 0, QString::number(serial));
        grid.setTextMatrix(r, 1, value::toText(rs.value(QStringLiteral("itemcode"))));
        db.strTableName = QStringLiteral("vwitemdescription");
        grid.setTextMatrix(r, 2, value::toText(db.fnreturnfield(
            QStringLiteral("itemdescription"), QStringLiteral("itemid=") + value::toText(rs.value(QStringLiteral("itemid"))))));
        if (newMode) {
            const QVariant quantity = rs.value(QStringLiteral("lpditemquantity"));
            grid.setTextMatrix(r, 3, value::formatFixed3(value::toDouble(quantity)));
            const QString costPrice = value::formatUpTo3(
                exchangerate::lineCostPrice(rs.value(QStringLiteral("lpditemunitprice")), quantity, rate));
            grid.setTextMatrix(r, 4, costPrice);
            grid.setTextMatrix(r, 5, costPrice);
            grid.setTextMatrix(r, itemIdCol, value::toText(rs.value(QStringLiteral("lpditemid"))));
        } else {
            grid.setTextMatrix(r, 3, value::formatFixed3(value::toDouble(rs.value(QStringLiteral("lpcditemqty")))));
            grid.setTextMatrix(r, 4, value::toText(rs.value(QStringLiteral("lpcdcostedprice"))));
            // Stored already in the inventory currency: converting it again would scale it
            // once more at every edit and save.
            grid.setTextMatrix(r, 5, value::formatUpTo3(value::toDouble(rs.value(QStringLiteral("lpcdbillunitprice")))));
            grid.setTextMatrix(r, itemIdCol, value::toText(rs.value(QStringLiteral("itemid"))));
        }
        // The serial number was a 16-bit counter.
        if (serial == std::numeric_limits<qint16>::max())
            kadu2217::raise(errnum::Overflow, QStringLiteral("Overflow"));
        ++serial;
    }
    rs.close();
}

void frmlocalpurchasecosting::applyDefaultColumns()
{
    FlexGrid &grid = *m_mfgSplitDetails;
    grid.setFormatString(kDefaultFormat);
    grid.setColWidth(grid.cols() - 1, 0);
    grid.setColWidth(1, 0);
    grid.setColWidth(5, 0);
    grid.setColWidth(2, 5870);
    grid.setColWidth(3, 3500);
    grid.setColWidth(4, 3500);
}

void frmlocalpurchasecosting::mfgSplitDetails_MouseMove()
{
    FlexGrid &grid = *m_mfgSplitDetails;
    grid.setToolTipText(grid.textMatrix(grid.mouseRow(), grid.mouseCol()));
}

} // namespace kadu2217
