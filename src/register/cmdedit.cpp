#include "register/frmmaster.h"

namespace kadu2217 {

void FrmMaster::CmdEdit_Click()
{
}

} // namespace kadu2217
