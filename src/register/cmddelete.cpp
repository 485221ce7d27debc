#include "register/frmmaster.h"

#include "cancel/frmcancel.h"
#include "controls/busycursor.h"
#include "controls/flexgrid.h"
#include "controls/messagebox.h"
#include "shell/reporterror.h"
#include "shell/required.h"

#include <QPushButton>

namespace kadu2217 {

void FrmMaster::CmdDelete_Click()
{
    runHandler(m_context, QStringLiteral("FrmMaster"), QStringLiteral("CmdDelete_Click"), [this] {
        {
            const BusyCursor busyWindow(this);
            const BusyCursor busyGrid(m_flexMaster);
            const int row = m_flexMaster->row();
            const QString costingNo = m_flexMaster->textMatrix(row, 1);
            const int answer = messageBox(QStringLiteral("Are you sure you want to delete Costing ") + costingNo,
                                          MsgBoxStyle::YesNo | MsgBoxStyle::Critical | MsgBoxStyle::DefaultButton2,
                                          m_context.session.MsgboxTitle, this);
            if (answer != MsgBoxAnswer::Yes)
                return;
            const QString costingId = m_flexMaster->textMatrix(row, 0);
            const frmCancel::Result result = required(m_cancel).cancelCosting(costingId, costingNo);
            // An undone attempt may have shown its state in the row: show what is stored.
            if (result == frmCancel::Result::RolledBack) {
                m_context.state.entryMode = EntryMode::Edit;
                showCosting(costingId.toInt(), false);
            }
            // Red only for what is stored as cancelled.
            if (result != frmCancel::Result::NothingDone && currentRowFlag(kCancelledColumn)) {
                paintRowRed(row);
                FlexMaster_SelChange();
            }
        }
        // The register is not re-activated by itself when its modal child closes.
        Form_Activate();
    });
}

} // namespace kadu2217
