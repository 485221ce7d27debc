#include <kadu2217/clslocalpurchcost.h>

#include "module/module.h"
#include "register/frmmaster.h"
#include "services/defaults.h"

namespace kadu2217 {

clsLocalPurchCost::clsLocalPurchCost() = default;
clsLocalPurchCost::~clsLocalPurchCost() = default;

ConnectionPtr clsLocalPurchCost::adocon()
{
    if (!m_adocon)
        m_adocon = std::make_shared<Connection>();
    return m_adocon;
}

void clsLocalPurchCost::setAdocon(ConnectionPtr connection)
{
    m_adocon = std::move(connection);
}

void clsLocalPurchCost::Show()
{
    Module &module = processModule();
    SessionContext &s = module.context().session;
    s.intcompanyid = m_companyId;
    s.intUserID = m_userId;
    s.intDepartmentId = m_departmentId;
    s.MsgboxTitle = m_msgboxTitle;
    s.adocon = adocon();
    s.ProcessDate = m_processDate;
    DefaultFaultLog::configure(s.adocon, s.MsgboxTitle);
    module.master().showModal();
}

} // namespace kadu2217
