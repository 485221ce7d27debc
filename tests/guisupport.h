#pragma once

#include "db/connection.h"
#include "module/module.h"

#include <QDateTime>
#include <QString>
#include <QVector>
#include <functional>
#include <memory>

// Seams the window tests use: a recording error log, answered message boxes, a session.
namespace kadu2217::testsupport {

struct ReportedError {
    QString window;
    QString user;
    QString procedure;
    qint32 number = 0;
    QString source;
    QString description;
    QString mode;
};

// Replaces the error-logging service by one that records every report.
std::shared_ptr<QVector<ReportedError>> recordErrors();

struct ShownMessage {
    QString title;
    QString text;
    int style = 0;
};

// Answers every message box through `answer` (OK by default) and records it.
std::shared_ptr<QVector<ShownMessage>> answerMessages(std::function<int(const ShownMessage &)> answer = {});

// A new module of the test's own (context and windows), its session filled.
void startSession(const ConnectionPtr &connection, qint16 userId, qint16 departmentId, const QDateTime &processDate,
                  qint16 companyId = 1);
// Ends the test's module: its windows and values are gone.
void endModule();
// The shared objects the register creates on load, for windows opened without it.
void createSharedObjects();

// The test's module, its context and its windows; a module without a session is made on
// first use.
Module &testModule();
ModuleContext &context();
SessionContext &session();
ModuleState &moduleState();
FrmMaster &frmMaster();
frmlocalpurchasecosting &entryWindow();
frmPendingMaster &pendingWindow();

// The entry mode as its letter ("N", "E", empty), for tests whose rows name it.
void setEntryMode(const QString &letter);
QString entryModeLetter();

} // namespace kadu2217::testsupport
