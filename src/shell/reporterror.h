#pragma once

#include "shell/session.h"

#include <QString>
#include <functional>

namespace kadu2217 {

// The old module's error numbers reach the log with at most their last five characters:
// -2147217900 becomes 17900, 3021 stays 3021.
qint32 foldErrorNumber(qint32 number);

// Hands one failure with the user's name (looked up on `connection`) to the error-logging
// service. Never lets a failure of its own escape.
void ReportError(const ConnectionPtr &connection, const QString &strFormName, qint16 intErrUserId, const QString &strProcName, qint32 &lngErrNumber,
                 const QString &strErrSource, const QString &strErrDescription, const QString &strMode) noexcept;

// What a handler undoes around the report: `beforeReport` runs first (a rollback),
// `afterReport` last (the mouse pointer).
struct FailureSteps {
    std::function<void()> beforeReport;
    std::function<void()> afterReport;
};

// Runs an event handler's body under the module's catch-all: any failure ends the body and is
// reported under the window's name and the handler's fixed procedure name, with the context's
// user and mode. Returns whether the body ran to its end.
bool runHandler(const ModuleContext &context, const QString &windowName, const QString &procedureName, const std::function<void()> &body,
                const FailureSteps &steps = {});

} // namespace kadu2217
