#include "shell/reporterror.h"

#include "db/error.h"
#include "db/values.h"
#include "shell/session.h"

#include <new>
#include <stdexcept>

namespace kadu2217 {

qint32 foldErrorNumber(qint32 number)
{
    return QString::number(number).right(5).toInt();
}

void ReportError(const ConnectionPtr &connection, const QString &strFormName, qint16 intErrUserId, const QString &strProcName, qint32 &lngErrNumber,
                 const QString &strErrSource, const QString &strErrDescription, const QString &strMode) noexcept
{
    try {
        auto faultLog = createServiceAs<clsFaultLog>(servicenames::FaultLog);
        lngErrNumber = foldErrorNumber(lngErrNumber);
        QVariant userName;
        try {
            auto database = createServiceAs<clsDatabase>(servicenames::Database);
            database->adocon = connection;
            database->strTableName = QStringLiteral("ausers where userid=") + QString::number(intErrUserId);
            userName = database->fnreturnfield(QStringLiteral("username"));
        } catch (const Error &) {
            // Without the name the record is still worth keeping.
        }
        faultLog->ErrorTrack(strFormName, userName, strProcName, lngErrNumber, strErrSource, strErrDescription,
                             strMode, true);
    } catch (...) {
        // The host must survive a logging service that fails too.
    }
}

bool runHandler(const ModuleContext &context, const QString &windowName, const QString &procedureName, const std::function<void()> &body,
                const FailureSteps &steps)
{
    qint32 number = 0;
    QString source;
    QString description;
    try {
        body();
        return true;
    } catch (const Error &e) {
        number = e.number();
        source = e.source();
        description = e.description();
    } catch (const std::bad_alloc &) {
        number = errnum::OutOfMemory;
        source = QStringLiteral("kadu2217");
        description = QStringLiteral("Out of memory");
    } catch (const std::out_of_range &e) {
        number = errnum::SubscriptOutOfRange;
        source = QStringLiteral("kadu2217");
        description = QStringLiteral("Subscript out of range: ") + QString::fromLocal8Bit(e.what());
    } catch (const std::exception &e) {
        number = errnum::InvalidProcedureCall;
        source = QStringLiteral("kadu2217");
        description = QString::fromLocal8Bit(e.what());
    } catch (...) {
        number = errnum::InvalidProcedureCall;
        source = QStringLiteral("kadu2217");
        description = QStringLiteral("Unexpected failure");
    }
    if (steps.beforeReport) {
        try {
            steps.beforeReport();
        } catch (...) {
            // The original failure is the one reported.
        }
    }
    ReportError(context.session.adocon, windowName, context.session.intUserID, procedureName, number, source, description,
                modeLetter(context.state.entryMode));
    if (steps.afterReport) {
        try {
            steps.afterReport();
        } catch (...) {
            // As above.
        }
    }
    return false;
}

} // namespace kadu2217
