#include "entry/frmlocalpurchasecosting.h"

#include "controls/combobox.h"
#include "controls/flexgrid.h"
#include "controls/focusnext.h"
#include "controls/messagebox.h"
#include "controls/twips.h"
#include "controls/vbcolor.h"
#include "controls/vbkeys.h"
#include "db/error.h"
#include "db/values.h"
#include "entry/columnsettings.h"
#include "entry/entryquery.h"
#include "entry/frmcostpreview.h"
#include "shell/reporterror.h"
#include "shell/required.h"
#include "shell/session.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>

namespace kadu2217 {
namespace {

const QString kWindow = QStringLiteral("frmlocalpurchasecosting");
const QString kShopCaption = QStringLiteral("&Shop:");
constexpr VbColor kLightYellow = 0x00C0FFFF;
constexpr int kRemarksLength = 240;
// The save reads the quantity, both prices and the item id from fixed columns.
constexpr int kItemGridColumns = 7;

void paintInputBackground(QWidget *control, VbColor color)
{
    QPalette palette = control->palette();
    palette.setColor(QPalette::Base, vbColorToQColor(color));
    palette.setColor(QPalette::Button, vbColorToQColor(color));
    control->setPalette(palette);
}

// An alias caption may be longer than the one drawn: it grows to the right as far as the
// control it names.
void fitCaptionBefore(QLabel *label, const QWidget *named)
{
    label->resize(qMin(qMax(label->width(), label->sizeHint().width()), named->x() - label->x()), label->height());
}

QLabel *captionLabel(QWidget *parent, const QString &name, const QString &caption, int left, int top, int width,
                     int height)
{
    auto *label = placeControl<QLabel>(parent, name, {left, top, width, height}, caption);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

} // namespace

frmlocalpurchasecosting::frmlocalpurchasecosting(ModuleContext &context, QWidget *parent) : QDialog(parent), m_context(context)
{
    setObjectName(kWindow);
    buildControls();
    restoreDesignState();
}

frmlocalpurchasecosting::~frmlocalpurchasecosting() = default;

void frmlocalpurchasecosting::buildControls()
{
    setWindowTitle(QStringLiteral("Local Purchase Costing"));
    setWindowFlag(Qt::WindowMaximizeButtonHint);
    setSizeGripEnabled(true);
    setFormSizeTwips(this, 13815, 8280, true);

    // Created in tab order, so that the focus chain is that order from the start.
    m_lblShop = captionLabel(this, QStringLiteral("lblShop"), kShopCaption, 75, 150, 465, 195);
    m_cboShop = placeControl<ComboBox>(this, QStringLiteral("cboShop"), {1275, 90, 3300, 315});

    m_lbldepartment = captionLabel(this, QStringLiteral("lbldepartment"), QStringLiteral("Department:"), 5670, 150, 870, 195);
    m_cboDepartmentName = placeControl<ComboBox>(this, QStringLiteral("cboDepartmentName"), {6630, 90, 4050, 315});
    paintInputBackground(m_cboDepartmentName, kLightYellow);

    m_label3 = captionLabel(this, QStringLiteral("Label3"), QStringLiteral("D&ate:"), 11055, 105, 510, 210);
    m_lbldate = captionLabel(this, QStringLiteral("lbldate"), QString(), 11670, 90, 1995, 285);
    m_lbldate->setAutoFillBackground(true);
    m_lbldate->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    m_lbldate->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_lbldate->setIndent(4);
    QPalette datePalette = m_lbldate->palette();
    datePalette.setColor(QPalette::Window, vbColorToQColor(VbSystemColor::WindowBackground));
    m_lbldate->setPalette(datePalette);

    m_lblPurchNo = captionLabel(this, QStringLiteral("lblPurchNo"), QStringLiteral("&Purchase No:"), 75, 570, 975, 195);
    m_cboPurchNo = placeControl<ComboBox>(this, QStringLiteral("cboPurchNo"), {1275, 510, 3300, 315});

    m_cmdPurchaseNoPreview = placeControl<QPushButton>(this, QStringLiteral("cmdPurchaseNoPreview"), {4590, 510, 315, 315});
    m_cmdPurchaseNoPreview->setIcon(style()->standardIcon(QStyle::SP_FileDialogContentsView));
    m_cmdPurchaseNoPreview->setIconSize(QSize(formTwipsToPixelsX(255, this), formTwipsToPixelsY(255, this)));
    m_cmdPurchaseNoPreview->setToolTip(QStringLiteral("Preview"));

    m_fraSplit = placeControl<QGroupBox>(this, QStringLiteral("fraSplit"), {45, 990, 13725, 6135}, QStringLiteral("&Local Purchase Details"));
    m_mfgSplitDetails = placeControl<FlexGrid>(m_fraSplit, QStringLiteral("mfgSplitDetails"), {135, 240, 13470, 5760});
    m_txtcostprice = placeControl<QLineEdit>(m_fraSplit, QStringLiteral("txtcostprice"), {3285, 2100, 2190, 375});

    m_label5 = captionLabel(this, QStringLiteral("Label5"), QStringLiteral("&Remarks:"), 75, 7335, 675, 195);
    m_txtremarks = placeControl<QLineEdit>(this, QStringLiteral("txtremarks"), {840, 7275, 12870, 315});
    m_txtremarks->setMaxLength(kRemarksLength);
    paintInputBackground(m_txtremarks, kLightYellow);

    m_chkFix = placeControl<QCheckBox>(this, QStringLiteral("chkFix"), {75, 7875, 1500, 330}, QStringLiteral("Cost &Fix"));
    // Beside Cost Fix, in space no other control uses.
    m_cmdCostPreview = placeControl<QPushButton>(this, QStringLiteral("cmdCostPreview"), {1650, 7830, 1700, 405},
                                                 QStringLiteral("Cost Pre&view"));
    m_cmdCostPreview->setToolTip(QStringLiteral("What saving would do to each item's cost"));

    m_cmdok = placeControl<QPushButton>(this, QStringLiteral("cmdok"), {11340, 7665, 1170, 510}, QStringLiteral("&Ok"));
    m_cmdClose = placeControl<QPushButton>(this, QStringLiteral("cmdClose"), {12525, 7665, 1170, 510}, QStringLiteral("&Close"));

    // A larger window gives the item grid the room; the date keeps to the right edge, the
    // remarks and the commands to the bottom.
    for (QWidget *control : {static_cast<QWidget *>(m_label3), static_cast<QWidget *>(m_lbldate)})
        m_anchors.anchor(control, FormAnchors::Right | FormAnchors::Top);
    m_anchors.anchor(m_fraSplit, FormAnchors::Left | FormAnchors::Top | FormAnchors::Right | FormAnchors::Bottom);
    m_anchors.anchor(m_mfgSplitDetails, FormAnchors::Left | FormAnchors::Top | FormAnchors::Right | FormAnchors::Bottom);
    for (QWidget *control : {static_cast<QWidget *>(m_label5), static_cast<QWidget *>(m_chkFix), static_cast<QWidget *>(m_cmdCostPreview)})
        m_anchors.anchor(control, FormAnchors::Left | FormAnchors::Bottom);
    m_anchors.anchor(m_txtremarks, FormAnchors::Left | FormAnchors::Right | FormAnchors::Bottom);
    for (QWidget *control : {static_cast<QWidget *>(m_cmdok), static_cast<QWidget *>(m_cmdClose)})
        m_anchors.anchor(control, FormAnchors::Right | FormAnchors::Bottom);

    const QList<QWidget *> tabOrder = {m_cboShop, m_cboDepartmentName, m_cboPurchNo, m_cmdPurchaseNoPreview,
                                       m_mfgSplitDetails, m_txtcostprice, m_txtremarks, m_chkFix, m_cmdCostPreview, m_cmdok, m_cmdClose};
    for (int i = 1; i < tabOrder.size(); ++i)
        setTabOrder(tabOrder[i - 1], tabOrder[i]);
    m_lblShop->setBuddy(m_cboShop);
    // The date is shown, not entered: its caption leads on to the next list in tab order.
    m_label3->setBuddy(m_cboPurchNo);
    m_lblPurchNo->setBuddy(m_cboPurchNo);
    m_label5->setBuddy(m_txtremarks);
    for (QLabel *label : {m_lblShop, m_label3, m_lblPurchNo, m_label5})
        label->installEventFilter(this);
    for (QWidget *control : {static_cast<QWidget *>(m_txtcostprice), static_cast<QWidget *>(m_txtremarks),
                             static_cast<QWidget *>(m_chkFix)})
        control->installEventFilter(this);

    connect(m_cboShop, &ComboBox::click, this, [this] { runHandler(m_context, kWindow, QStringLiteral("cboshop_Click"), [this] { cboShop_Click(); }); });
    connect(m_cboPurchNo, &ComboBox::click, this, [this] {
        runHandler(m_context, kWindow, QStringLiteral("cboPurchNo_Click "), [this] { cboPurchNo_Click(); });
    });
    connect(m_cboShop, &ComboBox::keyPress, this, [this](int &keyAscii) { keyPressMovingOn(QStringLiteral("cboshop_KeyPress"), keyAscii); });
    connect(m_cboPurchNo, &ComboBox::keyPress, this,
            [this](int &keyAscii) { keyPressMovingOn(QStringLiteral("cboPurchNo_KeyPress"), keyAscii); });
    connect(m_mfgSplitDetails, &FlexGrid::mouseMove, this, [this] {
        runHandler(m_context, kWindow, QStringLiteral("mfgSplitDetails_MouseMove"), [this] { mfgSplitDetails_MouseMove(); });
    });
    connect(m_cmdCostPreview, &QPushButton::clicked, this, [this] {
        runHandler(m_context, kWindow, QStringLiteral("cmdCostPreview_Click"), [this] { cmdCostPreview_Click(); });
    });
    connect(m_cmdok, &QPushButton::clicked, this, [this] { cmdok_Click(); });
    connect(m_cmdPurchaseNoPreview, &QPushButton::clicked, this, [this] { cmdPurchaseNoPreview_Click(); });
    connect(m_cmdClose, &QPushButton::clicked, this, [this] { runHandler(m_context, kWindow, QStringLiteral("cmdClose_Click"), [this] { Unload(); }); });
}

// What the form designer gave every control; each load starts from here.
void frmlocalpurchasecosting::restoreDesignState()
{
    m_activatedSinceShow = false;
    m_blnFirstActivation = false;
    m_costingDate = QDate();
    m_linesShopId = 0;
    m_linesBillId = 0;
    setProperty("Tag", QVariant());
    m_lblShop->setText(kShopCaption);
    setGeometryTwips(m_lblShop, 75, 150, 465, 195);
    for (ComboBox *combo : {m_cboShop, m_cboDepartmentName, m_cboPurchNo}) {
        combo->clear();
        combo->setEnabled(true);
    }
    m_lbldate->clear();
    FlexGrid &grid = *m_mfgSplitDetails;
    grid.clear();
    grid.setFixedRows(1);
    grid.setRows(1);
    grid.setCols(1);
    grid.setToolTipText(QString());
    // Cost prices are never typed: the box stays hidden and disabled.
    m_txtcostprice->clear();
    m_txtcostprice->setVisible(false);
    m_txtcostprice->setEnabled(false);
    m_txtremarks->clear();
    m_txtremarks->setEnabled(true);
    m_chkFix->setChecked(false);
    m_chkFix->setEnabled(true);
    m_cmdCostPreview->setEnabled(false);
    m_cmdok->setEnabled(true);
}

void frmlocalpurchasecosting::Load()
{
    if (m_loaded)
        return;
    m_loaded = true;
    restoreDesignState();
    runHandler(m_context, kWindow, QStringLiteral("Form_Load "), [this] { Form_Load(); });
}

void frmlocalpurchasecosting::showModal(const std::function<void()> &prepare)
{
    Load();
    try {
        prepare();
    } catch (...) {
        unload();
        throw;
    }
    exec();
}

void frmlocalpurchasecosting::setCostingDate(const QDate &date)
{
    m_costingDate = date;
    m_lbldate->setText(value::shortDate(date));
}

bool frmlocalpurchasecosting::isNewMode() const
{
    return m_context.state.entryMode == EntryMode::New;
}

void frmlocalpurchasecosting::openNew(qint32 shopId, qint32 billId)
{
    m_editedCostingId.clear();
    showModal([this, shopId, billId] {
        clsGeneral &general = required(m_objGeneral);
        general.SelectComboItemByValue(*m_cboShop, shopId);
        general.SelectComboItemByValue(*m_cboPurchNo, billId);
    });
}

void frmlocalpurchasecosting::openExisting(const QString &costingId, bool registerShowsFixed)
{
    m_editedCostingId = costingId;
    const entryquery::SavedCosting costing = entryquery::readSavedCosting(m_context.session.adocon, costingId);
    showModal([this, &costing, registerShowsFixed] {
        setCostingDate(costing.date);
        clsGeneral &general = required(m_objGeneral);
        general.SelectComboItemByValue(*m_cboShop, costing.shopId);
        general.SelectComboItemByValue(*m_cboPurchNo, costing.billId);
        clsDatabase &db = required(m_objDatabase);
        db.strTableName = entryquery::allDepartments();
        db.populatecomboorlist(*m_cboDepartmentName, QStringLiteral("DepartmentID"), QStringLiteral(" DepartmentName"));
        general.SelectComboItemByValue(*m_cboDepartmentName, costing.departmentId);
        m_txtremarks->setText(costing.remarks);
        m_chkFix->setChecked(costing.fixed);
        m_cboShop->setEnabled(false);
        m_cboPurchNo->setEnabled(false);
        if (costing.fixed) {
            m_chkFix->setEnabled(false);
            m_cmdok->setEnabled(false);
        }
        if (registerShowsFixed)
            m_cmdok->setEnabled(false);
    });
}

void frmlocalpurchasecosting::Form_Load()
{
    const SessionContext &s = m_context.session;
    const ModuleState &m = m_context.state;
    m_objDatabase = createServiceAs<clsDatabase>(servicenames::Database);
    m_objGeneral = createServiceAs<clsGeneral>(servicenames::General);
    m_objDatabase->adocon = s.adocon;
    required(m.GObjFormTheme).ApplyFormTheme(*this);
    m_blnFirstActivation = true;

    clsDatabase &db = *m_objDatabase;
    db.strTableName = entryquery::departmentsOfUser(s.intUserID, s.intcompanyid);
    db.populatecomboorlist(*m_cboDepartmentName, QStringLiteral("d.DepartmentId"), QStringLiteral("d.DepartmentName"));

    if (m.GBlnAlias) {
        m_lblShop->setText(m_lblShop->text().replace(QLatin1String("Shop"), m.GStrAlias1, Qt::CaseSensitive));
        fitCaptionBefore(m_lblShop, m_cboShop);
    }

    if (s.intDepartmentId < 1) {
        m_objGeneral->SelectComboItemByValue(*m_cboDepartmentName, entryquery::companyDepartment(db, s.intcompanyid));
    } else {
        m_objGeneral->SelectComboItemByValue(*m_cboDepartmentName, s.intDepartmentId);
        m_cboDepartmentName->setEnabled(false);
    }

    if (isNewMode())
        setCostingDate(s.ProcessDate.date());
    db.strTableName = entryquery::shopsWithBills(isNewMode(), s.intDepartmentId);
    db.populatecomboorlist(*m_cboShop, QStringLiteral("distinct ShopId"), QStringLiteral("shopname"));

    QString transaction = QStringLiteral("localpurchasecosting");
    if (!fnApplyColumnSettings(m_context.session.adocon, transaction, *m_mfgSplitDetails, objectName(), kItemGridColumns))
        applyDefaultColumns();
}

void frmlocalpurchasecosting::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!m_activatedSinceShow) {
        m_activatedSinceShow = true;
        runHandler(m_context, kWindow, QStringLiteral("Form_Activate"), [this] { Form_Activate(); });
    }
}

