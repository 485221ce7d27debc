#include "pending/frmpendingmaster.h"

#include "controls/busycursor.h"
#include "controls/listview.h"
#include "controls/messagebox.h"
#include "controls/twips.h"
#include "controls/vbkeys.h"
#include "db/values.h"
#include "entry/frmlocalpurchasecosting.h"
#include "pending/pendingquery.h"
#include "shell/reporterror.h"
#include "shell/required.h"
#include "shell/session.h"

#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace kadu2217 {
namespace {

const QString kWindow = QStringLiteral("frmPendingMaster");
constexpr int kShopIdSubItem = 5;
constexpr int kConfirmedSubItem = 6;
constexpr VbColor kConfirmedSwatch = 0xC00000;
constexpr VbColor kConfirmedText = 0xFF0000;

void setBackColor(QLabel *label, VbColor color, const QPalette &resolveFrom)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::Window, vbColorToQColor(color, resolveFrom));
    label->setPalette(palette);
    label->setAutoFillBackground(true);
}

} // namespace

frmPendingMaster::frmPendingMaster(ModuleContext &context, QWidget *parent) : QDialog(parent), m_context(context)
{
    setObjectName(kWindow);
    buildControls();
}

frmPendingMaster::~frmPendingMaster() = default;

void frmPendingMaster::buildControls()
{
    setWindowTitle(QStringLiteral("Pending Local Purchase Bills"));
    setFormSizeTwips(this, 10035, 6330);

    m_lvwPending = placeControl<ListView>(this, QStringLiteral("lvwPending"), {60, 60, 9915, 5220});
    // Column j shows sub-item j: the bill id (item text) gets a hidden first column, so the
    // six design columns show sub-items 1 to 6 and a clicked column is its own sort key.
    m_lvwPending->addColumnHeader(QStringLiteral("Bill Id"), 0);
    m_lvwPending->addColumnHeader(QStringLiteral("Bill No"), 1800);
    m_lvwPending->addColumnHeader(QStringLiteral("Bill  Date"), 1900);
    m_lvwPending->addColumnHeader(QStringLiteral("Vendor"), 3100);
    m_lvwPending->addColumnHeader(QStringLiteral("Elapsed Time"), 1650);
    m_lvwPending->addColumnHeader(QStringLiteral("shopid"), 0);
    m_lvwPending->addColumnHeader(QStringLiteral("Confirmed"), 1100);

    m_frame1 = placeControl<QGroupBox>(this, QStringLiteral("Frame1"), {60, 5340, 5235, 870}, QStringLiteral("Search"));
    m_label1 = placeControl<QLabel>(m_frame1, QStringLiteral("Label1"), {135, 405, 660, 195}, QStringLiteral("&Search "));
    m_txtsearchtext = placeControl<QLineEdit>(m_frame1, QStringLiteral("txtsearchtext"), {840, 345, 4230, 315});
    m_label1->setBuddy(m_txtsearchtext);
    m_txtsearchtext->installEventFilter(this);

    m_cmdClose = placeControl<QPushButton>(this, QStringLiteral("cmdClose"), {5490, 5640, 1215, 420}, QStringLiteral("Close"));
    m_cmdClose->setAutoDefault(false);

    m_label3 = placeControl<QLabel>(this, QStringLiteral("Label3"), {7665, 5535, 240, 195});
    m_label4 = placeControl<QLabel>(this, QStringLiteral("Label4"), {8010, 5535, 1500, 195}, QStringLiteral("Confirmed"));
    m_label5 = placeControl<QLabel>(this, QStringLiteral("Label5"), {7665, 5865, 240, 195});
    m_label6 = placeControl<QLabel>(this, QStringLiteral("Label6"), {8010, 5865, 1500, 195}, QStringLiteral("Not Confirmed"));
    m_label3->setFrameShape(QFrame::Box);
    m_label5->setFrameShape(QFrame::Box);

    setTabOrder(m_lvwPending, m_txtsearchtext);
    setTabOrder(m_txtsearchtext, m_cmdClose);

    connect(m_lvwPending, &ListView::dblClick, this, [this] {
        runHandler(m_context, kWindow, QStringLiteral("lvwPending_DblClick"), [this] { openSelectedBill(); });
    });
    connect(m_lvwPending, &ListView::keyPress, this, [this](int &keyAscii) {
        runHandler(m_context, kWindow, QStringLiteral("lvwPending_KeyPress"), [this, keyAscii] {
            if (keyAscii == VbKey::Return)
                openSelectedBill();
        });
    });
    connect(m_lvwPending, &ListView::columnClick, this, [this](int column) {
        runHandler(m_context, kWindow, QStringLiteral("lvwPending_ColumnClick"), [this, column] { lvwPending_ColumnClick(column); });
    });
    connect(m_cmdClose, &QPushButton::clicked, this, [this] {
        runHandler(m_context, kWindow, QStringLiteral("cmdClose_Click"), [this] { unload(); });
    });
}

