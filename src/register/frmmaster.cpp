#include "register/frmmaster.h"

#include "controls/busycursor.h"
#include "controls/combobox.h"
#include "controls/flexgrid.h"
#include "controls/focusnext.h"
#include "controls/messagebox.h"
#include "controls/twips.h"
#include "controls/vbkeys.h"
#include "db/recordset.h"
#include "db/servicetables.h"
#include "db/tables.h"
#include "db/values.h"
#include "register/registerquery.h"
#include "reports/frmprint.h"
#include "shell/reporterror.h"
#include "shell/session.h"

#include <QCloseEvent>
#include <QFrame>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <cmath>

namespace kadu2217 {
namespace {

const QString kWindow = QStringLiteral("FrmMaster");
constexpr int kGridWidthTwips = 14265;
constexpr int kScrollBarTwips = 315;
constexpr int kTwipsPerCharacter = 130;
constexpr int kIdColumn = 0;
constexpr int kCostingDoneColumn = 7;
constexpr VbColor kRed = 0x0000FF;
constexpr VbColor kCyan = 0xFFFF00;

QPushButton *commandButton(QWidget *parent, const QString &name, const QString &caption, int left, int top)
{
    auto *button = placeControl<QPushButton>(parent, name, {left, top, 1700, 540}, caption);
    button->setAutoDefault(false);
    return button;
}

} // namespace

FrmMaster::FrmMaster(ModuleContext &context, QWidget *parent) : QDialog(parent), m_context(context)
{
    setObjectName(kWindow);
    buildControls();
}

FrmMaster::~FrmMaster() = default;

void FrmMaster::buildControls()
{
    setWindowTitle(QStringLiteral("Local Purchase Costing"));
    setWindowFlag(Qt::WindowMaximizeButtonHint);
    setSizeGripEnabled(true);
    setFormSizeTwips(this, 14400, 8790, true);

    m_flexMaster = placeControl<FlexGrid>(this, QStringLiteral("FlexMaster"), {60, 60, 14265, 7425});
    m_fraBrowse = placeControl<QGroupBox>(this, QStringLiteral("fraBrowse"), {75, 7470, 14265, 660}, QStringLiteral("Browse"));
    m_lblsearch = placeControl<QLabel>(m_fraBrowse, QStringLiteral("lblsearch"), {135, 240, 810, 195}, QStringLiteral("&Search On:"));
    m_cboSearch = placeControl<ComboBox>(m_fraBrowse, QStringLiteral("cboSearch"), {990, 180, 3500, 315});
    m_lblsearch->setBuddy(m_cboSearch);
    m_txtsearch = placeControl<QLineEdit>(m_fraBrowse, QStringLiteral("txtsearch"), {4575, 180, 3500, 315});
    m_txtsearch->setMaxLength(50);
    m_picture1 = placeControl<QFrame>(m_fraBrowse, QStringLiteral("Picture1"), {8130, 180, 2500, 315});
    m_picture1->setFrameShape(QFrame::NoFrame);
    m_optAscend = placeControl<QRadioButton>(m_picture1, QStringLiteral("optAscend"), {30, 0, 1050, 285}, QStringLiteral("Ascending"));
    m_optDescend = placeControl<QRadioButton>(m_picture1, QStringLiteral("optDescend"), {1275, 0, 1150, 285}, QStringLiteral("Descending"));
    m_cboColNames = placeControl<ComboBox>(m_fraBrowse, QStringLiteral("cboColNames"), {10695, 180, 3500, 315});

    m_cmdnew = commandButton(this, QStringLiteral("cmdnew"), QStringLiteral("&New"), 60, 8175);
    m_cmdEdit = commandButton(this, QStringLiteral("CmdEdit"), QStringLiteral("&Edit"), 1755, 8175);
    m_cmdDelete = commandButton(this, QStringLiteral("CmdDelete"), QStringLiteral("&Delete"), 3450, 8175);
    m_cmdPreview = commandButton(this, QStringLiteral("cmdPreview"), QStringLiteral("Pre&view"), 5160, 8175);
    m_cmdPrint = commandButton(this, QStringLiteral("cmdPrint"), QStringLiteral("&Print"), 6870, 8175);
    m_cmdClose = commandButton(this, QStringLiteral("cmdClose"), QStringLiteral("&Close"), 12630, 8175);
    // A larger window gives the grid the room; the search and the buttons stay below it.
    m_anchors.anchor(m_flexMaster, FormAnchors::Left | FormAnchors::Top | FormAnchors::Right | FormAnchors::Bottom);
    m_anchors.anchor(m_fraBrowse, FormAnchors::Left | FormAnchors::Right | FormAnchors::Bottom);
    for (QPushButton *button : {m_cmdnew, m_cmdEdit, m_cmdDelete, m_cmdPreview, m_cmdPrint})
        m_anchors.anchor(button, FormAnchors::Left | FormAnchors::Bottom);
    m_anchors.anchor(m_cmdClose, FormAnchors::Right | FormAnchors::Bottom);
    setTabOrder(m_cmdnew, m_cmdEdit);
    setTabOrder(m_cmdEdit, m_cmdDelete);
    setTabOrder(m_cmdDelete, m_cmdPreview);
    setTabOrder(m_cmdPreview, m_cmdPrint);
    setTabOrder(m_cmdPrint, m_cmdClose);
    // Print offers the same report as Preview, so the same gates hold for both.
    m_cmdPreview->installEventFilter(this);

    connect(m_cmdnew, &QPushButton::clicked, this, [this] { runHandler(m_context, kWindow, QStringLiteral("cmdNew_Click"), [this] { cmdnew_Click(); }); });
    // Edit reports its own failures: it is also reached from the grid's Enter and double-click.
    connect(m_cmdEdit, &QPushButton::clicked, this, [this] { CmdEdit_Click(); });
    connect(m_flexMaster, &FlexGrid::dblClick, this, [this] {
        runHandler(m_context, kWindow, QStringLiteral("flexMaster_DblClick"), [this] {
            if (m_cmdEdit->isEnabled())
                CmdEdit_Click();
        });
    });
    connect(m_cmdDelete, &QPushButton::clicked, this, [this] { CmdDelete_Click(); });
    connect(m_flexMaster, &FlexGrid::keyDown, this, [this](int keyCode, Qt::KeyboardModifiers) {
        runHandler(m_context, kWindow, QStringLiteral("flexMaster_KeyDown"), [this, keyCode] {
            if (keyCode == VbKey::Delete && m_cmdDelete->isEnabled())
                CmdDelete_Click();
        });
    });
    connect(m_flexMaster, &FlexGrid::keyPress, this, [this](int &keyAscii) {
        runHandler(m_context, kWindow, QStringLiteral("flexMaster_KeyPress"), [this, &keyAscii] {
            constexpr int enter = 13;
            constexpr int ctrlEnter = 10;
            if (keyAscii == enter && m_cmdEdit->isEnabled())
                CmdEdit_Click();
            else if (keyAscii == ctrlEnter && m_cmdnew->isEnabled())
                cmdnew_Click();
        });
    });
    connect(m_cmdPreview, &QPushButton::clicked, this, [this] {
        runHandler(m_context, kWindow, QStringLiteral("cmdPreview_Click"), [this] { cmdPreview_Click(); });
    });
    connect(m_cmdPrint, &QPushButton::clicked, this, [this] {
        runHandler(m_context, kWindow, QStringLiteral("cmdPrint_Click"), [this] { cmdPrint_Click(); });
    });
    connect(m_cmdClose, &QPushButton::clicked, this, [this] { runHandler(m_context, kWindow, QStringLiteral("cmdClose_Click"), [this] { cmdClose_Click(); }); });
    connect(m_flexMaster, &FlexGrid::rowColChange, this, [this] {
        runHandler(m_context, kWindow, QStringLiteral("FlexMaster_RowColChange"), [this] { FlexMaster_RowColChange(); });
    });
    connect(m_flexMaster, &FlexGrid::enterCell, this, [this] { runHandler(m_context, kWindow, QStringLiteral("FlexMaster_EnterCell"), [this] { gateOnEnterCell(); }); });
    connect(m_flexMaster, &FlexGrid::clicked, this, [this] { runHandler(m_context, kWindow, QStringLiteral("FlexMaster_Click"), [this] { gateOnClick(); }); });
    connect(m_flexMaster, &FlexGrid::selChange, this, [this] {
        runHandler(m_context, kWindow, QStringLiteral("flexMaster_SelChange"), [this] { FlexMaster_SelChange(); });
    });
    connect(m_flexMaster, &FlexGrid::mouseMove, this, [this] {
        runHandler(m_context, kWindow, QStringLiteral("FlexMaster_MouseMove"), [this] { FlexMaster_MouseMove(); });
    });
    connect(m_cboColNames, &ComboBox::click, this, [this] {
        runHandler(m_context, kWindow, QStringLiteral("cboColNames_Click"), [this] { cboColNames_Click(); });
    });
    connect(m_optAscend, &QRadioButton::clicked, this, [this] {
        runHandler(m_context, kWindow, QStringLiteral("optAscend_Click"), [this] { optDirection_Click(); });
    });
    connect(m_optDescend, &QRadioButton::clicked, this, [this] {
        runHandler(m_context, kWindow, QStringLiteral("optDescend_Click"), [this] { optDirection_Click(); });
    });
    for (QWidget *control : {static_cast<QWidget *>(m_cboColNames), static_cast<QWidget *>(m_cboSearch),
                             static_cast<QWidget *>(m_optAscend), static_cast<QWidget *>(m_optDescend),
                             static_cast<QWidget *>(m_txtsearch)})
        control->installEventFilter(this);
    auto *toGrid = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_D), this);
    connect(toGrid, &QShortcut::activated, this, [this] {
        runHandler(m_context, kWindow, QStringLiteral("Form_KeyPress"), [this] { m_flexMaster->setFocus(); });
    });
}