// The contents an edit starts from are recorded once, when the loaded costing is first shown.
void frmlocalpurchasecosting::Form_Activate()
{
    if (m_context.state.entryMode != EntryMode::Edit || !m_blnFirstActivation)
        return;
    setProperty("Tag", QStringLiteral("Loaded"));
    required(m_context.state.GObjAuditTrail).SaveInToTag(*this);
    m_blnFirstActivation = false;
}

void frmlocalpurchasecosting::cboShop_Click()
{
    const SessionContext &s = m_context.session;
    if (s.intDepartmentId != 0 && m_cboDepartmentName->listIndex() == -1) {
        messageBox(QStringLiteral("Select Department"), MsgBoxStyle::Information, s.MsgboxTitle, this);
        return;
    }
    if (m_cboShop->listIndex() < 0)
        return;
    const qint32 shop = m_cboShop->itemData(m_cboShop->listIndex());
    const qint32 department = s.intDepartmentId != 0 ? m_cboDepartmentName->itemData(m_cboDepartmentName->listIndex()) : 0;
    m_objDatabase->strTableName = entryquery::billsOfShop(isNewMode(), s.intDepartmentId, shop, department, m_editedCostingId);
    m_objDatabase->populatecomboorlist(*m_cboPurchNo, QStringLiteral("lphBillid"), QStringLiteral("lphBillNo"));
}

