#include "services/reportengine.h"

#include "controls/messagebox.h"
#include "db/error.h"

#include <QAbstractTextDocumentLayout>
#include <QAction>
#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QScreen>
#include <QTextFrame>
#include <QToolBar>

namespace kadu2217 {
namespace {

constexpr qint32 kMaximised = 0x01000000;

} // namespace

ReportPages::ReportPages(const ReportContent &content, QPaintDevice &device, const QSizeF &printable)
    : m_footer(content.footer), m_font(content.page.font), m_printable(printable)
{
    m_document.documentLayout()->setPaintDevice(&device);
    m_document.setDefaultFont(content.page.font);
    m_document.setDocumentMargin(0);
    m_document.setHtml(content.html);
    const QFontMetricsF metrics(m_font, &device);
    m_footerHeight = metrics.height() * 2.5;
    m_bodyHeight = qMax<qreal>(printable.height() - m_footerHeight, metrics.height() * 4);
    m_document.setPageSize(QSizeF(printable.width(), m_bodyHeight));
    m_pageCount = m_document.pageCount();
}

QString ReportPages::pageNumberText(int page, int pageCount)
{
    return QStringLiteral("Page %1 of %2").arg(page).arg(pageCount);
}

void ReportPages::paintPage(QPainter &painter, int page) const
{
    painter.save();
    const QRectF body(0, page * m_bodyHeight, m_printable.width(), m_bodyHeight);
    painter.translate(0, -body.top());
    painter.setClipRect(body);
    QAbstractTextDocumentLayout::PaintContext context;
    context.clip = body;
    context.palette.setColor(QPalette::Text, Qt::black);
    m_document.documentLayout()->draw(&painter, context);
    painter.restore();

    painter.save();
    painter.setFont(m_font);
    painter.setPen(QPen(Qt::black, 0));
    const qreal top = m_printable.height() - m_footerHeight * 0.6;
    painter.drawLine(QPointF(0, top), QPointF(m_printable.width(), top));
    const QRectF band(0, top, m_printable.width(), m_printable.height() - top);
    painter.drawText(band, Qt::AlignLeft | Qt::AlignBottom, m_footer);
    painter.drawText(band, Qt::AlignRight | Qt::AlignBottom, pageNumberText(page + 1, m_pageCount));
    painter.restore();
}

int printReport(const ReportContent &content, QPagedPaintDevice &device)
{
    const QRectF printable = device.pageLayout().paintRectPixels(device.logicalDpiX());
    const ReportPages pages(content, device, printable.size());
    QPainter painter;
    if (!painter.begin(&device))
        raise(errnum::Unspecified, QStringLiteral("The report cannot be printed on this device."));
    for (int page = 0; page < pages.pageCount(); ++page) {
        if (page > 0)
            device.newPage();
        pages.paintPage(painter, page);
    }
    painter.end();
    return pages.pageCount();
}

int writePdf(const ReportContent &content, const QString &fileName, const QString &title)
{
    try {
        QPdfWriter writer(fileName);
        writer.setTitle(title);
        writer.setCreator(QStringLiteral("Local Purchase Costing"));
        writer.setPageLayout(content.page.layout());
        return printReport(content, writer);
    } catch (...) {
        // No half-written file is left behind.
        QFile::remove(fileName);
        throw;
    }
}

DefaultReportEngine::~DefaultReportEngine()
{
    // The preview lives as long as the object that opened it.
    if (m_preview) {
        m_preview->close();
        m_preview->deleteLater();
    }
}

void DefaultReportEngine::LogOnServer(const QString &, const QString &, const QString &, const QString &, const QString &)
{
    // The data is read through the session connection, whatever the report database.
}

void DefaultReportEngine::OpenReport(const QString &definitionFile)
{
    // Parameters may come before the file, as the suite's report control takes them.
    m_definition = std::make_unique<ReportDefinition>(ReportDefinition::read(definitionFile));
    m_content.reset();
    *m_pageCount = 0;
}

void DefaultReportEngine::SetPreviewSwitch(int dispatchId, bool on)
{
    // Our preview always offers zoom, page navigation, printing and PDF.
    m_switches.insert(dispatchId, on);
}

void DefaultReportEngine::SetParameter(int position, const QVariant &value, int valueType)
{
    constexpr int stringType = 12;
    m_parameters.set(position, value, valueType == stringType || value.typeId() == QMetaType::QString);
}

void DefaultReportEngine::SetParameterField(int index, const QString &text)
{
    m_fields.insert(index, text);
}

void DefaultReportEngine::run()
{
    if (!m_definition)
        raise(errnum::ObjectVariableNotSet, QStringLiteral("No report is open."));
    if (!adocon)
        raise(errnum::NotConnected, QStringLiteral("The report engine has no connection."));
    for (auto it = m_fields.cbegin(); it != m_fields.cend(); ++it)
        m_parameters.setField(it.value());
    m_content = std::make_unique<ReportContent>(runReport(*m_definition, m_parameters, adocon));
}

void DefaultReportEngine::Preview(const QString &title, int left, int top, int width, int height, qint32 style)
{
    run();
    if (m_preview) {
        m_preview->close();
        m_preview->deleteLater();
    }
    // A child of the modal window of the moment, so that the modal window does not block it.
    QWidget *owner = QApplication::activeModalWidget();
    if (!owner)
        owner = QApplication::activeWindow();
    auto *printer = new QPrinter(QPrinter::HighResolution);
    printer->setPageLayout(m_content->page.layout());
    printer->setDocName(title);
    auto *preview = new QPrintPreviewDialog(printer, owner, Qt::Window);
    QObject::connect(preview, &QObject::destroyed, [printer] { delete printer; });
    preview->setAttribute(Qt::WA_DeleteOnClose);
    preview->setWindowModality(Qt::NonModal);
    preview->setWindowTitle(title);
    const ReportContent content = *m_content;
    std::shared_ptr<int> pages = m_pageCount;
    QObject::connect(preview, &QPrintPreviewDialog::paintRequested, preview, [content, pages, preview, title](QPrinter *target) {
        try {
            *pages = printReport(content, *target);
        } catch (const Error &e) {
            messageBox(e.description(), MsgBoxStyle::Exclamation, title, preview);
        }
    });
    if (auto *toolBar = preview->findChild<QToolBar *>()) {
        toolBar->addSeparator();
        QAction *pdf = toolBar->addAction(QStringLiteral("Save as PDF"));
        pdf->setObjectName(QStringLiteral("savePdf"));
        QObject::connect(pdf, &QAction::triggered, preview, [preview, content, title] {
            const QString file = QFileDialog::getSaveFileName(preview, QStringLiteral("Save as PDF"), title + QStringLiteral(".pdf"),
                                                              QStringLiteral("PDF (*.pdf)"));
            if (file.isEmpty())
                return;
            try {
                writePdf(content, file, title);
            } catch (const Error &e) {
                messageBox(e.description(), MsgBoxStyle::Exclamation, title, preview);
            }
        });
    }
    if (width > 0 && height > 0)
        preview->setGeometry(left, top, width, height);
    else if (QScreen *screen = QGuiApplication::primaryScreen())
        preview->resize(screen->availableSize() * 0.8);
    m_preview = preview;
    if (style & kMaximised)
        preview->showMaximized();
    else
        preview->show();
    preview->raise();
    preview->activateWindow();
}

void DefaultReportEngine::ExportPdf(const QString &fileName)
{
    run();
    *m_pageCount = writePdf(*m_content, fileName, QFileInfo(fileName).completeBaseName());
}

} // namespace kadu2217