bool FrmMaster::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_cmdPreview) {
        if (event->type() == QEvent::EnabledChange)
            m_cmdPrint->setEnabled(m_cmdPreview->isEnabled());
        return QDialog::eventFilter(watched, event);
    }
    if (watched == m_txtsearch && event->type() == QEvent::KeyRelease) {
        runHandler(m_context, kWindow, QStringLiteral("txtsearch_KeyUp"), [this] { txtsearch_KeyUp(); });
        // The box's own handling of a release only starts its cursor blinking again, as the key
        // press did already; on a large register it was a fifth of a search keystroke.
        return true;
    }
    if (event->type() != QEvent::KeyPress || vbKeyAscii(static_cast<QKeyEvent *>(event)) != VbKey::Return)
        return QDialog::eventFilter(watched, event);
    // Enter moves on as Tab does in the search and sort controls.
    const QString procedure = watched->objectName() + QStringLiteral("_KeyPress");
    runHandler(m_context, kWindow, procedure, [watched] { focusNextControl(static_cast<QWidget *>(watched)); });
    return true;
}

void FrmMaster::showModal()
{
    Form_Load();
    exec();
}

void FrmMaster::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!m_activatedSinceShow) {
        m_activatedSinceShow = true;
        Form_Activate();
        // Opening on the grid would let Enter edit the last costing at once; the tab order
        // begins with New.
        if (m_cmdnew->isEnabled())
            m_cmdnew->setFocus(Qt::TabFocusReason);
        else
            focusNextControl(m_cmdnew);
    }
}