void frmlocalpurchasecosting::NextFocus(int &keyAscii)
{
    constexpr int enter = 13;
    if (keyAscii != enter)
        return;
    if (QWidget *from = focusWidget())
        focusNextControl(from);
}

void frmlocalpurchasecosting::keyPressMovingOn(const QString &procedureName, int &keyAscii)
{
    runHandler(m_context, kWindow, procedureName, [this, &keyAscii] { NextFocus(keyAscii); });
}

void frmlocalpurchasecosting::txtcostprice_GotFocus()
{
    m_txtcostprice->setSelection(0, int(m_txtcostprice->text().size()));
}

void frmlocalpurchasecosting::txtcostprice_KeyPress(int &keyAscii)
{
    NextFocus(keyAscii);
    m_objGeneral->textvalidatenum(*m_txtcostprice, keyAscii, 28, 16);
}

bool frmlocalpurchasecosting::eventFilter(QObject *watched, QEvent *event)
{
    // A caption's access key goes on to the next control that can take the focus when its
    // own control is disabled, as the old labels did.
    if (event->type() == QEvent::Shortcut) {
        auto *label = qobject_cast<QLabel *>(watched);
        QWidget *buddy = label ? label->buddy() : nullptr;
        if (buddy && !buddy->isEnabled()) {
            focusNextControl(buddy);
            return true;
        }
        return QDialog::eventFilter(watched, event);
    }
    if (watched == m_txtcostprice && event->type() == QEvent::FocusIn) {
        runHandler(m_context, kWindow, QStringLiteral("txtcostprice_GotFocus"), [this] { txtcostprice_GotFocus(); });
        return QDialog::eventFilter(watched, event);
    }
    if (event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);

    int keyAscii = vbKeyAscii(static_cast<QKeyEvent *>(event));
    if (keyAscii == 0)
        return QDialog::eventFilter(watched, event);
    const int typed = keyAscii;
    if (watched == m_txtcostprice)
        runHandler(m_context, kWindow, QStringLiteral("txtcostprice_KeyPress"), [this, &keyAscii] { txtcostprice_KeyPress(keyAscii); });
    else if (watched == m_txtremarks)
        keyPressMovingOn(QStringLiteral("txtremarks_KeyPress"), keyAscii);
    else if (watched == m_chkFix)
        keyPressMovingOn(QStringLiteral("chkFix_KeyPress"), keyAscii);
    // Enter has done its work; it must not reach the dialog's default button.
    constexpr int enter = 13;
    if (keyAscii == 0 || typed == enter)
        return true;
    return QDialog::eventFilter(watched, event);
}

