#include "register/frmmaster.h"

namespace kadu2217 {

void FrmMaster::cmdnew_Click()
{
}

} // namespace kadu2217
