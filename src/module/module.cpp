#include "module/module.h"

#include "cancel/frmcancel.h"
#include "entry/frmlocalpurchasecosting.h"
#include "pending/frmpendingmaster.h"
#include "register/frmmaster.h"

namespace kadu2217 {

Module::Module()
    : m_master(std::make_unique<FrmMaster>(m_context)),
      m_entry(std::make_unique<frmlocalpurchasecosting>(m_context)),
      m_pending(std::make_unique<frmPendingMaster>(m_context)),
      m_cancel(std::make_unique<frmCancel>(m_context))
{
    m_master->setWindows(m_pending.get(), m_entry.get(), m_cancel.get());
    m_cancel->setRegister(m_master.get());
    m_pending->setEntryWindow(m_entry.get());
    m_entry->setRegister(m_master.get());
}

Module::~Module() = default;

Module &processModule()
{
    // Never destroyed: its windows must not outlive the host's application object, which
    // may be gone by the time static objects are.
    static Module *module = new Module;
    return *module;
}

} // namespace kadu2217
