#pragma once

#include "db/connection.h"

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

// Forgets every window and the module-wide state, then fills the session.
void startSession(const ConnectionPtr &connection, qint16 userId, qint16 departmentId, const QDateTime &processDate,
                  qint16 companyId = 1);

} // namespace kadu2217::testsupport
