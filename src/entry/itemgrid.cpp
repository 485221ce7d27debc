#include "entry/frmlocalpurchasecosting.h"

#include "controls/combobox.h"
#include "controls/flexgrid.h"
#include "db/values.h"
#include "entry/costpreview.h"
#include "entry/entryquery.h"
#include "entry/frmcostpreview.h"
#include "entry/exchangerate.h"
#include "shell/session.h"

#include <QPushButton>

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
    return exchangerate::comparedRate(m_context.state.GStrExchangeRates, vendorCurrency, inventoryCurrency);
}

void frmlocalpurchasecosting::cboPurchNo_Click()
{
    if (m_cboPurchNo->listIndex() == -1)
        return;
    const SessionContext &s = m_context.session;
    const bool newMode = isNewMode();
    FlexGrid &grid = *m_mfgSplitDetails;
    // The previous bill's lines go before anything can fail, so that they are never taken
    // for this bill's.
    m_linesShopId = 0;
    m_linesBillId = 0;
    m_cmdCostPreview->setEnabled(false);
    // An open preview shows the new bill once its lines are in, and nothing stale meanwhile.
    const bool previewOpen = m_costPreview && m_costPreview->isVisible();
    if (previewOpen)
        m_costPreview->hide();
    grid.setRows(1);

    const qint32 shopId = m_cboShop->itemData(m_cboShop->listIndex());
    const qint32 billId = m_cboPurchNo->itemData(m_cboPurchNo->listIndex());
    entryquery::BillCurrencies currencies = entryquery::billCurrencies(*m_objDatabase, s.intcompanyid, shopId, billId);
    m_context.state.GStrExchangeRates = currencies.exchangeRates;
    const double rate = getComparedExchangeRate(currencies.vendorCurrency, currencies.inventoryCurrency);

    const FlexGrid::BulkUpdate bulk(grid);
    // The first data row is there before any line is read: a bill without lines shows it empty.
    grid.setRows(2);
    int serial = 1;
    const auto addLine = [&grid, &serial, rate, newMode](const entryquery::ItemLine &line) {
        if (serial != 1)
            grid.setRows(grid.rows() + 1);
        const int r = grid.rows() - 1;
        grid.setTextMatrix(r, 0, QString::number(serial));
        grid.setTextMatrix(r, 1, value::toText(line.itemCode));
        grid.setTextMatrix(r, 2, line.description);
        if (newMode) {
            // The quantity shows even when the price cannot be worked out from it.
            grid.setTextMatrix(r, 3, value::formatFixed3(value::toDouble(line.quantity)));
            const CostingLine costed = newCostingLine(line, rate);
            grid.setTextMatrix(r, 4, costed.costedPrice);
            grid.setTextMatrix(r, 5, costed.billUnitPrice);
        } else {
            // A saved line without a value shows an empty cell, so that every line loads and
            // the save's checks can name what is missing.
            grid.setTextMatrix(r, 3, formattedOrEmpty(line.quantity, value::formatFixed3));
            grid.setTextMatrix(r, 4, value::displayText(line.costedPrice));
            // Stored already in the inventory currency: converting it again would scale it
            // once more at every edit and save.
            grid.setTextMatrix(r, 5, formattedOrEmpty(line.billUnitPrice, value::formatUpTo3));
        }
        grid.setTextMatrix(r, grid.cols() - 1, value::toText(line.itemId));
        ++serial;
    };
    if (newMode)
        entryquery::readBillLines(s.adocon, *m_objDatabase, shopId, billId, addLine);
    else
        entryquery::readCostingLines(s.adocon, *m_objDatabase, m_editedCostingId, addLine);
    m_linesShopId = shopId;
    m_linesBillId = billId;
    m_cmdCostPreview->setEnabled(!grid.textMatrix(1, grid.cols() - 1).isEmpty());
    if (previewOpen && m_cmdCostPreview->isEnabled())
        cmdCostPreview_Click();
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
