#include <kadu2217/clslocalpurchcost.h>

#include "register/frmmaster.h"
#include "services/defaults.h"
#include "shell/session.h"
#include "shell/windows.h"

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
    SessionContext &s = session();
    s.intcompanyid = m_companyId;
    s.intUserID = m_userId;
    s.intDepartmentId = m_departmentId;
    s.MsgboxTitle = m_msgboxTitle;
    s.adocon = adocon();
    s.ProcessDate = m_processDate;
    DefaultFaultLog::configure(s.adocon, s.MsgboxTitle);
    frmMaster().showModal();
}

} // namespace kadu2217
