#pragma once

#include <kadu2217/connection.h>
#include <kadu2217/error.h>

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <memory>

class QLineEdit;
class QWidget;

namespace kadu2217 {

class ComboBox;
class FlexGrid;
class ListView;

// The suite's service components. The module creates each one by its programmatic name
// ("BaseServices.clsDatabase", ...) through the registry below; code linked with the layers
// (tests, the host program) may register its own implementation under a name before it shows
// the module. They take the module's own controls, so they are not part of the public API.
class Service {
public:
    virtual ~Service() = default;
};

// Table lookups and list filling, on the connection held in `adocon`.
class clsDatabase : public Service {
public:
    ConnectionPtr adocon;
    // What follows "from": a table, a join list, or a table with its "where" condition.
    QString strTableName;

    // The field expression's value in the first selected row; NULL when no row is selected.
    virtual QVariant fnreturnfield(const QString &field) = 0;
    virtual QVariant fnreturnfield(const QString &field, const QString &condition) = 0;
    // One list item per row: the first field is the item text, the others its sub-items.
    virtual void PopulateListview(ListView &listView, QString &tableText, QString &condition,
                                  const QStringList &fields) = 0;
    // Replaces the entries of `control`: text from `textField`, item data from `valueField`.
    virtual void populatecomboorlist(ComboBox &control, const QString &valueField, const QString &textField) = 0;
};

// User-interface services.
class clsGeneral : public Service {
public:
    // Selects the entry whose item data is `value`, raising the combo's click as a user's choice does.
    virtual void SelectComboItemByValue(ComboBox &control, qint32 value) = 0;
    // Filters one key press for numeric entry; sets keyAscii to 0 to discard it.
    virtual void textvalidatenum(QLineEdit &textBox, int &keyAscii, int maxDigits, int maxDecimals) = 0;
};

class clsFormTheme : public Service {
public:
    virtual void ApplyFormTheme(QWidget &window) = 0;
};

class clsAuditTrail : public Service {
public:
    QDateTime LoggedTime;
    // Why a document was deleted: stored with the next record, then cleared.
    QString Reason;

    virtual void OpenObject(ConnectionPtr &connection, qint16 companyId, qint16 userId, qint16 departmentId,
                            qint16 interfaceId, const QDateTime &now) = 0;
    virtual void SaveInToTag(QWidget &window) = 0;
    virtual bool DataChanged(QWidget &window) = 0;
    // Writes one audit record on the connection given to OpenObject (so inside its transaction).
    virtual bool SaveAuditTrailInfo(double documentId, const QString &documentNo, bool flag,
                                    const QString &action, QWidget *window = nullptr) = 0;
};

class clsGridLayout : public Service {
public:
    // Applies the user's stored column order and widths; true when a layout was stored.
    virtual bool fnGridSettings(qint16 userId, qint16 companyId, FlexGrid &grid, ConnectionPtr &connection,
                                bool apply) = 0;
    // Stores the grid's current column order and widths for the user.
    virtual void SaveGridSettings(qint16 userId, qint16 companyId, FlexGrid &grid, ConnectionPtr &connection) = 0;
};

class clsFaultLog : public Service {
public:
    virtual bool ErrorTrack(const QString &windowName, const QVariant &userName, const QString &procedureName,
                            qint32 errorNumber, const QString &source, const QString &description,
                            const QString &mode, bool flag) = 0;
};

// A report engine: opens a report definition, takes its parameters, reads the report's data
// itself and shows the result in a preview window of its own, or writes it to a file.
class clsReportEngine : public Service {
public:
    // Where the module's own engine reads the report's data; an engine that connects with
    // the log-on values may leave it unused.
    ConnectionPtr adocon;

    virtual void LogOnServer(const QString &driverFile, const QString &server, const QString &database,
                             const QString &user, const QString &password) = 0;
    // Every later call works on the report opened last; a definition that cannot be read fails.
    virtual void OpenReport(const QString &definitionFile) = 0;
    // One display switch of the preview window, by the suite engine's number for it.
    virtual void SetPreviewSwitch(int dispatchId, bool on) = 0;
    // A parameter by its position, counted from 1; value type 12 marks a text.
    virtual void SetParameter(int position, const QVariant &value, int valueType = 0) = 0;
    // A named parameter written "name;value;true", at its index counted from 0.
    virtual void SetParameterField(int index, const QString &text) = 0;
    // Runs the report into a non-modal preview window and returns at once. A width or height
    // of 0 leaves the window its size; the style's maximise bit (0x01000000) opens it maximised.
    virtual void Preview(const QString &title, int left, int top, int width, int height, qint32 style) = 0;
    // Runs the report into a PDF file, without a window.
    virtual void ExportPdf(const QString &fileName) = 0;
    // After a run: the detail records the report produced (0 when it produced nothing).
    virtual int RecordsPrinted() = 0;
    // After a run: its number of pages.
    virtual int PageCount() = 0;
};

using ServiceFactory = std::function<std::shared_ptr<Service>()>;

// Names compare without regard to case, as programmatic names do.
void registerService(const QString &name, ServiceFactory factory);
// Fails with error 429 for a name that is not registered.
std::shared_ptr<Service> createService(const QString &name);

template <typename T>
std::shared_ptr<T> createServiceAs(const QString &name)
{
    auto service = std::dynamic_pointer_cast<T>(createService(name));
    if (!service)
        throw Error(errnum::ActiveXCannotCreate, QStringLiteral("ActiveX component can't create object: %1").arg(name));
    return service;
}

namespace servicenames {
inline const QString Database = QStringLiteral("BaseServices.clsDatabase");
inline const QString General = QStringLiteral("BaseServices.clsGeneral");
inline const QString FormTheme = QStringLiteral("FormTheme.clsFormTheme");
inline const QString AuditTrail = QStringLiteral("AuditTrail.clsAuditTrail");
inline const QString GridLayout = QStringLiteral("GridLayout.clsGridLayout");
inline const QString FaultLog = QStringLiteral("FaultLog.clsFaultLog");
// The costing report's engine and the bill preview's report control: one engine, two names.
inline const QString ReportApplication = QStringLiteral("Crystal.CRPE.Application");
inline const QString ReportControl = QStringLiteral("Crystal.CrystalReport");
}

} // namespace kadu2217
