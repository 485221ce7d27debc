#pragma once

#include <kadu2217/connection.h>
#include "services/services.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
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

// The operation the entry window, the save and the register refresh are working on. It is
// set by whoever opens the operation and never cleared.
enum class EntryMode { None, New, Edit };

// The mode as statements and error reports spell it: "N", "E", or empty before any operation.
QString modeLetter(EntryMode mode);

// Values several windows share; they keep their values between Shows.
struct ModuleState {
    EntryMode entryMode = EntryMode::None;
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
    // The default services' tables the session's database lacks (a SQL Server database not
    // yet set up for the module); what needs them is left undone.
    QStringList missingServiceTables;
};

// What the module hands to every window: the session and the shared values. The module owns
// one for its whole life; tests make their own.
struct ModuleContext {
    SessionContext session;
    ModuleState state;
};

} // namespace kadu2217