void FrmMaster::Form_Load()
{
    m_activatedSinceShow = false;
    m_loaded = true;
    m_strUserRights.clear();
    m_grantedRights.clear();
    m_cmdnew->setEnabled(false);
    m_cmdEdit->setEnabled(false);
    m_cmdDelete->setEnabled(false);
    m_cmdPreview->setEnabled(true);
    m_optAscend->setChecked(true);
    m_txtsearch->clear();
    m_flexMaster->clear();
    m_flexMaster->setRows(2);
    m_flexMaster->setCols(1);

    const BusyCursor busy(this);
    runHandler(m_context, kWindow, QStringLiteral("Form_Load "), [this] {
        SessionContext &s = m_context.session;
        ModuleState &m = m_context.state;
        objGeneral = createServiceAs<clsGeneral>(servicenames::General);
        objDatabase = createServiceAs<clsDatabase>(servicenames::Database);
        m.GIntInterfaceID = 2011;
        objDatabase->adocon = s.adocon;
        m.GObjFormTheme = createServiceAs<clsFormTheme>(servicenames::FormTheme);
        m.GObjFormTheme->ApplyFormTheme(*this);
        m.GObjAuditTrail = createServiceAs<clsAuditTrail>(servicenames::AuditTrail);
        m.GObjAuditTrail->OpenObject(s.adocon, s.intcompanyid, s.intUserID, s.intDepartmentId, m.GIntInterfaceID,
                                     QDateTime::currentDateTime());
        objDatabase->adocon = s.adocon;
        reportMissingServiceTables();

        const Aliases aliases = readAliases(*objDatabase, s.intcompanyid);
        m.GBlnAlias = aliases.renamed;
        if (aliases.renamed) {
            m.GStrAlias1 = aliases.shop;
            m.GStrAlias2 = aliases.godown;
        }
        m.GStrUserName = userName(*objDatabase, s.intUserID);
        m_dtFromDate = fnPopulateDate();
        m.GStrMasterTable = QStringLiteral("loalocalpurchasecostingheader");
        m.GStrMasterSql = registerQuery(s.intDepartmentId, m.GStrMasterTable, m_dtFromDate);
        GridPopulate(m.GStrMasterSql, m.GStrMasterTable);
        UserRights();
        m_flexMaster->setCellForeColor(VbSystemColor::WindowText);
        FlexMaster_SelChange();
    });
}

