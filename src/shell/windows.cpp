#include "shell/windows.h"

#include "entry/frmlocalpurchasecosting.h"
#include "pending/frmpendingmaster.h"
#include "register/frmmaster.h"

#include <QPointer>

namespace kadu2217 {
namespace {

struct Windows {
    QPointer<FrmMaster> master;
    QPointer<frmlocalpurchasecosting> entry;
    QPointer<frmPendingMaster> pending;
};

Windows &windows()
{
    static Windows instance;
    return instance;
}

template <typename Window>
Window &instance(QPointer<Window> &pointer)
{
    if (!pointer)
        pointer = new Window();
    return *pointer;
}

} // namespace

FrmMaster &frmMaster()
{
    return instance(windows().master);
}

bool frmMasterExists()
{
    return !windows().master.isNull();
}

frmlocalpurchasecosting &entryWindow()
{
    if (!windows().entry) {
        frmlocalpurchasecosting &entry = instance(windows().entry);
        FrmMaster &master = frmMaster();
        entry.setRegister(&master);
        QObject::connect(&entry, &frmlocalpurchasecosting::closing, &master, [&master] { master.FlexFlag.clear(); });
    }
    return *windows().entry;
}

frmPendingMaster &pendingWindow()
{
    return instance(windows().pending);
}

void destroyWindows()
{
    delete windows().pending.data();
    delete windows().entry.data();
    delete windows().master.data();
}

} // namespace kadu2217
