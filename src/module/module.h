#pragma once

#include "shell/session.h"

#include <memory>

namespace kadu2217 {

class FrmMaster;
class frmCancel;
class frmlocalpurchasecosting;
class frmPendingMaster;

// The module as a whole: its context and one instance of each window, wired to each other.
// Everything above the windows meets here and nowhere else.
class Module {
public:
    Module();
    ~Module();
    Module(const Module &) = delete;
    Module &operator=(const Module &) = delete;

    ModuleContext &context() { return m_context; }
    FrmMaster &master() { return *m_master; }
    frmlocalpurchasecosting &entry() { return *m_entry; }
    frmPendingMaster &pending() { return *m_pending; }
    frmCancel &cancel() { return *m_cancel; }

private:
    // Declared first: the windows refer to it and go before it.
    ModuleContext m_context;
    std::unique_ptr<FrmMaster> m_master;
    std::unique_ptr<frmlocalpurchasecosting> m_entry;
    std::unique_ptr<frmPendingMaster> m_pending;
    std::unique_ptr<frmCancel> m_cancel;
};

// The one module of the process, created at its first Show; its values outlive every Show.
Module &processModule();

} // namespace kadu2217