QDate FrmMaster::fnPopulateDate()
{
    const qint32 days = registerDays(*objDatabase, m_context.session.intcompanyid);
    return m_context.session.ProcessDate.addDays(-days).date();
}

void FrmMaster::GridPopulate(const QString &strSql, const QString &strTableMain)
{
    FlexGrid &grid = *m_flexMaster;
    const FlexGrid::BulkUpdate bulk(grid);
    m_searchOrder = {};

    grid.clear();
    grid.setFixedRows(1);
    grid.setFixedCols(0);
    grid.setColWidth(0, 960);
    grid.setCols(1);
    grid.setRows(2);

    // The grid is filled front to back only, so the rows need not be kept by the recordset.
    Recordset rs;
    rs.open(strSql, m_context.session.adocon, CursorType::ForwardOnly, LockType::ReadOnly);
    const int fields = rs.fieldCount();
    if (rs.eof())
        grid.setCols(fields);
    QVector<int> maxLen(fields + 1, 0);
    int record = 0;
    while (!rs.eof()) {
        ++record;
        if (record > 1)
            grid.setRows(grid.rows() + 1);
        else
            grid.setCols(fields);
        for (int c = 0; c < fields; ++c) {
            const QString text = value::displayText(rs.value(c));
            grid.setTextMatrix(record, c, text.trimmed());
            if (record == 1)
                grid.setColAlignment(c, FlexAlign::LeftCenter);
            if (maxLen[c] < text.size())
                maxLen[c] = int(text.size());
        }
        rs.moveNext();
    }
    SetGridHeadings(strTableMain, maxLen);
    grid.setColWidth(0, 0);
    rs.close();
}

