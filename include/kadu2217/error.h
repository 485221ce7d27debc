#pragma once

#include <kadu2217/export.h>

#include <QString>
#include <QByteArray>
#include <exception>

namespace kadu2217 {

// The numbers a user of the module sees: run-time errors of the program itself and
// database errors as an ADO client reports them.
namespace errnum {
inline constexpr qint32 OutOfMemory = 7;
inline constexpr qint32 SubscriptOutOfRange = 9;
inline constexpr qint32 Overflow = 6;
inline constexpr qint32 DivisionByZero = 11;
inline constexpr qint32 TypeMismatch = 13;
inline constexpr qint32 ObjectRequired = 424;
inline constexpr qint32 InvalidUseOfNull = 94;
inline constexpr qint32 ObjectVariableNotSet = 91;
inline constexpr qint32 InvalidProcedureCall = 5;
inline constexpr qint32 ActiveXCannotCreate = 429;
inline constexpr qint32 NoCurrentRecord = 3021;
inline constexpr qint32 ObjectClosed = 3704;
inline constexpr qint32 SqlSyntax = -2147217900;
inline constexpr qint32 InvalidObject = -2147217865;
inline constexpr qint32 Constraint = -2147217873;
inline constexpr qint32 Timeout = -2147217871;
inline constexpr qint32 Conversion = -2147217913;
inline constexpr qint32 MultipleStep = -2147217887;
inline constexpr qint32 NotConnected = 3709;
inline constexpr qint32 Unsupported = -2147217900;
inline constexpr qint32 Unspecified = -2147467259;
inline constexpr qint32 RowNotLocated = -2147217864;
inline constexpr qint32 NotUpdatable = 3251;
inline constexpr qint32 ItemNotFound = 3265;
inline constexpr qint32 OperationNotAllowed = 3219;
}

// The one failure type of the module: a number, a source and a description, as the
// error routine receives them.
class KADU2217_EXPORT Error : public std::exception {
public:
    Error(qint32 number, QString description, QString source = QStringLiteral("kadu2217"));

    qint32 number() const { return m_number; }
    const QString &source() const { return m_source; }
    const QString &description() const { return m_description; }
    const char *what() const noexcept override { return m_what.constData(); }

private:
    qint32 m_number;
    QString m_description;
    QString m_source;
    QByteArray m_what;
};

[[noreturn]] KADU2217_EXPORT void raise(qint32 number, const QString &description);

} // namespace kadu2217
