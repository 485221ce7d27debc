#include "register/frmmaster.h"

#include "controls/busycursor.h"
#include "controls/flexgrid.h"
#include "db/values.h"
#include "reports/costingreport.h"
#include "reports/frmprint.h"
#include "shell/reportfiles.h"
#include "shell/required.h"

namespace kadu2217 {

qint32 FrmMaster::currentCostingId() const
{
    return value::toInt32(m_flexMaster->textMatrix(m_flexMaster->row(), 0));
}

void FrmMaster::cmdPreview_Click()
{
    const qint32 costingId = currentCostingId();
    curSymbol = vendorCurrencySymbol(required(objDatabase), costingId);
    const BusyCursor busy(this);
    const SessionContext &s = m_context.session;
    const QString file = reportfiles::definitionPath(reportfiles::componentFolder(), reportfiles::costingA4);
    // The engine is kept: it holds the preview window open after the handler returns.
    m_report = previewCosting(s.adocon, costingId, file, DepartmentNameOf(s.adocon, s.intDepartmentId));
}

frmPrint &FrmMaster::printWindow()
{
    if (!m_print)
        m_print = std::make_unique<frmPrint>(m_context, this);
    return *m_print;
}

void FrmMaster::cmdPrint_Click()
{
    frmPrint &window = printWindow();
    window.intcostid = currentCostingId();
    window.showModal();
    // The register is not re-activated when a modal child closes; re-gate it by hand.
    Form_Activate();
}

} // namespace kadu2217