void FrmMaster::SetGridHeadings(const QString &strTableMain, QVector<int> &maxLen)
{
    const ModuleState &m = m_context.state;
    FlexGrid &grid = *m_flexMaster;
    m_cboColNames->clear();
    m_cboSearch->clear();

    Recordset rs;
    rs.open(captionQuery(strTableMain, m.GBlnAlias, m.GStrAlias1, m.GStrAlias2), m_context.session.adocon, CursorType::Keyset,
            LockType::Optimistic);
    int captionRows = 0;
    if (!rs.eof()) {
        captionRows = 1;
        rs.moveNext();
        for (int i = 1; !rs.eof(); ++i, ++captionRows) {
            const QString caption = value::displayText(rs.value(0));
            grid.setTextMatrix(0, i, caption);
            m_cboColNames->addItem(caption, i);
            m_cboSearch->addItem(caption, i);
            if (i >= maxLen.size())
                kadu2217::raise(errnum::SubscriptOutOfRange, QStringLiteral("Subscript out of range"));
            if (maxLen[i] < caption.size())
                maxLen[i] = int(caption.size());
            rs.moveNext();
        }
    }
    for (int c = 0; c < captionRows; ++c) {
        if (c >= maxLen.size() || c >= grid.cols())
            kadu2217::raise(errnum::SubscriptOutOfRange, QStringLiteral("Subscript out of range"));
        if (maxLen[c] * kTwipsPerCharacter > grid.colWidth(c))
            grid.setColWidth(c, maxLen[c] * kTwipsPerCharacter);
    }
    // Widths are summed in full: a wide register must not overflow.
    qint64 sum = 0;
    for (int c = 1; c < grid.cols(); ++c)
        sum += grid.colWidth(c);
    if (grid.cols() > 1 && kGridWidthTwips - kScrollBarTwips > sum) {
        const double extra = double(kGridWidthTwips - sum - kScrollBarTwips);
        const int perColumn = int(std::nearbyint(extra / double(grid.cols() - 1)));
        for (int c = 1; c < grid.cols(); ++c)
            grid.setColWidth(c, grid.colWidth(c) + perColumn);
    }
    rs.close();

    if (!m_context.state.missingServiceTables.contains(QString(tables::aGridLayout::table), Qt::CaseInsensitive)) {
        auto layout = createServiceAs<clsGridLayout>(servicenames::GridLayout);
        layout->fnGridSettings(m_context.session.intUserID, m_context.session.intcompanyid, grid, m_context.session.adocon, true);
    }

    MarkCancelledRows();

    const int last = grid.rows() - 1;
    grid.setRow(last);
    grid.setTopRow(last);
    grid.setCol(0);
    grid.setColSel(grid.cols() - 1);
}

void FrmMaster::MarkCancelledRows()
{
    gateAfterFill();
    FlexGrid &grid = *m_flexMaster;
    if (grid.cols() <= kCancelledColumn)
        return;
    for (int r = 1; r < grid.rows(); ++r) {
        if (grid.textMatrix(r, kCancelledColumn) != QLatin1String("Yes"))
            continue;
        FlexFlag.clear();
        paintRowRed(r);
    }
}

void FrmMaster::paintRowRed(int row)
{
    for (int c = 0; c < m_flexMaster->cols(); ++c)
        m_flexMaster->setCellForeColorAt(row, c, kRed);
}

// A database the module was not set up on still opens; the user learns at once what will not
// work and what puts it right.
void FrmMaster::reportMissingServiceTables()
{
    QStringList &missing = m_context.state.missingServiceTables;
    missing = missingServiceTables(*m_context.session.adocon);
    if (missing.isEmpty())
        return;
    messageBox(QStringLiteral("This database has no %1 table for the costing module. Until a database administrator "
                              "runs \"localpurchcost init --odbc\" on it, column layouts are not kept, errors are "
                              "logged to the file only, and costings cannot be saved or cancelled.")
                   .arg(missing.join(QStringLiteral(", "))),
               MsgBoxStyle::OkOnly | MsgBoxStyle::Exclamation, m_context.session.MsgboxTitle, this);
}

void FrmMaster::UserRights()
{
    const SessionContext &s = m_context.session;
    const std::optional<QString> rights = readUserRights(s.adocon, s.intUserID, m_context.state.GIntInterfaceID);
    if (rights) {
        m_strUserRights = *rights;
        m_grantedRights.clear();
        gateAllFromRights();
    }
}

