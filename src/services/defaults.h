#pragma once

#include "services/services.h"

#include <QHash>
#include <QPointer>

namespace kadu2217 {

// The module's own implementations of the suite's services, registered under their names.

class DefaultDatabase final : public clsDatabase {
public:
    QVariant fnreturnfield(const QString &field) override;
    QVariant fnreturnfield(const QString &field, const QString &condition) override;
    void PopulateListview(ListView &listView, QString &tableText, QString &condition, const QStringList &fields) override;
    void populatecomboorlist(ComboBox &control, const QString &valueField, const QString &textField) override;

private:
    QString selectFrom(const QString &fields, const QString &table, const QString &condition) const;
};

class DefaultGeneral final : public clsGeneral {
public:
    void SelectComboItemByValue(ComboBox &control, qint32 value) override;
    void textvalidatenum(QLineEdit &textBox, int &keyAscii, int maxDigits, int maxDecimals) override;
};

class DefaultFormTheme final : public clsFormTheme {
public:
    void ApplyFormTheme(QWidget &window) override;
};

class DefaultAuditTrail final : public clsAuditTrail {
public:
    void OpenObject(ConnectionPtr &connection, qint16 companyId, qint16 userId, qint16 departmentId,
                    qint16 interfaceId, const QDateTime &now) override;
    void SaveInToTag(QWidget &window) override;
    bool DataChanged(QWidget &window) override;
    bool SaveAuditTrailInfo(double documentId, const QString &documentNo, bool flag, const QString &action,
                            QWidget *window = nullptr) override;

private:
    using Contents = QHash<QString, QString>;
    static Contents contentsOf(QWidget &window);

    ConnectionPtr m_connection;
    qint16 m_companyId = 0;
    qint16 m_userId = 0;
    qint16 m_departmentId = 0;
    qint16 m_interfaceId = 0;
    QHash<QWidget *, Contents> m_recorded;
};

class DefaultGridLayout final : public clsGridLayout {
public:
    bool fnGridSettings(qint16 userId, qint16 companyId, FlexGrid &grid, ConnectionPtr &connection, bool apply) override;
    void SaveGridSettings(qint16 userId, qint16 companyId, FlexGrid &grid, ConnectionPtr &connection) override;
};

class DefaultFaultLog final : public clsFaultLog {
public:
    bool ErrorTrack(const QString &windowName, const QVariant &userName, const QString &procedureName,
                    qint32 errorNumber, const QString &source, const QString &description, const QString &mode,
                    bool flag) override;

    // The log file in the user's data folder.
    static QString logFilePath();
    // The session's connection and message-box title; set by the module when it is shown.
    static void configure(ConnectionPtr connection, QString title);
};

} // namespace kadu2217
