#include "entry/frmcostpreview.h"

#include "controls/busycursor.h"
#include "shell/reporterror.h"

#include <QDoubleSpinBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QTableWidget>
#include <QVBoxLayout>

namespace kadu2217 {
namespace {

const QString kWindow = QStringLiteral("frmCostPreview");
const QString kThresholdKey = QStringLiteral("costPreview/thresholdPercent");
constexpr double kDefaultThreshold = 20.0;
const QColor kBeyondThreshold(255, 221, 170);

enum Column { ItemCode, Description, StockValued, CurrentCost, Quantity, CostedPrice, NewCost, Change, Note, Columns };

QSettings userSettings()
{
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("kadu2217"), QStringLiteral("localpurchcost"));
}

QTableWidgetItem *numberCell(std::optional<double> v, int decimals)
{
    auto *item = new QTableWidgetItem(v ? QLocale().toString(*v, 'f', decimals) : QString());
    item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    if (v)
        item->setData(Qt::UserRole, *v);
    return item;
}

} // namespace

frmCostPreview::frmCostPreview(ModuleContext &context, QWidget *parent) : QDialog(parent), m_context(context)
{
    setObjectName(kWindow);
    setWindowTitle(QStringLiteral("Cost Preview"));
    setModal(false);

    m_lblBill = new QLabel(this);
    m_lblBill->setObjectName(QStringLiteral("lblBill"));
    m_lblBill->setWordWrap(true);

    m_grdCostPreview = new QTableWidget(0, Columns, this);
    m_grdCostPreview->setObjectName(QStringLiteral("grdCostPreview"));
    m_grdCostPreview->setHorizontalHeaderLabels({QStringLiteral("Item Code"), QStringLiteral("Description"),
                                                 QStringLiteral("Stock Valued"), QStringLiteral("Current Cost"),
                                                 QStringLiteral("Quantity"), QStringLiteral("Costed Price"),
                                                 QStringLiteral("New Cost"), QStringLiteral("Change %"), QStringLiteral("Note")});
    m_grdCostPreview->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grdCostPreview->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grdCostPreview->verticalHeader()->setVisible(false);
    m_grdCostPreview->horizontalHeader()->setStretchLastSection(true);

    auto *thresholdCaption = new QLabel(QStringLiteral("&Highlight changes over"), this);
    m_txtThreshold = new QDoubleSpinBox(this);
    m_txtThreshold->setObjectName(QStringLiteral("txtThreshold"));
    m_txtThreshold->setRange(0, 1000);
    m_txtThreshold->setDecimals(1);
    m_txtThreshold->setSuffix(QStringLiteral(" % of the current cost"));
    m_txtThreshold->setValue(savedThreshold());
    thresholdCaption->setBuddy(m_txtThreshold);

    m_cmdClose = new QPushButton(QStringLiteral("&Close"), this);
    m_cmdClose->setObjectName(QStringLiteral("cmdClosePreview"));

    auto *bottom = new QHBoxLayout;
    bottom->addWidget(thresholdCaption);
    bottom->addWidget(m_txtThreshold);
    bottom->addStretch();
    bottom->addWidget(m_cmdClose);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_lblBill);
    layout->addWidget(m_grdCostPreview);
    layout->addLayout(bottom);
    resize(1000, 480);

    connect(m_cmdClose, &QPushButton::clicked, this, &QDialog::close);
    connect(m_txtThreshold, qOverload<double>(&QDoubleSpinBox::valueChanged), this, [this](double percent) {
        runHandler(m_context, kWindow, QStringLiteral("txtThreshold_Change"), [this, percent] {
            userSettings().setValue(kThresholdKey, percent);
            highlight();
        });
    });
}

double frmCostPreview::savedThreshold()
{
    bool ok = false;
    const double percent = userSettings().value(kThresholdKey, kDefaultThreshold).toDouble(&ok);
    return ok && percent >= 0 ? percent : kDefaultThreshold;
}

void frmCostPreview::showPreview(clsDatabase &lookups, const CostingToSave &costing)
{
    {
        const BusyCursor busy(parentWidget() ? parentWidget() : this);
        m_lines = previewCosting(lookups, costing);
    }
    m_lblBill->setText(QStringLiteral("Bill %1: the cost each item would have if the costing were saved now%2. "
                                      "OK works the costs out again when it saves.")
                           .arg(costing.purchaseNo, costing.costFix ? QStringLiteral(" and fixed into the item master") : QString()));
    fill();
    show();
    raise();
}

void frmCostPreview::fill()
{
    QTableWidget &grid = *m_grdCostPreview;
    grid.setUpdatesEnabled(false);
    grid.setRowCount(0);
    grid.setRowCount(int(m_lines.size()));
    for (int r = 0; r < m_lines.size(); ++r) {
        const CostPreviewLine &line = m_lines[r];
        grid.setItem(r, ItemCode, new QTableWidgetItem(line.itemCode));
        grid.setItem(r, Description, new QTableWidgetItem(line.description));
        const auto shown = [&line](double v) { return line.priced ? std::optional<double>(v) : std::nullopt; };
        grid.setItem(r, StockValued, numberCell(shown(line.valuedStock), 3));
        grid.setItem(r, CurrentCost, numberCell(line.priced ? line.currentCost : std::nullopt, 4));
        grid.setItem(r, Quantity, numberCell(shown(line.quantity), 3));
        grid.setItem(r, CostedPrice, numberCell(shown(line.costedPrice), 4));
        grid.setItem(r, NewCost, numberCell(shown(line.newCost), 4));
        grid.setItem(r, Change, numberCell(line.changePercent(), 2));
        grid.setItem(r, Note, new QTableWidgetItem(line.note()));
    }
    highlight();
    grid.resizeColumnsToContents();
    grid.setUpdatesEnabled(true);
}

void frmCostPreview::highlight()
{
    QTableWidget &grid = *m_grdCostPreview;
    const double threshold = m_txtThreshold->value();
    for (int r = 0; r < m_lines.size() && r < grid.rowCount(); ++r) {
        const QBrush background = m_lines[r].beyond(threshold) ? QBrush(kBeyondThreshold) : QBrush();
        for (int c = 0; c < Columns; ++c) {
            if (QTableWidgetItem *item = grid.item(r, c))
                item->setBackground(background);
        }
    }
}

} // namespace kadu2217
