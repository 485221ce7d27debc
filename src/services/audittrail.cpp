#include "services/defaults.h"

#include "db/tables.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <utility>

namespace kadu2217 {

namespace at = tables::aAuditTrail;

void DefaultAuditTrail::OpenObject(ConnectionPtr &connection, qint16 companyId, qint16 userId, qint16 departmentId,
                                   qint16 interfaceId, const QDateTime &now)
{
    m_connection = connection;
    m_companyId = companyId;
    m_userId = userId;
    m_departmentId = departmentId;
    m_interfaceId = interfaceId;
    LoggedTime = now;
    m_recorded.clear();
}

// The values a user can change, by control name.
DefaultAuditTrail::Contents DefaultAuditTrail::contentsOf(QWidget &window)
{
    Contents contents;
    for (QWidget *w : window.findChildren<QWidget *>()) {
        const QString name = w->objectName();
        if (name.isEmpty() || name.startsWith(QLatin1String("qt_")))
            continue;
        if (auto *edit = qobject_cast<QLineEdit *>(w); edit && !qobject_cast<QComboBox *>(w->parentWidget()))
            contents.insert(name, edit->text());
        else if (auto *text = qobject_cast<QTextEdit *>(w))
            contents.insert(name, text->toPlainText());
        else if (auto *plain = qobject_cast<QPlainTextEdit *>(w))
            contents.insert(name, plain->toPlainText());
        else if (auto *combo = qobject_cast<QComboBox *>(w))
            contents.insert(name, QString::number(combo->currentIndex()) + QLatin1Char('|') + combo->currentText());
        else if (auto *button = qobject_cast<QAbstractButton *>(w); button && button->isCheckable())
            contents.insert(name, button->isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
    }
    return contents;
}

void DefaultAuditTrail::SaveInToTag(QWidget &window)
{
    m_recorded.insert(&window, contentsOf(window));
}

// With nothing recorded for the window its contents are unsaved work: report a change so
// that closing asks before discarding it.
bool DefaultAuditTrail::DataChanged(QWidget &window)
{
    const auto it = m_recorded.constFind(&window);
    if (it == m_recorded.constEnd())
        return true;
    return *it != contentsOf(window);
}

bool DefaultAuditTrail::SaveAuditTrailInfo(double documentId, const QString &documentNo, bool flag,
                                           const QString &action, QWidget *window)
{
    if (!m_connection)
        throw Error(errnum::ObjectRequired, QStringLiteral("The audit trail was not opened."));
    // The reason belongs to this record only, whether or not it is stored.
    const QString reason = std::exchange(Reason, QString());
    const QString sql = QStringLiteral("insert into %1 (%2,%3,%4,%5,%6,%7,%8,%9,%10,%11,%12) values (?,?,?,?,?,?,?,?,getdate(),?,?)")
                            .arg(at::table, at::CompanyID, at::UserID, at::DepartmentID, at::InterfaceID, at::DocumentID,
                                 at::DocumentNo, at::AuditAction, at::LoggedTime, at::SavedTime)
                            .arg(at::Flag, at::Reason);
    m_connection->execute(sql, {m_companyId, m_userId, m_departmentId, m_interfaceId, qlonglong(documentId), documentNo,
                                action, LoggedTime.isValid() ? QVariant(LoggedTime) : QVariant(), flag ? 1 : 0,
                                reason.isEmpty() ? QVariant() : QVariant(reason)});
    if (window)
        m_recorded.remove(window);
    return true;
}

} // namespace kadu2217
