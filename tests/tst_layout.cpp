#include "cancel/frmcancel.h"
#include "controls/combobox.h"
#include "controls/flexgrid.h"
#include "entry/frmcostpreview.h"
#include "entry/frmlocalpurchasecosting.h"
#include "fixtures.h"
#include "guisupport.h"
#include "pending/frmpendingmaster.h"
#include "register/frmmaster.h"
#include "reports/frmprint.h"
#include "testsupport.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QtTest>

using namespace kadu2217;
using namespace kadu2217::testsupport;

namespace {

// The room a control's text needs beside what the control itself draws.
int neededWidth(const QWidget *control)
{
    if (const auto *label = qobject_cast<const QLabel *>(control))
        return label->text().isEmpty() ? 0 : label->sizeHint().width();
    if (const auto *box = qobject_cast<const QGroupBox *>(control)) {
        QStyleOptionGroupBox option;
        option.initFrom(box);
        option.text = box->title();
        option.subControls = QStyle::SC_GroupBoxLabel;
        option.textAlignment = box->alignment();
        option.features = QStyleOptionFrame::None;
        const QRect label = box->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, box);
        return label.right() + 1;
    }
    if (const auto *check = qobject_cast<const QCheckBox *>(control))
        return check->text().isEmpty() ? 0 : check->sizeHint().width();
    if (const auto *radio = qobject_cast<const QRadioButton *>(control))
        return radio->text().isEmpty() ? 0 : radio->sizeHint().width();
    if (const auto *button = qobject_cast<const QPushButton *>(control)) {
        if (button->text().isEmpty())
            return 0;
        // The text between the button's frame, without the style's minimum button width.
        const int frame = button->style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button)
            + 2 * button->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, button);
        return button->fontMetrics().horizontalAdvance(QString(button->text()).remove(QLatin1Char('&'))) + frame;
    }
    return 0;
}

// Every captioned control of the window whose text does not fit, as "name: needed > width".
QStringList clipped(const QWidget &window)
{
    QStringList found;
    for (const QWidget *control : window.findChildren<QWidget *>()) {
        if (!control->isVisibleTo(&window) || control->objectName().startsWith(QLatin1String("qt_")))
            continue;
        const int needed = neededWidth(control);
        if (needed > control->width())
            found << QStringLiteral("%1: %2 > %3").arg(control->objectName()).arg(needed).arg(control->width());
        // Buttons centre their text inside their own frame; the others start it at their left.
        if (needed == 0 || qobject_cast<const QGroupBox *>(control) || qobject_cast<const QPushButton *>(control))
            continue;
        // A caption that another control covers is as cut off as one that is too narrow.
        const QRect text(control->pos(), QSize(needed, control->height()));
        for (const QWidget *sibling : control->parentWidget()->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly)) {
            if (sibling != control && sibling->isVisibleTo(&window) && !sibling->objectName().startsWith(QLatin1String("qt_"))
                && !qobject_cast<const QGroupBox *>(sibling) && sibling->geometry().intersects(text))
                found << QStringLiteral("%1 under %2").arg(control->objectName(), sibling->objectName());
        }
    }
    return found;
}

} // namespace

class TestLayout : public QObject {
    Q_OBJECT

private:
    ConnectionPtr m_c;

private slots:
    void init()
    {
        m_c = openDemoDatabase();
        recordErrors();
        answerMessages();
        startSession(m_c, demo::adminUserId, 0, kDemoNow);
    }
    void cleanup() { endModule(); }

    void everyCaptionFits()
    {
        FrmMaster &master = frmMaster();
        master.Form_Load();
        master.show();
        QStringList failures;
        const auto check = [&failures](const QWidget &window) {
            for (const QString &control : clipped(window))
                failures << window.objectName() + QLatin1Char('.') + control;
        };
        check(master);
        pendingWindow().Form_Load();
        pendingWindow().show();
        check(pendingWindow());
        pendingWindow().hide();
        setEntryMode(QStringLiteral("N"));
        frmlocalpurchasecosting &entry = entryWindow();
        entry.Load();
        entry.show();
        entry.cboShop()->setListIndex(0);
        entry.cboPurchNo()->setListIndex(0);
        check(entry);
        entry.cmdCostPreview()->click();
        check(*entry.costPreview());
        frmCancel &cancel = testModule().cancel();
        cancel.show();
        check(cancel);
        frmPrint &print = master.printWindow();
        print.show();
        check(print);
        QVERIFY2(failures.isEmpty(), qPrintable(failures.join(QStringLiteral("; "))));
    }

    void gridsTakeTheRoomOfALargerWindow()
    {
        FrmMaster &master = frmMaster();
        master.Form_Load();
        master.show();
        const auto grown = [](QWidget &window, QWidget *grid, QWidget *bottomLeft, QWidget *bottomRight) {
            const QSize drawn = window.size();
            const QRect gridBefore = grid->geometry();
            const QRect leftBefore = bottomLeft->geometry();
            const QRect rightBefore = bottomRight->geometry();
            window.resize(drawn + QSize(300, 200));
            QCOMPARE(grid->width(), gridBefore.width() + 300);
            QCOMPARE(grid->height(), gridBefore.height() + 200);
            QCOMPARE(bottomLeft->pos(), leftBefore.topLeft() + QPoint(0, 200));
            QCOMPARE(bottomRight->pos(), rightBefore.topLeft() + QPoint(300, 200));
            window.resize(drawn);
            QCOMPARE(grid->geometry(), gridBefore);
            // Never smaller than drawn.
            QCOMPARE(window.minimumSize(), drawn);
        };
        grown(master, master.FlexMaster(), master.findChild<QWidget *>(QStringLiteral("cmdnew")),
              master.findChild<QWidget *>(QStringLiteral("cmdClose")));
        if (QTest::currentTestFailed())
            return;
        setEntryMode(QStringLiteral("N"));
        frmlocalpurchasecosting &entry = entryWindow();
        entry.Load();
        entry.show();
        grown(entry, entry.mfgSplitDetails(), entry.chkFix(), entry.cmdClose());
    }
};

QTEST_MAIN(TestLayout)
#include "tst_layout.moc"