bool FrmMaster::fnUserRights(QString &strRights)
{
    bool granted = false;
    runHandler(m_context, kWindow, QStringLiteral("fnUserRights "), [&] {
        strRights = strRights.toUpper().trimmed();
        m_strUserRights = m_strUserRights.toUpper().trimmed();
        if (m_strUserRights == QLatin1String("ADMIN"))
            return;
        granted = !strRights.isEmpty() && m_strUserRights.contains(strRights);
    });
    return granted;
}

// The gating asks at every move of the current row, each keystroke of a search included; an
// answer depends on the rights alone, so it is kept until they are read again.
void FrmMaster::enableFrom(QPushButton *button, QString right)
{
    auto known = m_grantedRights.constFind(right);
    if (known == m_grantedRights.cend()) {
        const QString asked = right;
        known = m_grantedRights.insert(asked, fnUserRights(right));
    }
    setCommand(button, known.value());
}

// Commands are set at every move of the current row; one already in the state asked for is
// left alone, as setting it again costs Qt a pass over the button and its style.
void FrmMaster::setCommand(QPushButton *button, bool enabled)
{
    if (button->testAttribute(Qt::WA_ForceDisabled) == enabled)
        button->setEnabled(enabled);
}

bool FrmMaster::currentRowIdEmpty() const
{
    return m_flexMaster->textMatrix(m_flexMaster->row(), kIdColumn).isEmpty();
}

bool FrmMaster::currentRowFlag(int column) const
{
    return column < m_flexMaster->cols() && m_flexMaster->textMatrix(m_flexMaster->row(), column) == QLatin1String("Yes");
}

void FrmMaster::gateAllFromRights()
{
    enableFrom(m_cmdnew, QStringLiteral("N"));
    enableFrom(m_cmdEdit, QStringLiteral("E"));
    enableFrom(m_cmdDelete, QStringLiteral("D"));
    enableFrom(m_cmdPreview, QStringLiteral("P"));
    keepRowLimits();
}

// The placeholder row of an empty register names no costing: Edit and Delete would run their
// statements with an empty id, Enter and double-click follow Edit, and there is no report to
// show. A cancelled costing cannot be cancelled again.
void FrmMaster::keepRowLimits()
{
    if (currentRowIdEmpty()) {
        setCommand(m_cmdEdit, false);
        setCommand(m_cmdDelete, false);
        setCommand(m_cmdPreview, false);
    } else if (currentRowFlag(kCancelledColumn)) {
        setCommand(m_cmdDelete, false);
    }
}

void FrmMaster::gateAfterFill()
{
    if (currentRowIdEmpty()) {
        setCommand(m_cmdEdit, false);
        setCommand(m_cmdDelete, false);
    } else if (currentRowFlag(kCancelledColumn)) {
        setCommand(m_cmdDelete, false);
    } else {
        enableFrom(m_cmdEdit, QStringLiteral("E"));
        enableFrom(m_cmdDelete, QStringLiteral("D"));
    }
}

void FrmMaster::gateOnActivation()
{
    if (currentRowIdEmpty()) {
        setCommand(m_cmdEdit, false);
        setCommand(m_cmdDelete, false);
        return;
    }
    enableFrom(m_cmdEdit, QStringLiteral("E"));
    enableFrom(m_cmdDelete, QStringLiteral("D"));
    if (currentRowFlag(kCostingDoneColumn))
        setCommand(m_cmdDelete, false);
    keepRowLimits();
}

void FrmMaster::gateOnRowChange()
{
    if (m_flexMaster->rows() < 2 || m_flexMaster->textMatrix(1, kIdColumn).isEmpty()) {
        setCommand(m_cmdDelete, false);
        setCommand(m_cmdEdit, false);
        setCommand(m_cmdPreview, false);
        return;
    }
    if (m_flexMaster->textMatrix(m_flexMaster->row(), m_flexMaster->cols() - 1) == QLatin1String("Yes"))
        setCommand(m_cmdDelete, false);
    else
        enableFrom(m_cmdDelete, QStringLiteral("D"));
    enableFrom(m_cmdnew, QStringLiteral("N"));
    enableFrom(m_cmdEdit, QStringLiteral("E"));
    enableFrom(m_cmdPreview, QStringLiteral("P"));
    keepRowLimits();
}

