#pragma once

#include "services/reportdefinition.h"

#include "services/services.h"

#include <QHash>
#include <QPointer>
#include <QPrintPreviewDialog>
#include <QSizeF>
#include <QTextDocument>
#include <memory>

class QPagedPaintDevice;
class QPainter;
class QPaintDevice;

namespace kadu2217 {

// A report laid out for one paint device: the body flows over pages of the printable area
// less a footer band, where each page gets the definition's footer and "Page N of M".
class ReportPages {
public:
    // `printable` is the printable area in the device's pixels.
    ReportPages(const ReportContent &content, QPaintDevice &device, const QSizeF &printable);

    int pageCount() const { return m_pageCount; }
    const QTextDocument &document() const { return m_document; }
    // Paints page `page` (from 0) with the painter's origin at the printable area's corner.
    void paintPage(QPainter &painter, int page) const;

    static QString pageNumberText(int page, int pageCount);

private:
    QTextDocument m_document;
    QString m_footer;
    QFont m_font;
    QSizeF m_printable;
    qreal m_bodyHeight = 0;
    qreal m_footerHeight = 0;
    int m_pageCount = 0;
};

// Prints every page on a printer or a PDF writer, in the layout the device has; returns the
// number of pages.
int printReport(const ReportContent &content, QPagedPaintDevice &device);
// Writes every page to a PDF file; returns the number of pages.
int writePdf(const ReportContent &content, const QString &fileName, const QString &title);

// The module's own report engine: our definition files, read through the session connection.
class DefaultReportEngine final : public clsReportEngine {
public:
    ~DefaultReportEngine() override;

    void LogOnServer(const QString &driverFile, const QString &server, const QString &database, const QString &user,
                     const QString &password) override;
    void OpenReport(const QString &definitionFile) override;
    void SetPreviewSwitch(int dispatchId, bool on) override;
    void SetParameter(int position, const QVariant &value, int valueType = 0) override;
    void SetParameterField(int index, const QString &text) override;
    void Preview(const QString &title, int left, int top, int width, int height, qint32 style) override;
    void ExportPdf(const QString &fileName) override;
    int RecordsPrinted() override { return m_content ? m_content->records : 0; }
    // Known once the preview has painted its pages.
    int PageCount() override { return *m_pageCount; }

    // The last run's content and preview window, for whoever looks closer (tests).
    const ReportContent *content() const { return m_content.get(); }
    QPrintPreviewDialog *previewWindow() const { return m_preview; }

private:
    void run();

    std::unique_ptr<ReportDefinition> m_definition;
    ReportParameters m_parameters;
    QHash<int, QString> m_fields;
    QHash<int, bool> m_switches;
    std::unique_ptr<ReportContent> m_content;
    QPointer<QPrintPreviewDialog> m_preview;
    std::shared_ptr<int> m_pageCount = std::make_shared<int>(0);
};

} // namespace kadu2217
