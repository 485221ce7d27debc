#pragma once

#include <kadu2217/connection.h>
#include <kadu2217/services.h>

#include <QDateTime>
#include <QString>
#include <memory>

namespace kadu2217 {

// The six session values that Show copies from the public class.
struct SessionContext {
    ConnectionPtr adocon;
    QString MsgboxTitle;
    QDateTime ProcessDate;
    qint16 intUserID = 0;
    qint16 intDepartmentId = 0;
    qint16 intcompanyid = 0;
};

// Values several windows share; they keep their values between Shows.
struct ModuleState {
    QString GStrMasterNewEditFlag;
    QString GStrUserName;
    qint16 GIntInterfaceID = 0;
    QString GStrMasterSql;
    QString GStrMasterTable;
    bool GBlnAlias = false;
    QString GStrAlias1;
    QString GStrAlias2;
    QString GStrExchangeRates;
    std::shared_ptr<clsFormTheme> GObjFormTheme;
    std::shared_ptr<clsAuditTrail> GObjAuditTrail;
};

SessionContext &session();
ModuleState &moduleState();

// Forgets the session, the shared state and the window instances (for tests and hosts that
// start over).
void resetModule();

} // namespace kadu2217