void frmlocalpurchasecosting::Unload()
{
    if (!m_loaded)
        return;
    bool cancel = false;
    runHandler(m_context, kWindow, QStringLiteral("Form_QueryUnload"), [this, &cancel] { Form_QueryUnload(cancel); });
    if (!cancel)
        unload();
}

void frmlocalpurchasecosting::Form_QueryUnload(bool &cancel)
{
    required(m_register).restRowChanges();
    if (!m_cmdok->isEnabled() || !required(m_context.state.GObjAuditTrail).DataChanged(*this))
        return;
    const int answer = messageBox(QStringLiteral("Save Changes?"), MsgBoxStyle::YesNoCancel + MsgBoxStyle::Question,
                                  m_context.session.MsgboxTitle, this);
    if (answer == MsgBoxAnswer::Cancel) {
        cancel = true;
    } else if (answer == MsgBoxAnswer::Yes) {
        cmdok_Click();
        // A save that stopped on a check or an error leaves OK enabled and the work on screen.
        cancel = m_cmdok->isEnabled();
    }
}

// A save that succeeded unloads the window from inside the closing check's Yes answer, so
// the outer check finds it unloaded already.
void frmlocalpurchasecosting::unload()
{
    if (!m_loaded)
        return;
    m_loaded = false;
    if (m_costPreview)
        m_costPreview->close();
    m_crptReport.reset();
    done(QDialog::Rejected);
}

void frmlocalpurchasecosting::reject()
{
    m_cmdClose->click();
}

void frmlocalpurchasecosting::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    m_anchors.apply();
}

void frmlocalpurchasecosting::closeEvent(QCloseEvent *event)
{
    event->ignore();
    Unload();
}

} // namespace kadu2217
