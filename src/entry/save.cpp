#include "entry/frmlocalpurchasecosting.h"

#include "controls/busycursor.h"
#include "controls/combobox.h"
#include "controls/flexgrid.h"
#include "controls/messagebox.h"
#include "entry/frmcostpreview.h"
#include "shell/required.h"
#include "shell/reporterror.h"
#include "shell/session.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>

namespace kadu2217 {

CostingToSave frmlocalpurchasecosting::costingInWindow() const
{
    CostingToSave costing;
    costing.newMode = isNewMode();
    costing.departmentId = m_cboDepartmentName->listIndex() < 0 ? 0 : m_cboDepartmentName->itemData(m_cboDepartmentName->listIndex());
    costing.shopId = m_cboShop->listIndex() < 0 ? 0 : m_cboShop->itemData(m_cboShop->listIndex());
    costing.billId = m_cboPurchNo->listIndex() < 0 ? 0 : m_cboPurchNo->itemData(m_cboPurchNo->listIndex());
    costing.purchaseNo = m_cboPurchNo->text();
    costing.remarks = m_txtremarks->text();
    costing.costingDate = m_costingDate;
    costing.costFix = m_chkFix->isChecked();
    costing.editedCostingId = m_editedCostingId;
    const FlexGrid &grid = *m_mfgSplitDetails;
    costing.linesShopId = m_linesShopId;
    costing.linesBillId = m_linesBillId;
    for (int r = 1; r < grid.rows(); ++r)
        costing.lines.append({grid.textMatrix(r, grid.cols() - 1), grid.textMatrix(r, 3), grid.textMatrix(r, 4), grid.textMatrix(r, 5),
                              grid.textMatrix(r, 1), grid.textMatrix(r, 2)});
    return costing;
}

void frmlocalpurchasecosting::cmdok_Click()
{
    runHandler(m_context, QStringLiteral("frmlocalpurchasecosting"), QStringLiteral("cmdok_Click "), [this] {
        const CostingToSave costing = costingInWindow();
        const CostingCheck check = checkCosting(costing, m_cboShop->listIndex(), m_cboPurchNo->listIndex(),
                                                m_cboDepartmentName->listIndex());
        if (!check.passed()) {
            messageBox(check.message, MsgBoxStyle::OkOnly | MsgBoxStyle::Information, m_context.session.MsgboxTitle, this);
            if (auto *control = findChild<QWidget *>(check.focusControl))
                control->setFocus();
            return;
        }
        SaveOutcome outcome;
        {
            const BusyCursor busy(this);
            outcome = saveCosting(m_context, *m_objDatabase, *m_context.state.GObjAuditTrail, this, costing, m_costingId);
            if (outcome.saved) {
                // Committed: a second OK would apply the average again, even when the refresh fails.
                m_cmdok->setEnabled(false);
                required(m_register).showCosting(m_costingId, costing.newMode);
            }
        }
        if (!outcome.saved) {
            messageBox(QStringLiteral("This Purchase No. already exists in the Costing No. '") + outcome.duplicateCostingNo
                           + QStringLiteral("'"),
                       MsgBoxStyle::OkOnly | MsgBoxStyle::Exclamation, m_context.session.MsgboxTitle, this);
            return;
        }
        Unload();
    });
}

void frmlocalpurchasecosting::cmdCostPreview_Click()
{
    if (!m_costPreview)
        m_costPreview = new frmCostPreview(m_context, this);
    m_costPreview->showPreview(required(m_objDatabase), costingInWindow());
}

} // namespace kadu2217
