#include "pending/frmpendingmaster.h"

namespace kadu2217 {

frmPendingMaster::frmPendingMaster(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmPendingMaster"));
}

frmPendingMaster::~frmPendingMaster() = default;

void frmPendingMaster::showModal()
{
}

} // namespace kadu2217
