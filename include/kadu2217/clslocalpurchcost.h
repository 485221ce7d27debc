#pragma once

#include <kadu2217/connection.h>
#include <kadu2217/export.h>

#include <QDateTime>
#include <QString>

namespace kadu2217 {

// "Local Purchase Costing": the host fills the session of the logged-in user and calls Show,
// which opens the costing register modally and returns when the user closes it.
class KADU2217_EXPORT clsLocalPurchCost {
public:
    clsLocalPurchCost();
    ~clsLocalPurchCost();

    // Never empty: without a connection assigned by the host, the first access creates an
    // unopened one, on which every statement fails and is reported.
    ConnectionPtr adocon();
    void setAdocon(ConnectionPtr connection);

    QString MsgboxTitle() const { return m_msgboxTitle; }
    void setMsgboxTitle(const QString &title) { m_msgboxTitle = title; }
    QDateTime ProcessDate() const { return m_processDate; }
    void setProcessDate(const QDateTime &date) { m_processDate = date; }
    qint16 intUserID() const { return m_userId; }
    void setIntUserID(qint16 id) { m_userId = id; }
    // Below 1: all departments.
    qint16 intDepartmentId() const { return m_departmentId; }
    void setIntDepartmentId(qint16 id) { m_departmentId = id; }
    qint16 intcompanyid() const { return m_companyId; }
    void setIntcompanyid(qint16 id) { m_companyId = id; }

    void Show();

private:
    ConnectionPtr m_adocon;
    QString m_msgboxTitle;
    QDateTime m_processDate;
    qint16 m_userId = 0;
    qint16 m_departmentId = 0;
    qint16 m_companyId = 0;
};

} // namespace kadu2217
