#include "shell/windows.h"

#include "register/frmmaster.h"

#include <QPointer>

namespace kadu2217 {
namespace {

struct Windows {
    QPointer<FrmMaster> master;
};

Windows &windows()
{
    static Windows instance;
    return instance;
}

} // namespace

FrmMaster &frmMaster()
{
    if (!windows().master)
        windows().master = new FrmMaster();
    return *windows().master;
}

bool frmMasterExists()
{
    return !windows().master.isNull();
}

void destroyWindows()
{
    delete windows().master.data();
}

} // namespace kadu2217
