#include "register/frmmaster.h"

#include "pending/frmpendingmaster.h"
#include "shell/required.h"

namespace kadu2217 {

void FrmMaster::cmdnew_Click()
{
    required(m_pending).showModal();
    // The register is not re-activated when a modal child closes; re-gate it by hand.
    Form_Activate();
}

} // namespace kadu2217
