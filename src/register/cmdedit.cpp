#include "register/frmmaster.h"

#include "controls/busycursor.h"
#include "controls/flexgrid.h"
#include "entry/frmlocalpurchasecosting.h"
#include "shell/reporterror.h"
#include "shell/required.h"
#include "shell/session.h"

#include <QPushButton>

namespace kadu2217 {

// Opens the costing of the current row in the entry window. Also run by the grid's
// double-click and Enter, so it carries its own error handling and reports under its own name.
void FrmMaster::CmdEdit_Click()
{
    runHandler(m_context, QStringLiteral("FrmMaster"), QStringLiteral("CmdEdit_Click "), [this] {
        {
            const BusyCursor busyWindow(this);
            const BusyCursor busyGrid(m_flexMaster);
            ModuleState &m = m_context.state;
            required(m.GObjAuditTrail).LoggedTime = QDateTime::currentDateTime();
            m.entryMode = EntryMode::Edit;

            const int row = m_flexMaster->row();
            required(m_entry).openExisting(m_flexMaster->textMatrix(row, 0),
                                           m_flexMaster->textMatrix(row, m_flexMaster->cols() - 1) == QLatin1String("Yes"));
        }
        // The register is not re-activated by itself when its modal child closes.
        Form_Activate();
    });
}

} // namespace kadu2217