void FrmMaster::gateOnEnterCell()
{
    if (currentRowFlag(kCostingDoneColumn))
        setCommand(m_cmdDelete, false);
    else
        enableFrom(m_cmdDelete, QStringLiteral("D"));
    enableFrom(m_cmdEdit, QStringLiteral("E"));
    keepRowLimits();
}

void FrmMaster::gateOnClick()
{
    if (!currentRowFlag(kCostingDoneColumn))
        return;
    setCommand(m_cmdDelete, false);
    enableFrom(m_cmdEdit, QStringLiteral("E"));
}

void FrmMaster::Form_Activate()
{
    if (!m_loaded)
        return;
    runHandler(m_context, kWindow, QStringLiteral("Form_Activate"), [this] {
        gateOnActivation();
        FlexFlag = QStringLiteral("Done");
        runHandler(m_context, kWindow, QStringLiteral("FlexMaster_RowColChange"), [this] { FlexMaster_RowColChange(); });
        runHandler(m_context, kWindow, QStringLiteral("FlexMaster_EnterCell"), [this] { gateOnEnterCell(); });
    });
}

void FrmMaster::FlexMaster_RowColChange()
{
    if (FlexFlag.isEmpty())
        return;
    gateOnRowChange();
    m_flexMaster->selectRow(m_flexMaster->row());
}

void FrmMaster::FlexMaster_SelChange()
{
    FlexGrid &grid = *m_flexMaster;
    if (grid.rowSel() != grid.row()) {
        grid.setForeColorSel(kCyan);
        return;
    }
    const VbColor own = grid.cellForeColor();
    if (own != VbSystemColor::WindowText && own != 0)
        grid.setForeColorSel(own);
    else
        grid.setForeColorSel(VbSystemColor::HighlightText);
}

void FrmMaster::FlexMaster_MouseMove()
{
    m_flexMaster->setToolTipText(m_flexMaster->textMatrix(m_flexMaster->mouseRow(), m_flexMaster->mouseCol()));
}

void FrmMaster::cmdClose_Click()
{
    unload();
}

void FrmMaster::reject()
{
    runHandler(m_context, kWindow, QStringLiteral("cmdClose_Click"), [this] { cmdClose_Click(); });
}

void FrmMaster::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    m_anchors.apply();
}

void FrmMaster::closeEvent(QCloseEvent *event)
{
    event->ignore();
    runHandler(m_context, kWindow, QStringLiteral("cmdClose_Click"), [this] { cmdClose_Click(); });
}

// Unloading keeps the user's column widths and order for the next time, then discards the
// window's contents; the module-wide state stays.
void FrmMaster::unload()
{
    const bool layoutsKept = !m_context.state.missingServiceTables.contains(QString(tables::aGridLayout::table), Qt::CaseInsensitive);
    if (m_loaded && layoutsKept && m_context.session.adocon && m_context.session.adocon->isOpen() && m_flexMaster->cols() > 1) {
        runHandler(m_context, kWindow, QStringLiteral("cmdClose_Click"), [this] {
            auto layout = createServiceAs<clsGridLayout>(servicenames::GridLayout);
            layout->SaveGridSettings(m_context.session.intUserID, m_context.session.intcompanyid, *m_flexMaster, m_context.session.adocon);
        });
    }
    m_loaded = false;
    m_report.reset();
    FlexFlag.clear();
    m_flexMaster->clear();
    m_flexMaster->setRows(2);
    m_flexMaster->setCols(1);
    m_cboColNames->clear();
    m_cboSearch->clear();
    done(QDialog::Rejected);
}

} // namespace kadu2217
