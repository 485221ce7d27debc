#include "entry/frmlocalpurchasecosting.h"

#include "controls/combobox.h"
#include "controls/flexgrid.h"
#include "db/recordset.h"
#include "db/values.h"
#include "entry/exchangerate.h"
#include "shell/session.h"


namespace kadu2217 {
namespace {

// Captions padded with blanks: each caption's width is its column's first width.
const QString kDefaultFormat = QStringLiteral("Sl. No |Item Code                       |Item Description                                                                                            |>    Bill Quantity |>Cost Price                                |>Cost Price |");

QString formattedOrEmpty(const QVariant &v, QString (*format)(double, const QLocale &))
{
    return value::isNull(v) ? QString() : format(value::toDouble(v), QLocale());
}

} // namespace

double frmlocalpurchasecosting::getComparedExchangeRate(qint16 &vendorCurrency, qint16 &inventoryCurrency)
{
    return exchangerate::comparedRate(moduleState().GStrExchangeRates, vendorCurrency, inventoryCurrency);
}

void frmlocalpurchasecosting::cboPurchNo_Click()
{
    if (m_cboPurchNo->listIndex() == -1)
        return;
    const SessionContext &s = session();
    ModuleState &m = moduleState();
    clsDatabase &db = *m_objDatabase;
    const bool newMode = isNewMode();
    FlexGrid &grid = *m_mfgSplitDetails;
    // The previous bill's lines go before anything can fail, so that they are never taken
    // for this bill's.
    m_linesShopId = 0;
    m_linesBillId = 0;
    grid.setRows(1);

    const qint32 shopId = m_cboShop->itemData(m_cboShop->listIndex());
    const qint32 billId = m_cboPurchNo->itemData(m_cboPurchNo->listIndex());
    const QString shop = QString::number(shopId);
    const QString bill = QString::number(billId);
    db.strTableName = QStringLiteral("apackagesettings ap, aaccountmaster a ");
    qint16 inventoryCurrency = value::toInt16(db.fnreturnfield(
        QStringLiteral("currencyid"), QStringLiteral(" ap.companyid = a.companyid and ") + QStringLiteral(" ap.inventoryid = a.accountid")
                                          + QStringLiteral(" and ap.companyid=") + QString::number(s.intcompanyid)));
    db.strTableName = QStringLiteral("loslocalpurchaseheader h, avendormaster v");
    qint16 vendorCurrency = value::toInt16(db.fnreturnfield(
        QStringLiteral("v.currencyid"), QStringLiteral(" h.lphCompanyID = v.companyid ")
            + QStringLiteral(" and h.lphVendorID = v.vendorid and lphShopID=") + shop + QStringLiteral(" and lphBillID=") + bill));
    // Bill ids are unique per shop only: another shop's bill must not lend its rates.
    db.strTableName = QStringLiteral("loslocalpurchaseheader");
    m.GStrExchangeRates = value::toText(db.fnreturnfield(QStringLiteral("lphexchangerates"),
                                                         QStringLiteral(" lphShopID=") + shop + QStringLiteral(" and lphBillID=") + bill));
    const double rate = getComparedExchangeRate(vendorCurrency, inventoryCurrency);

    Recordset rs;
    if (!newMode) {
        // In the order the lines were first saved, so that an edit averages them as that save did.
        rs.open(QStringLiteral("select * from loaLocalPurchaseCostingHeader lih left outer join ")
                    + QStringLiteral(" loalocalpurchasecostingdetail lid on lih.lpchcostingid=lid.lpcdcostingid left outer join aitem ")
                    + QStringLiteral(" ai on lid.lpcditemid=ai.itemid where lih.lpchcostingid=") + registerCostingId()
                    + QStringLiteral(" order by lid.lpcddetailid"),
                s.adocon, CursorType::Keyset, LockType::ReadOnly);
    } else {
        db.strTableName = QStringLiteral("syscolumns");
        const bool orderedByGuid = value::toDouble(db.fnreturnfield(
            QStringLiteral("count(*)"), QStringLiteral("id=object_id('loslocalpurchasedetail') and  colstat=2"))) > 0;
        const QString order = orderedByGuid ? QStringLiteral(" order by loid.rowguid") : QStringLiteral(" ");
        rs.open(QStringLiteral("select * from loslocalpurchasedetail loid left outer join ")
                    + QStringLiteral(" aitem ai on loid.lpditemid=ai.itemid where lpdbillid=") + bill
                    + QStringLiteral(" and lpdShopId=") + shop + order,
                s.adocon, CursorType::Keyset, LockType::ReadOnly);
    }

    const FlexGrid::BulkUpdate bulk(grid);
    // The first data row is there before any line is read: a bill without lines shows it empty.
    grid.setRows(2);
    int serial = 1;
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
            // A saved line without a value shows an empty cell, so that every line loads and
            // the save's checks can name what is missing.
            grid.setTextMatrix(r, 3, formattedOrEmpty(rs.value(QStringLiteral("lpcditemqty")), value::formatFixed3));
            grid.setTextMatrix(r, 4, value::displayText(rs.value(QStringLiteral("lpcdcostedprice"))));
            // Stored already in the inventory currency: converting it again would scale it
            // once more at every edit and save.
            grid.setTextMatrix(r, 5, formattedOrEmpty(rs.value(QStringLiteral("lpcdbillunitprice")), value::formatUpTo3));
            grid.setTextMatrix(r, itemIdCol, value::toText(rs.value(QStringLiteral("itemid"))));
        }
        ++serial;
    }
    rs.close();
    m_linesShopId = shopId;
    m_linesBillId = billId;
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