void frmPendingMaster::showModal()
{
    Form_Load();
    exec();
}

void frmPendingMaster::Form_Load()
{
    runHandler(m_context, kWindow, QStringLiteral("Form_Load"), [this] {
        const SessionContext &s = m_context.session;
        m_objDatabase = createServiceAs<clsDatabase>(servicenames::Database);
        m_objGeneral = createServiceAs<clsGeneral>(servicenames::General);
        m_objDatabase->adocon = s.adocon;

        required(m_context.state.GObjFormTheme).ApplyFormTheme(*this);
        setBackColor(m_label3, kConfirmedSwatch, palette());
        setBackColor(m_label5, VbSystemColor::MenuText, palette());
        setWindowTitle(QStringLiteral("Pending Local Purchase Bills"));

        QString table = pendingTables();
        QString condition = pendingCondition(s.intDepartmentId, s.intcompanyid);
        m_objDatabase->PopulateListview(*m_lvwPending, table, condition, pendingFields());

        ListView &list = *m_lvwPending;
        list.setSortOrder(Qt::AscendingOrder);
        list.setSortKey(kConfirmedSubItem);
        list.setSorted(true);
        for (int i = 1; i <= list.listItemCount(); ++i) {
            list.setSubItemText(i, kConfirmedSubItem, QStringLiteral("Yes"));
            QString confirmed = list.subItemText(i, kConfirmedSubItem);
            // The old list index is 16-bit: a longer list fails here with an overflow.
            qint16 row = value::toInt16(i);
            colourlistview(confirmed, row);
        }
    });
}

void frmPendingMaster::colourlistview(QString &givecolur, qint16 &row)
{
    runHandler(m_context, kWindow, QStringLiteral("colourlistview"), [&] {
        if (givecolur != QLatin1String("Yes"))
            return;
        for (int j = 1; j < m_lvwPending->columnHeaderCount(); ++j)
            m_lvwPending->setSubItemForeColor(row, j, kConfirmedText);
    });
}

void frmPendingMaster::lvwPending_ColumnClick(int column)
{
    m_lvwPending->setSortKey(column);
    m_lvwPending->setSorted(true);
}

void frmPendingMaster::txtsearchtext_KeyPress(int keyAscii)
{
    if (keyAscii != VbKey::Return)
        return;
    const QString text = m_txtsearchtext->text().trimmed();
    const int found = m_lvwPending->findItem(text, true, true);
    if (found == 0) {
        messageBox(QStringLiteral("No match found"), MsgBoxStyle::OkOnly | MsgBoxStyle::Information, m_context.session.MsgboxTitle, this);
        return;
    }
    m_lvwPending->ensureVisible(found);
    m_lvwPending->setSelectedItem(found);
    m_lvwPending->setFocus();
}

void frmPendingMaster::openSelectedBill()
{
    ListView &list = *m_lvwPending;
    if (list.listItemCount() < 1)
        return;
    // A failed opening leaves the window as it was, its pointer included.
    const BusyCursor busy(this);
    ModuleState &m = m_context.state;
    required(m.GObjAuditTrail).LoggedTime = QDateTime::currentDateTime();
    m.entryMode = EntryMode::New;

    const int selected = list.selectedItem();
    required(m_entry).openNew(value::toInt32(value::leadingNumber(list.subItemText(selected, kShopIdSubItem))),
                          value::toInt32(value::leadingNumber(list.itemText(selected))));

    unload();
}

// Unloading forgets the list, its order and the search text: each opening starts afresh.
void frmPendingMaster::unload()
{
    m_lvwPending->clear();
    m_lvwPending->setSorted(false);
    m_lvwPending->setSortKey(0);
    m_txtsearchtext->clear();
    m_objDatabase.reset();
    m_objGeneral.reset();
    done(QDialog::Rejected);
}

// Esc and the close box press Close.
void frmPendingMaster::reject()
{
    runHandler(m_context, kWindow, QStringLiteral("cmdClose_Click"), [this] { unload(); });
}

bool frmPendingMaster::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_txtsearchtext && event->type() == QEvent::KeyPress) {
        const int keyAscii = vbKeyAscii(static_cast<QKeyEvent *>(event));
        if (keyAscii != 0)
            runHandler(m_context, kWindow, QStringLiteral("txtsearchtext_KeyPress"), [this, keyAscii] { txtsearchtext_KeyPress(keyAscii); });
        // Enter searches; it must not reach the dialog's default-button handling.
        if (keyAscii == VbKey::Return)
            return true;
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace kadu2217
