#include "controls/busycursor.h"
#include "controls/combobox.h"
#include "controls/flexgrid.h"
#include "controls/focusnext.h"
#include "controls/listview.h"
#include "controls/messagebox.h"
#include "controls/twips.h"
#include "controls/vbcolor.h"
#include "controls/vbkeys.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QFile>
#include <QHeaderView>
#include <QHelpEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QToolTip>
#include <QVBoxLayout>
#include <QtTest>

#include <stdexcept>

using namespace kadu2217;

namespace {

// Resident memory of this process in kB, from the kernel's own accounting.
qint64 residentKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong();
    }
    return -1;
}

// A grid of `rows` rows (caption row included) and `cols` columns whose cells
// read "r<row>c<col>" and captions "C<col>".
void fill(FlexGrid &grid, int rows, int cols)
{
    grid.setCols(cols);
    grid.setRows(rows);
    for (int c = 0; c < cols; ++c) {
        grid.setTextMatrix(0, c, QStringLiteral("C%1").arg(c));
        for (int r = 1; r < rows; ++r)
            grid.setTextMatrix(r, c, QStringLiteral("r%1c%2").arg(r).arg(c));
    }
}

QStringList columnTexts(const FlexGrid &grid, int col)
{
    QStringList texts;
    for (int r = grid.fixedRows(); r < grid.rows(); ++r)
        texts << grid.textMatrix(r, col);
    return texts;
}

// Records the grid's cell and selection events in the order they come.
void recordEvents(FlexGrid &grid, QStringList &events)
{
    QObject::connect(&grid, &FlexGrid::leaveCell, &grid, [&events] { events << "leave"; });
    QObject::connect(&grid, &FlexGrid::rowColChange, &grid, [&events] { events << "rowcol"; });
    QObject::connect(&grid, &FlexGrid::enterCell, &grid, [&events] { events << "enter"; });
    QObject::connect(&grid, &FlexGrid::selChange, &grid, [&events] { events << "sel"; });
}

// Sent directly: a synthesized cursor move reaches no widget on some platforms.
void moveMouse(QWidget *widget, const QPoint &pos)
{
    QMouseEvent move(QEvent::MouseMove, pos, widget->mapToGlobal(pos), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(widget, &move);
}

QList<int> withoutModifierKeys(QList<int> codes)
{
    codes.removeIf([](int code) { return code == VbKey::Shift || code == VbKey::Control || code == VbKey::Menu; });
    return codes;
}

QPoint cellCenter(const FlexGrid &grid, int row, int col)
{
    return grid.visualRect(grid.model()->index(row - grid.fixedRows(), col)).center();
}

} // namespace

class TestControls : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void twipsConversion_data();
    void twipsConversion();
    void twipsGeometry();

    void vbColor_data();
    void vbColor();
    void vbSystemColor_data();
    void vbSystemColor();

    void messageBoxHandler();
    void messageBoxDefault_data();
    void messageBoxDefault();

    void mousePointers();
    void focusNextSkipsHiddenAndDisabled();

    void keyAscii_data();
    void keyAscii();

    void gridDefaults();
    void gridCellsAndCaptions();
    void gridResizeKeepsCells();
    void gridOutOfRange();
    void gridAddItem();
    void gridColWidth_data();
    void gridColWidth();
    void gridBulkUpdate();
    void gridAlignment_data();
    void gridAlignment();
    void gridFormatString();
    void gridFormatStringAlignment_data();
    void gridFormatStringAlignment();
    void gridSort_data();
    void gridSort();
    void gridSortMovesWholeRowsAndKeepsCurrentCell();
    void gridSortRowRange();
    void gridMoveEvents();
    void gridReentrantRowColHandler();
    void gridKeyboardNavigation();
    void gridKeyEvents_data();
    void gridKeyEvents();
    void gridMouse();
    void gridToolTip();
    void gridColoursAndHighlight();
    void gridClear();
    void gridTopRow();
    void gridTopRowBeforeShow();
    void gridWithoutFixedRow();
    void gridLargeFill();

    void comboStartsUnselectedAndFillingRaisesNoClick();
    void comboSelectionRaisesClick();
    void comboSelectByValue_data();
    void comboSelectByValue();
    void comboUserSelection();
    void comboEnterMovesFocus();

    void listViewColumnsAndItems();
    void listViewFindItem_data();
    void listViewFindItem();
    void listViewSort_data();
    void listViewSort();
    void listViewColumnClickSorts();
    void listViewSelectionAndSignals();
};

void TestControls::init()
{
    setMessageBoxHandler({});
    QLocale::setDefault(QLocale::c());
}

void TestControls::twipsConversion_data()
{
    QTest::addColumn<int>("twips");
    QTest::addColumn<int>("pixels");
    QTest::newRow("one pixel") << 15 << 1;
    QTest::newRow("one inch") << 1440 << 96;
    QTest::newRow("default column") << 960 << 64;
    QTest::newRow("zero") << 0 << 0;
    QTest::newRow("register grid width") << 14265 << 951;
}

void TestControls::twipsConversion()
{
    if (QGuiApplication::primaryScreen()->logicalDotsPerInchX() != 96)
        QSKIP("the expected values are for a 96 DPI screen");
    QFETCH(int, twips);
    QFETCH(int, pixels);
    QCOMPARE(twipsToPixelsX(twips), pixels);
    QCOMPARE(twipsToPixelsY(twips), pixels);
    QCOMPARE(pixelsToTwipsX(pixels), pixels * 15);
    QCOMPARE(pixelsToTwipsY(pixels), pixels * 15);
}

void TestControls::twipsGeometry()
{
    QWidget parent;
    QWidget child(&parent);
    setGeometryTwips(&child, 60, 8175, 1700, 540);
    const qreal dpi = child.logicalDpiX();
    QCOMPARE(child.geometry(), QRect(qRound(60 * dpi / 1440), qRound(8175 * dpi / 1440),
                                     qRound(1700 * dpi / 1440), qRound(540 * dpi / 1440)));
}

void TestControls::vbColor_data()
{
    QTest::addColumn<VbColor>("vb");
    QTest::addColumn<QColor>("color");
    QTest::newRow("red") << VbColor(0x0000FF) << QColor(255, 0, 0);
    QTest::newRow("blue") << VbColor(0xFF0000) << QColor(0, 0, 255);
    QTest::newRow("cyan") << VbColor(0xFFFF00) << QColor(0, 255, 255);
    QTest::newRow("dark blue legend") << VbColor(0xC00000) << QColor(0, 0, 192);
    QTest::newRow("light yellow") << VbColor(0xC0FFFF) << QColor(255, 255, 192);
    QTest::newRow("black") << VbColor(0) << QColor(0, 0, 0);
}

void TestControls::vbColor()
{
    QFETCH(VbColor, vb);
    QFETCH(QColor, color);
    QCOMPARE(vbColorToQColor(vb), color);
    QCOMPARE(qColorToVbColor(color), vb);
}

void TestControls::vbSystemColor_data()
{
    QTest::addColumn<VbColor>("vb");
    QTest::addColumn<int>("role");
    QTest::newRow("window text") << VbSystemColor::WindowText << int(QPalette::Text);
    QTest::newRow("highlight text") << VbSystemColor::HighlightText << int(QPalette::HighlightedText);
    QTest::newRow("highlight") << VbSystemColor::Highlight << int(QPalette::Highlight);
    QTest::newRow("window background") << VbSystemColor::WindowBackground << int(QPalette::Base);
    QTest::newRow("menu text") << VbSystemColor::MenuText << int(QPalette::WindowText);
    QTest::newRow("button face") << VbSystemColor::ButtonFace << int(QPalette::Button);
}

void TestControls::vbSystemColor()
{
    QFETCH(VbColor, vb);
    QFETCH(int, role);
    QPalette palette;
    palette.setColor(QPalette::ColorRole(role), QColor(12, 34, 56));
    QVERIFY(isVbSystemColor(vb));
    QCOMPARE(vbColorToQColor(vb, palette), QColor(12, 34, 56));
}

void TestControls::messageBoxHandler()
{
    QStringList seen;
    setMessageBoxHandler([&](const QString &title, const QString &text, int style) {
        seen << QStringLiteral("%1|%2|%3").arg(title, text).arg(style);
        return MsgBoxAnswer::Cancel;
    });
    QCOMPARE(messageBox(QStringLiteral("Save Changes?"), 35, QStringLiteral("Costing")), MsgBoxAnswer::Cancel);
    QCOMPARE(messageBox(QStringLiteral("No match found"), 64, QStringLiteral("Costing")), MsgBoxAnswer::Cancel);
    QCOMPARE(seen, QStringList({"Costing|Save Changes?|35", "Costing|No match found|64"}));
}

void TestControls::messageBoxDefault_data()
{
    QTest::addColumn<int>("style");
    QTest::addColumn<QMessageBox::Icon>("icon");
    QTest::addColumn<int>("buttonCount");
    QTest::addColumn<QMessageBox::StandardButton>("defaultButton");
    QTest::addColumn<QMessageBox::StandardButton>("press"); // NoButton: Esc
    QTest::addColumn<int>("answer");

    QTest::newRow("information ok") << 64 << QMessageBox::Information << 1 << QMessageBox::Ok
                                    << QMessageBox::Ok << MsgBoxAnswer::Ok;
    QTest::newRow("question yes/no/cancel, cancel") << 35 << QMessageBox::Question << 3 << QMessageBox::Yes
                                                    << QMessageBox::Cancel << MsgBoxAnswer::Cancel;
    QTest::newRow("question yes/no/cancel, no") << 35 << QMessageBox::Question << 3 << QMessageBox::Yes
                                                << QMessageBox::No << MsgBoxAnswer::No;
    QTest::newRow("yes/no second default") << 4 + 32 + 256 << QMessageBox::Question << 2 << QMessageBox::No
                                           << QMessageBox::Yes << MsgBoxAnswer::Yes;
    QTest::newRow("ok/cancel escape") << 1 + 48 << QMessageBox::Warning << 2 << QMessageBox::Ok
                                      << QMessageBox::NoButton << MsgBoxAnswer::Cancel;
    QTest::newRow("critical ok") << 16 << QMessageBox::Critical << 1 << QMessageBox::Ok
                                 << QMessageBox::Ok << MsgBoxAnswer::Ok;
}

void TestControls::messageBoxDefault()
{
    QFETCH(int, style);
    QFETCH(QMessageBox::Icon, icon);
    QFETCH(int, buttonCount);
    QFETCH(QMessageBox::StandardButton, defaultButton);
    QFETCH(QMessageBox::StandardButton, press);
    QFETCH(int, answer);

    bool inspected = false;
    QTimer::singleShot(0, this, [&] {
        QMessageBox *box = nullptr;
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            if (auto *candidate = qobject_cast<QMessageBox *>(widget); candidate && candidate->isVisible())
                box = candidate;
        }
        QVERIFY(box);
        inspected = true;
        QCOMPARE(box->windowTitle(), QStringLiteral("Title"));
        QCOMPARE(box->text(), QStringLiteral("Text"));
        QCOMPARE(box->icon(), icon);
        QCOMPARE(box->buttons().size(), buttonCount);
        QCOMPARE(box->standardButton(box->defaultButton()), defaultButton);
        if (press == QMessageBox::NoButton)
            QTest::keyClick(box, Qt::Key_Escape);
        else
            box->button(press)->click();
    });
    const int result = messageBox(QStringLiteral("Text"), style, QStringLiteral("Title"));
    QVERIFY(inspected);
    QCOMPARE(result, answer);
}

void TestControls::mousePointers()
{
    QWidget window;
    QCOMPARE(mousePointer(&window), MousePointer::Default);
    setMousePointer(&window, MousePointer::Hourglass);
    QCOMPARE(mousePointer(&window), MousePointer::Hourglass);
    QCOMPARE(window.cursor().shape(), Qt::WaitCursor);
    setMousePointer(&window, MousePointer::Default);
    QCOMPARE(mousePointer(&window), MousePointer::Default);

    setScreenMousePointer(MousePointer::Hourglass);
    setScreenMousePointer(MousePointer::Hourglass);
    QCOMPARE(screenMousePointer(), MousePointer::Hourglass);
    setScreenMousePointer(MousePointer::Default);
    QCOMPARE(screenMousePointer(), MousePointer::Default);
    QVERIFY(!QGuiApplication::overrideCursor());

    try {
        const BusyCursor screenBusy;
        const BusyCursor windowBusy(&window);
        QCOMPARE(screenMousePointer(), MousePointer::Hourglass);
        QCOMPARE(mousePointer(&window), MousePointer::Hourglass);
        throw std::runtime_error("failure inside the busy section");
    } catch (const std::runtime_error &) {
    }
    QCOMPARE(screenMousePointer(), MousePointer::Default);
    QCOMPARE(mousePointer(&window), MousePointer::Default);
    QVERIFY(!QGuiApplication::overrideCursor());
}

void TestControls::focusNextSkipsHiddenAndDisabled()
{
    QDialog dialog;
    auto *layout = new QVBoxLayout(&dialog);
    auto *text = new QLineEdit(&dialog);
    auto *hidden = new QPushButton(QStringLiteral("hidden"), &dialog);
    auto *disabled = new QPushButton(QStringLiteral("disabled"), &dialog);
    auto *combo = new ComboBox(&dialog);
    auto *check = new QCheckBox(QStringLiteral("Cost &Fix"), &dialog);
    for (QWidget *widget : {static_cast<QWidget *>(text), static_cast<QWidget *>(hidden),
                            static_cast<QWidget *>(disabled), static_cast<QWidget *>(combo),
                            static_cast<QWidget *>(check)})
        layout->addWidget(widget);
    hidden->hide();
    disabled->setEnabled(false);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));

    text->setFocus();
    QVERIFY(focusNextControl(text));
    QCOMPARE(dialog.focusWidget(), combo);
    QVERIFY(focusNextControl(combo));
    QCOMPARE(dialog.focusWidget(), check);
    QVERIFY(focusNextControl(check));
    QCOMPARE(dialog.focusWidget(), text);
}

void TestControls::keyAscii_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("keyAscii");
    QTest::addColumn<int>("keyCode");
    QTest::newRow("enter") << int(Qt::Key_Return) << Qt::KeyboardModifiers() << "\r" << 13 << 13;
    QTest::newRow("keypad enter") << int(Qt::Key_Enter) << Qt::KeyboardModifiers(Qt::KeypadModifier) << "\r" << 13 << 13;
    QTest::newRow("ctrl+enter") << int(Qt::Key_Return) << Qt::KeyboardModifiers(Qt::ControlModifier) << "" << 10 << 13;
    QTest::newRow("ctrl+d") << int(Qt::Key_D) << Qt::KeyboardModifiers(Qt::ControlModifier) << "\x04" << 4 << 68;
    QTest::newRow("letter") << int(Qt::Key_A) << Qt::KeyboardModifiers() << "a" << int('a') << 65;
    QTest::newRow("escape") << int(Qt::Key_Escape) << Qt::KeyboardModifiers() << "\x1b" << 27 << 27;
    QTest::newRow("delete") << int(Qt::Key_Delete) << Qt::KeyboardModifiers() << "" << 0 << 46;
    QTest::newRow("down") << int(Qt::Key_Down) << Qt::KeyboardModifiers() << "" << 0 << 40;
    QTest::newRow("f5") << int(Qt::Key_F5) << Qt::KeyboardModifiers() << "" << 0 << 116;
}

void TestControls::keyAscii()
{
    QFETCH(int, key);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(QString, text);
    QFETCH(int, keyAscii);
    QFETCH(int, keyCode);
    const QKeyEvent event(QEvent::KeyPress, key, modifiers, text);
    QCOMPARE(vbKeyAscii(&event), keyAscii);
    QCOMPARE(vbKeyCode(key), keyCode);
}

void TestControls::gridDefaults()
{
    FlexGrid grid;
    QCOMPARE(grid.rows(), 2);
    QCOMPARE(grid.cols(), 2);
    QCOMPARE(grid.fixedRows(), 1);
    QCOMPARE(grid.fixedCols(), 0);
    QCOMPARE(grid.row(), 1);
    QCOMPARE(grid.col(), 0);
    QCOMPARE(grid.colWidth(0), FlexGrid::DefaultColWidth);
    QCOMPARE(grid.colAlignment(1), FlexAlign::General);
    QCOMPARE(grid.model()->rowCount(), 1);
    QVERIFY(!grid.horizontalHeader()->isHidden());
    QVERIFY(grid.verticalHeader()->isHidden());
}

void TestControls::gridCellsAndCaptions()
{
    FlexGrid grid;
    QAbstractItemModelTester tester(grid.model());
    fill(grid, 4, 3);
    QCOMPARE(grid.model()->rowCount(), 3);
    QCOMPARE(grid.model()->columnCount(), 3);
    QCOMPARE(grid.model()->headerData(2, Qt::Horizontal).toString(), QStringLiteral("C2"));
    QCOMPARE(grid.model()->index(0, 1).data().toString(), QStringLiteral("r1c1"));
    QCOMPARE(grid.model()->index(2, 2).data().toString(), QStringLiteral("r3c2"));
    QCOMPARE(grid.textMatrix(3, 2), QStringLiteral("r3c2"));

    QSignalSpy headerChanged(grid.model(), &QAbstractItemModel::headerDataChanged);
    QSignalSpy dataChanged(grid.model(), &QAbstractItemModel::dataChanged);
    grid.setTextMatrix(0, 1, QStringLiteral("Costing No"));
    grid.setTextMatrix(2, 0, QStringLiteral("42"));
    QCOMPARE(headerChanged.size(), 1);
    QCOMPARE(dataChanged.size(), 1);
    QCOMPARE(grid.model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Costing No"));
    QCOMPARE(grid.model()->index(1, 0).data().toString(), QStringLiteral("42"));

    // Equal neighbouring texts share storage but stay independent values.
    grid.setTextMatrix(1, 0, QStringLiteral("No"));
    grid.setTextMatrix(2, 0, QStringLiteral("No"));
    grid.setTextMatrix(1, 0, QStringLiteral("Yes"));
    QCOMPARE(grid.textMatrix(2, 0), QStringLiteral("No"));
}

void TestControls::gridResizeKeepsCells()
{
    FlexGrid grid;
    QAbstractItemModelTester tester(grid.model());
    fill(grid, 3, 3);
    grid.setColWidth(1, 2000);
    grid.setCols(5);
    QCOMPARE(grid.textMatrix(2, 2), QStringLiteral("r2c2"));
    QCOMPARE(grid.textMatrix(2, 4), QString());
    QCOMPARE(grid.colWidth(1), 2000);
    QCOMPARE(grid.colWidth(4), FlexGrid::DefaultColWidth);
    grid.setRows(6);
    QCOMPARE(grid.textMatrix(1, 1), QStringLiteral("r1c1"));
    QCOMPARE(grid.textMatrix(5, 1), QString());
    grid.setCols(2);
    grid.setRows(2);
    QCOMPARE(grid.textMatrix(1, 1), QStringLiteral("r1c1"));
    QCOMPARE(grid.model()->rowCount(), 1);
    QCOMPARE(grid.model()->columnCount(), 2);

    // Shrinking below the current cell moves it back inside the grid.
    grid.setRows(10);
    grid.setRow(9);
    grid.setRows(1);
    QCOMPARE(grid.row(), 0);
    grid.setRows(3);
    QCOMPARE(grid.row(), 1);
}

void TestControls::gridOutOfRange()
{
    FlexGrid grid;
    fill(grid, 3, 2);
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, grid.textMatrix(3, 0));
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, grid.setTextMatrix(0, 2, QString()));
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, grid.setRow(-1));
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, grid.setColWidth(5, 100));
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, grid.sort(9));
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, grid.setRows(0));
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, grid.setFixedCols(1));
}

void TestControls::gridAddItem()
{
    FlexGrid grid;
    QAbstractItemModelTester tester(grid.model());
    grid.setCols(4);
    grid.setTextMatrix(1, 0, QStringLiteral("7"));
    grid.addItem(QStringLiteral("12\tLPC/12\t\t500.5"));
    grid.addItem(QStringLiteral("13\tLPC/13"));
    grid.addItem(QStringLiteral("14\ta\tb\tc\textra"));
    QCOMPARE(grid.rows(), 5);
    QCOMPARE(grid.textMatrix(1, 0), QStringLiteral("7"));
    QCOMPARE(grid.textMatrix(2, 0), QStringLiteral("12"));
    QCOMPARE(grid.textMatrix(2, 1), QStringLiteral("LPC/12"));
    QCOMPARE(grid.textMatrix(2, 2), QString());
    QCOMPARE(grid.textMatrix(2, 3), QStringLiteral("500.5"));
    QCOMPARE(grid.textMatrix(3, 3), QString());
    QCOMPARE(grid.textMatrix(4, 3), QStringLiteral("c"));
    QCOMPARE(grid.model()->index(3, 1).data().toString(), QStringLiteral("a"));
    QCOMPARE(grid.row(), 1);
}

void TestControls::gridColWidth_data()
{
    QTest::addColumn<int>("twips");
    QTest::addColumn<int>("stored");
    QTest::addColumn<bool>("hidden");
    QTest::newRow("odd twips kept exactly") << 1234 << 1234 << false;
    QTest::newRow("caption width") << 5870 << 5870 << false;
    QTest::newRow("zero hides") << 0 << 0 << true;
    QTest::newRow("minus one is the default") << -1 << int(FlexGrid::DefaultColWidth) << false;
    QTest::newRow("below a pixel") << 7 << 7 << false;
}

void TestControls::gridColWidth()
{
    QFETCH(int, twips);
    QFETCH(int, stored);
    QFETCH(bool, hidden);
    FlexGrid grid;
    grid.resize(600, 300);
    grid.show();
    fill(grid, 3, 3);
    grid.setColWidth(1, 0);
    grid.setColWidth(1, twips);
    QCOMPARE(grid.colWidth(1), stored);
    QCOMPARE(grid.isColumnHidden(1), hidden);
    if (!hidden)
        QCOMPARE(grid.columnWidth(1), qMax(1, twipsToPixelsX(stored, &grid)));
}

void TestControls::gridBulkUpdate()
{
    FlexGrid grid;
    QAbstractItemModelTester tester(grid.model());
    grid.resize(600, 300);
    grid.show();
    fill(grid, 3, 4);
    grid.setColWidth(0, 0);
    QSignalSpy dataChanged(grid.model(), &QAbstractItemModel::dataChanged);
    QSignalSpy rowsInserted(grid.model(), &QAbstractItemModel::rowsInserted);

    grid.setRedraw(false);
    grid.beginBulkUpdate(); // nested inside the redraw switch
    for (int r = 3; r < 50; ++r) {
        grid.setRows(r + 1);
        grid.setTextMatrix(r, 1, QString::number(r));
        grid.setCellForeColorAt(r, 2, 0x0000FF);
    }
    grid.horizontalHeader()->moveSection(3, 1);
    grid.endBulkUpdate();
    QCOMPARE(dataChanged.size(), 0);
    QVERIFY(!grid.redraw());
    grid.setRedraw(true);
    QCOMPARE(dataChanged.size(), 1);
    QCOMPARE(rowsInserted.size(), 1); // the rows of a bulk fill are announced once

    QCOMPARE(grid.model()->rowCount(), 49);
    QCOMPARE(grid.model()->index(48, 1).data().toString(), QStringLiteral("49"));
    QVERIFY(grid.isColumnHidden(0));
    QCOMPARE(grid.horizontalHeader()->visualIndex(3), 1);
}

void TestControls::gridAlignment_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("flags");
    QTest::newRow("left center") << FlexAlign::LeftCenter << "abc" << int(Qt::AlignLeft | Qt::AlignVCenter);
    QTest::newRow("right center") << FlexAlign::RightCenter << "abc" << int(Qt::AlignRight | Qt::AlignVCenter);
    QTest::newRow("center center") << FlexAlign::CenterCenter << "abc" << int(Qt::AlignHCenter | Qt::AlignVCenter);
    QTest::newRow("left top") << FlexAlign::LeftTop << "abc" << int(Qt::AlignLeft | Qt::AlignTop);
    QTest::newRow("right bottom") << FlexAlign::RightBottom << "abc" << int(Qt::AlignRight | Qt::AlignBottom);
    QTest::newRow("general number") << FlexAlign::General << " 12.50" << int(Qt::AlignRight | Qt::AlignVCenter);
    QTest::newRow("general text") << FlexAlign::General << "12 Main St" << int(Qt::AlignLeft | Qt::AlignVCenter);
}

void TestControls::gridAlignment()
{
    QFETCH(int, code);
    QFETCH(QString, text);
    QFETCH(int, flags);
    FlexGrid grid;
    QAbstractItemModelTester tester(grid.model());
    grid.setTextMatrix(1, 1, text);
    grid.setColAlignment(1, code);
    QCOMPARE(grid.colAlignment(1), code);
    QCOMPARE(grid.model()->index(0, 1).data(Qt::TextAlignmentRole).toInt(), flags);
}

void TestControls::gridFormatString()
{
    FlexGrid grid;
    QAbstractItemModelTester tester(grid.model());
    const QString format = QStringLiteral(
        "Sl. No |Item Code                       |Item Description                            "
        "                                                                |>    Bill Quantity |"
        ">Cost Price                                |>Cost Price |");
    grid.setFormatString(format);
    QCOMPARE(grid.cols(), 7);
    QCOMPARE(grid.formatString(), format);
    QCOMPARE(grid.textMatrix(0, 0), QStringLiteral("Sl. No "));
    QCOMPARE(grid.textMatrix(0, 3), QStringLiteral("    Bill Quantity "));
    QCOMPARE(grid.textMatrix(0, 5), QStringLiteral("Cost Price "));
    QCOMPARE(grid.textMatrix(0, 6), QString());
    QCOMPARE(grid.model()->headerData(4, Qt::Horizontal).toString(), grid.textMatrix(0, 4));
    for (int col : {3, 4, 5})
        QCOMPARE(grid.colAlignment(col), FlexAlign::RightCenter);
    for (int col : {0, 1, 2, 6})
        QCOMPARE(grid.colAlignment(col), FlexAlign::General);

    // Widths follow the captions' measured widths, trailing blanks included.
    const QFontMetrics metrics = grid.fontMetrics();
    QVERIFY(grid.colWidth(0) >= pixelsToTwipsX(metrics.horizontalAdvance(QStringLiteral("Sl. No ")), &grid));
    QVERIFY(grid.colWidth(0) < grid.colWidth(1));
    QVERIFY(grid.colWidth(1) < grid.colWidth(2));
    QVERIFY(grid.colWidth(5) < grid.colWidth(4));
    QVERIFY(grid.colWidth(6) < grid.colWidth(0));
    QVERIFY(grid.colWidth(2) - grid.colWidth(1)
            > pixelsToTwipsX(metrics.horizontalAdvance(QString(40, u' ')), &grid));
}

void TestControls::gridFormatStringAlignment_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<QList<int>>("alignments");
    QTest::addColumn<QStringList>("captions");
    QTest::newRow("all three marks") << "<Left|^Centre|>Right|Plain" << QList<int>{1, 4, 7, 9}
                                     << QStringList{"Left", "Centre", "Right", "Plain"};
    QTest::newRow("fixed column part ignored") << "A|B;row1|row2" << QList<int>{9, 9}
                                               << QStringList{"A", "B"};
    QTest::newRow("only a mark") << ">|" << QList<int>{7, 9} << QStringList{"", ""};
}

void TestControls::gridFormatStringAlignment()
{
    QFETCH(QString, format);
    QFETCH(QList<int>, alignments);
    QFETCH(QStringList, captions);
    FlexGrid grid;
    grid.setFormatString(QStringLiteral(">a|>b|>c|>d"));
    grid.setFormatString(format);
    QCOMPARE(grid.cols(), alignments.size());
    for (int col = 0; col < grid.cols(); ++col) {
        QCOMPARE(grid.colAlignment(col), alignments.at(col));
        QCOMPARE(grid.textMatrix(0, col), captions.at(col));
    }
}

void TestControls::gridSort_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QStringList>("keys");
    QTest::addColumn<QStringList>("expected");

    const QStringList mixed{"10", "9", "abc", "", "100", "Abc", "2.5"};
    QTest::newRow("generic ascending: empty, numbers by value, text")
        << FlexSort::GenericAscending << mixed << QStringList{"", "2.5", "9", "10", "100", "abc", "Abc"};
    QTest::newRow("generic descending keeps equal texts in order")
        << FlexSort::GenericDescending << mixed << QStringList{"abc", "Abc", "100", "10", "9", "2.5", ""};
    QTest::newRow("numeric ascending reads leading numbers")
        << FlexSort::NumericAscending << QStringList{"10", "9", "2x", "abc", "-1"}
        << QStringList{"-1", "abc", "2x", "9", "10"};
    QTest::newRow("numeric descending")
        << FlexSort::NumericDescending << QStringList{"10", "9", "2x", "100"}
        << QStringList{"100", "10", "9", "2x"};
    QTest::newRow("text without case, ascending and stable")
        << FlexSort::StringNoCaseAscending << QStringList{"b", "A", "a", "B", "10", "9"}
        << QStringList{"10", "9", "A", "a", "b", "B"};
    QTest::newRow("text without case, descending and stable")
        << FlexSort::StringNoCaseDescending << QStringList{"b", "A", "a", "B"}
        << QStringList{"b", "B", "A", "a"};
    QTest::newRow("text with case ascending")
        << FlexSort::StringAscending << QStringList{"b", "A", "a", "B"} << QStringList{"A", "B", "a", "b"};
    QTest::newRow("text with case descending")
        << FlexSort::StringDescending << QStringList{"b", "A", "a", "B"} << QStringList{"b", "a", "B", "A"};
    QTest::newRow("dates as text")
        << FlexSort::StringAscending << QStringList{"2012-03-15", "2011-12-31", "2012-01-02"}
        << QStringList{"2011-12-31", "2012-01-02", "2012-03-15"};
}

void TestControls::gridSort()
{
    QFETCH(int, mode);
    QFETCH(QStringList, keys);
    QFETCH(QStringList, expected);
    FlexGrid grid;
    QAbstractItemModelTester tester(grid.model());
    grid.setCols(2);
    grid.setRows(int(keys.size()) + 1);
    grid.setTextMatrix(0, 1, QStringLiteral("Key"));
    for (int i = 0; i < keys.size(); ++i) {
        grid.setTextMatrix(i + 1, 0, QString::number(i));
        grid.setTextMatrix(i + 1, 1, keys.at(i));
    }
    grid.setCol(1);
    grid.sort(mode);
    QCOMPARE(columnTexts(grid, 1), expected);
    QCOMPARE(grid.textMatrix(0, 1), QStringLiteral("Key"));
    // Each row's tag travelled with its key.
    for (int r = 1; r < grid.rows(); ++r)
        QCOMPARE(keys.at(grid.textMatrix(r, 0).toInt()), grid.textMatrix(r, 1));
}

void TestControls::gridSortMovesWholeRowsAndKeepsCurrentCell()
{
    FlexGrid grid;
    grid.resize(500, 300);
    grid.show();
    fill(grid, 5, 4);
    grid.setTextMatrix(1, 2, QStringLiteral("c"));
    grid.setTextMatrix(2, 2, QStringLiteral("a"));
    grid.setTextMatrix(3, 2, QStringLiteral("d"));
    grid.setTextMatrix(4, 2, QStringLiteral("b"));
    grid.setRow(2);
    grid.setCellForeColor(0x0000FF);
    grid.setCol(2);
    grid.setColSel(2);
    QStringList events;
    recordEvents(grid, events);
    grid.sort(FlexSort::StringAscending);
    QVERIFY(events.isEmpty());
    QCOMPARE(grid.row(), 2);
    QCOMPARE(grid.col(), 2);
    QCOMPARE(columnTexts(grid, 2), QStringList({"a", "b", "c", "d"}));
    QCOMPARE(columnTexts(grid, 0), QStringList({"r2c0", "r4c0", "r1c0", "r3c0"}));
    QCOMPARE(columnTexts(grid, 3), QStringList({"r2c3", "r4c3", "r1c3", "r3c3"}));
    // The cell colour moved with its row (old row 2 is now row 1).
    QCOMPARE(grid.cellForeColorAt(1, 0), VbColor(0x0000FF));
    QCOMPARE(grid.cellForeColorAt(2, 0), VbColor(0));
    QCOMPARE(grid.model()->headerData(2, Qt::Horizontal).toString(), QStringLiteral("C2"));
    QCOMPARE(grid.selectionModel()->currentIndex(), grid.model()->index(1, 2));
}

void TestControls::gridSortRowRange()
{
    FlexGrid grid;
    grid.setCols(1);
    grid.setRows(6);
    const QStringList keys{"e", "d", "c", "b", "a"};
    for (int i = 0; i < keys.size(); ++i)
        grid.setTextMatrix(i + 1, 0, keys.at(i));
    grid.setRow(2);
    grid.setRowSel(4);
    grid.sort(FlexSort::StringAscending);
    QCOMPARE(columnTexts(grid, 0), QStringList({"e", "b", "c", "d", "a"}));
}

void TestControls::gridMoveEvents()
{
    FlexGrid grid;
    fill(grid, 6, 4);
    QStringList events;
    recordEvents(grid, events);

    grid.setRow(3);
    QCOMPARE(events, QStringList({"leave", "rowcol", "enter", "sel"}));
    QCOMPARE(grid.rowSel(), 3);
    events.clear();

    grid.setRow(3);
    QVERIFY(events.isEmpty());

    grid.setColSel(3);
    QCOMPARE(events, QStringList({"sel"}));
    QCOMPARE(grid.col(), 0);
    QCOMPARE(grid.colSel(), 3);
    events.clear();

    grid.setCol(2); // collapses the selection
    QCOMPARE(events, QStringList({"leave", "rowcol", "enter", "sel"}));
    QCOMPARE(grid.colSel(), 2);
    events.clear();

    grid.selectRow(5);
    QCOMPARE(events, QStringList({"leave", "rowcol", "enter", "sel"}));
    QCOMPARE(grid.row(), 5);
    QCOMPARE(grid.col(), 0);
    QCOMPARE(grid.rowSel(), 5);
    QCOMPARE(grid.colSel(), 3);
    QCOMPARE(grid.selectionModel()->selectedIndexes().size(), 4);
    QCOMPARE(grid.selectionModel()->currentIndex(), grid.model()->index(4, 0));
}

void TestControls::gridReentrantRowColHandler()
{
    // The register selects the whole current row from its row-change handler.
    FlexGrid grid;
    fill(grid, 6, 4);
    int handled = 0;
    connect(&grid, &FlexGrid::rowColChange, &grid, [&] {
        ++handled;
        grid.setCol(0);
        grid.setColSel(grid.cols() - 1);
    });
    QStringList events;
    recordEvents(grid, events);
    grid.setRow(4);
    grid.setCol(2);
    QCOMPARE(grid.row(), 4);
    QCOMPARE(grid.col(), 0);
    QCOMPARE(grid.colSel(), 3);
    QVERIFY(handled <= 4);
    QCOMPARE(events.count(QStringLiteral("enter")), 2);
}

void TestControls::gridKeyboardNavigation()
{
    FlexGrid grid;
    grid.resize(400, 200);
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    fill(grid, 101, 3);
    grid.setFocus();
    int rowColChanges = 0;
    connect(&grid, &FlexGrid::rowColChange, &grid, [&] { ++rowColChanges; });

    QTest::keyClick(&grid, Qt::Key_Down);
    QCOMPARE(grid.row(), 2);
    QCOMPARE(rowColChanges, 1);
    QTest::keyClick(&grid, Qt::Key_Up);
    QTest::keyClick(&grid, Qt::Key_Up);
    QCOMPARE(grid.row(), 1);

    QTest::keyClick(&grid, Qt::Key_PageDown);
    const int page = grid.row() - 1;
    QVERIFY(page > 1);
    QTest::keyClick(&grid, Qt::Key_End, Qt::ControlModifier);
    QCOMPARE(grid.row(), 100);
    QCOMPARE(grid.topRow() + page, 101);
    QTest::keyClick(&grid, Qt::Key_Home, Qt::ControlModifier);
    QCOMPARE(grid.row(), 1);
    QCOMPARE(grid.topRow(), 1);

    grid.selectRow(10);
    const QColor cyan(0, 255, 255);
    connect(&grid, &FlexGrid::selChange, &grid, [&] {
        grid.setForeColorSel(grid.rowSel() != grid.row() ? 0xFFFF00 : VbSystemColor::HighlightText);
    });
    QTest::keyClick(&grid, Qt::Key_Down, Qt::ShiftModifier);
    QTest::keyClick(&grid, Qt::Key_Down, Qt::ShiftModifier);
    QCOMPARE(grid.row(), 10);
    QCOMPARE(grid.rowSel(), 12);
    QVERIFY(grid.isCellHighlighted(11, 1));
    QCOMPARE(grid.displayedTextColor(12, 2), cyan);
    QTest::keyClick(&grid, Qt::Key_Down);
    QCOMPARE(grid.row(), 11);
    QCOMPARE(grid.rowSel(), 11);
}

void TestControls::gridKeyEvents_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<int>("keyCode");
    QTest::addColumn<int>("keyAscii"); // -1: no keyPress
    QTest::newRow("enter") << int(Qt::Key_Return) << Qt::KeyboardModifiers() << 13 << 13;
    QTest::newRow("ctrl+enter") << int(Qt::Key_Return) << Qt::KeyboardModifiers(Qt::ControlModifier) << 13 << 10;
    QTest::newRow("ctrl+d") << int(Qt::Key_D) << Qt::KeyboardModifiers(Qt::ControlModifier) << 68 << 4;
    QTest::newRow("delete") << int(Qt::Key_Delete) << Qt::KeyboardModifiers() << 46 << -1;
    QTest::newRow("letter") << int(Qt::Key_X) << Qt::KeyboardModifiers() << 88 << int('x');
}

void TestControls::gridKeyEvents()
{
    QFETCH(int, key);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(int, keyCode);
    QFETCH(int, keyAscii);
    FlexGrid grid;
    QList<int> downs, ups, presses;
    connect(&grid, &FlexGrid::keyDown, &grid, [&](int code, Qt::KeyboardModifiers) { downs << code; });
    connect(&grid, &FlexGrid::keyUp, &grid, [&](int code, Qt::KeyboardModifiers) { ups << code; });
    connect(&grid, &FlexGrid::keyPress, &grid, [&](int &ascii) { presses << ascii; });
    QTest::keyClick(&grid, Qt::Key(key), modifiers);
    QCOMPARE(withoutModifierKeys(downs), QList<int>{keyCode});
    QCOMPARE(withoutModifierKeys(ups), QList<int>{keyCode});
    QCOMPARE(presses, keyAscii < 0 ? QList<int>{} : QList<int>{keyAscii});
}

void TestControls::gridMouse()
{
    FlexGrid grid;
    grid.resize(500, 300);
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    fill(grid, 10, 4);
    QStringList events;
    recordEvents(grid, events);
    int clicks = 0, doubleClicks = 0, moves = 0;
    connect(&grid, &FlexGrid::clicked, &grid, [&] { ++clicks; });
    connect(&grid, &FlexGrid::dblClick, &grid, [&] { ++doubleClicks; });
    connect(&grid, &FlexGrid::mouseMove, &grid, [&] { ++moves; });

    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, cellCenter(grid, 3, 2));
    QCOMPARE(grid.row(), 3);
    QCOMPARE(grid.col(), 2);
    QCOMPARE(clicks, 1);
    QCOMPARE(events, QStringList({"leave", "rowcol", "enter", "sel"}));

    QTest::mouseClick(grid.viewport(), Qt::LeftButton, Qt::ShiftModifier, cellCenter(grid, 6, 3));
    QCOMPARE(grid.row(), 3);
    QCOMPARE(grid.rowSel(), 6);
    QCOMPARE(grid.colSel(), 3);
    QVERIFY(grid.isCellHighlighted(5, 2));
    QVERIFY(!grid.isCellHighlighted(5, 1));

    QTest::mouseDClick(grid.viewport(), Qt::LeftButton, {}, cellCenter(grid, 4, 1));
    QCOMPARE(doubleClicks, 1);
    QCOMPARE(grid.row(), 4);

    moveMouse(grid.viewport(), cellCenter(grid, 7, 3));
    QCOMPARE(moves, 1);
    QCOMPARE(grid.mouseRow(), 7);
    QCOMPARE(grid.mouseCol(), 3);
    // Past the last row and column the nearest cell is reported.
    moveMouse(grid.viewport(), QPoint(grid.viewport()->width() - 2, grid.viewport()->height() - 2));
    QCOMPARE(grid.mouseRow(), 9);
    QCOMPARE(grid.mouseCol(), 3);
    moveMouse(grid.horizontalHeader()->viewport(), QPoint(cellCenter(grid, 1, 2).x(), 3));
    QCOMPARE(grid.mouseRow(), 0);
    QCOMPARE(grid.mouseCol(), 2);
}

void TestControls::gridToolTip()
{
    FlexGrid grid;
    grid.resize(500, 300);
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    fill(grid, 5, 3);
    connect(&grid, &FlexGrid::mouseMove, &grid,
            [&] { grid.setToolTipText(grid.textMatrix(grid.mouseRow(), grid.mouseCol())); });
    const QPoint pos = cellCenter(grid, 2, 1);
    moveMouse(grid.viewport(), pos);
    QCOMPARE(grid.toolTipText(), QStringLiteral("r2c1"));
    QHelpEvent help(QEvent::ToolTip, pos, grid.viewport()->mapToGlobal(pos));
    QApplication::sendEvent(grid.viewport(), &help);
    QTRY_COMPARE(QToolTip::text(), QStringLiteral("r2c1"));
    QToolTip::hideText();
}

void TestControls::gridColoursAndHighlight()
{
    FlexGrid grid;
    QAbstractItemModelTester tester(grid.model());
    QPalette palette = grid.palette();
    palette.setColor(QPalette::Text, QColor(1, 2, 3));
    palette.setColor(QPalette::HighlightedText, QColor(4, 5, 6));
    grid.setPalette(palette);
    fill(grid, 5, 3);

    grid.setRow(2);
    for (int c = 0; c < grid.cols(); ++c) {
        grid.setCol(c);
        grid.setCellForeColor(0x0000FF);
    }
    QCOMPARE(grid.cellForeColor(), VbColor(0x0000FF));
    QCOMPARE(grid.model()->index(1, 1).data(Qt::ForegroundRole).value<QBrush>().color(), QColor(255, 0, 0));
    QVERIFY(!grid.model()->index(0, 1).data(Qt::ForegroundRole).isValid());

    // A single current cell is not highlighted: it shows its own colour.
    QVERIFY(!grid.isCellHighlighted(2, 2));
    QCOMPARE(grid.displayedTextColor(2, 2), QColor(255, 0, 0));
    QCOMPARE(grid.displayedTextColor(3, 2), QColor(1, 2, 3));

    grid.selectRow(2);
    QCOMPARE(grid.displayedTextColor(2, 1), QColor(4, 5, 6));
    grid.setForeColorSel(grid.cellForeColor());
    QCOMPARE(grid.displayedTextColor(2, 1), QColor(255, 0, 0));
    QCOMPARE(grid.displayedTextColor(3, 1), QColor(1, 2, 3));

    // A system colour set on a cell resolves through the palette.
    grid.setRow(4);
    grid.setCellForeColor(VbSystemColor::WindowText);
    QCOMPARE(grid.model()->index(3, 0).data(Qt::ForegroundRole).value<QBrush>().color(), QColor(1, 2, 3));
}

void TestControls::gridClear()
{
    FlexGrid grid;
    QAbstractItemModelTester tester(grid.model());
    fill(grid, 4, 3);
    grid.setColWidth(0, 0);
    grid.setRow(2);
    grid.setCellForeColor(0x0000FF);
    grid.clear();
    QCOMPARE(grid.rows(), 4);
    QCOMPARE(grid.cols(), 3);
    QCOMPARE(grid.textMatrix(0, 1), QString());
    QCOMPARE(grid.textMatrix(3, 2), QString());
    QCOMPARE(grid.cellForeColorAt(2, 0), VbColor(0));
    QCOMPARE(grid.colWidth(0), 0);
}

void TestControls::gridTopRow()
{
    FlexGrid grid;
    grid.resize(400, 200);
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    fill(grid, 200, 3);
    grid.setTopRow(50);
    QCOMPARE(grid.topRow(), 50);
    QCOMPARE(grid.rowAt(0), 49);
    grid.setTopRow(1);
    QCOMPARE(grid.topRow(), 1);
}

void TestControls::gridTopRowBeforeShow()
{
    // The register fills its grid and scrolls it while loading, before it is shown.
    QDialog dialog;
    auto *layout = new QVBoxLayout(&dialog);
    auto *grid = new FlexGrid(&dialog);
    layout->addWidget(grid);
    dialog.resize(500, 300);
    grid->beginBulkUpdate();
    fill(*grid, 300, 4);
    grid->endBulkUpdate();
    grid->selectRow(250);
    grid->setTopRow(250);
    QCOMPARE(grid->topRow(), 250);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QCOMPARE(grid->topRow(), 250);
    QCOMPARE(grid->rowAt(0), 249);
}

void TestControls::gridWithoutFixedRow()
{
    FlexGrid grid;
    QAbstractItemModelTester tester(grid.model());
    fill(grid, 3, 2);
    grid.setFixedRows(0);
    QCOMPARE(grid.model()->rowCount(), 3);
    QVERIFY(grid.horizontalHeader()->isHidden());
    QCOMPARE(grid.model()->index(0, 1).data().toString(), QStringLiteral("C1"));
    grid.setRow(0);
    QCOMPARE(grid.selectionModel()->currentIndex(), grid.model()->index(0, 0));
    grid.setFixedRows(1);
    QCOMPARE(grid.model()->rowCount(), 2);
    QCOMPARE(grid.row(), 1);
}

void TestControls::gridLargeFill()
{
    constexpr int records = 100000;
    constexpr int fields = 8;
    const QStringList shops{"Main Street", "Harbour", "Airport", "Mall"};
    // The texts of one register record, as a recordset would hand them over.
    const auto field = [&](int r, int c) {
        switch (c) {
        case 0: return QString::number(r);
        case 1: return QStringLiteral("LPC/%1").arg(r, 6, 10, QLatin1Char('0'));
        case 2: return QStringLiteral("2012-03-%1T00:00:00.000").arg(1 + r % 28, 2, 10, QLatin1Char('0'));
        case 3: return shops.at(r % shops.size());
        case 4: return QStringLiteral("B%1").arg(r);
        case 5: return QString::number(r * 1.25, 'f', 2);
        case 6: return r % 10 == 0 ? QStringLiteral("Yes") : QStringLiteral("No");
        default: return QStringLiteral("No");
        }
    };

    QElapsedTimer timer;
    timer.start();
    qsizetype characters = 0;
    for (int r = 1; r <= records; ++r) {
        for (int c = 0; c < fields; ++c)
            characters += field(r, c).size();
    }
    const qint64 stringsMs = timer.elapsed();
    QVERIFY(characters > 0);

    QDialog dialog;
    auto *layout = new QVBoxLayout(&dialog);
    auto *grid = new FlexGrid(&dialog);
    layout->addWidget(grid);
    dialog.resize(900, 500);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));

    const qint64 memoryBefore = residentKb();
    timer.restart();
    grid->beginBulkUpdate();
    grid->setCols(fields);
    grid->setRows(2);
    for (int r = 1; r <= records; ++r) {
        if (r > 1)
            grid->setRows(grid->rows() + 1);
        for (int c = 0; c < fields; ++c)
            grid->setTextMatrix(r, c, field(r, c));
        if (r % 10 == 0) {
            for (int c = 0; c < fields; ++c)
                grid->setCellForeColorAt(r, c, 0x0000FF);
        }
    }
    grid->endBulkUpdate();
    const qint64 bulkMs = timer.elapsed();
    grid->selectRow(records);
    grid->setTopRow(records);
    QCoreApplication::processEvents();
    const qint64 memoryAfter = residentKb();

    QCOMPARE(grid->rows(), records + 1);
    QCOMPARE(grid->model()->rowCount(), records);
    QCOMPARE(grid->textMatrix(records, 1), QStringLiteral("LPC/100000"));
    QCOMPARE(grid->textMatrix(records, 6), QStringLiteral("Yes"));
    QCOMPARE(grid->cellForeColorAt(records, 3), VbColor(0x0000FF));
    QVERIFY(grid->topRow() > records - 50);

    timer.restart();
    grid->setCol(3);
    grid->sort(FlexSort::StringNoCaseAscending);
    const qint64 sortMs = timer.elapsed();
    QCOMPARE(grid->textMatrix(1, 3), QStringLiteral("Airport"));

    // The same fill without a bulk update.
    FlexGrid plain;
    plain.resize(900, 500);
    plain.show();
    QVERIFY(QTest::qWaitForWindowExposed(&plain));
    plain.setCols(fields);
    timer.restart();
    for (int r = 1; r <= records; ++r) {
        if (r > 1)
            plain.setRows(plain.rows() + 1);
        for (int c = 0; c < fields; ++c)
            plain.setTextMatrix(r, c, field(r, c));
    }
    QCoreApplication::processEvents();
    const qint64 plainMs = timer.elapsed();
    QCOMPARE(plain.textMatrix(records, 7), QStringLiteral("No"));

    qInfo("100,000 x 8: creating the texts alone %lld ms; fill with bulk update %lld ms, without %lld ms; "
          "sort %lld ms; resident memory of the filled grid +%lld MB",
          stringsMs, bulkMs, plainMs, sortMs, (memoryAfter - memoryBefore) / 1024);
    QVERIFY(memoryAfter - memoryBefore < 150 * 1024);
}

void TestControls::comboStartsUnselectedAndFillingRaisesNoClick()
{
    ComboBox combo;
    QSignalSpy clicks(&combo, &ComboBox::click);
    combo.addItem(QStringLiteral("Main Street"), 11);
    combo.addItem(QStringLiteral("Harbour"), 12);
    QCOMPARE(combo.listCount(), 2);
    QCOMPARE(combo.listIndex(), -1);
    QCOMPARE(combo.text(), QString());
    QCOMPARE(combo.itemData(1), 12);

    combo.setListIndex(0);
    combo.addItem(QStringLiteral("Airport"), 13); // a filled, selected list keeps its choice
    QCOMPARE(combo.listIndex(), 0);
    clicks.clear();
    combo.clear();
    QCOMPARE(combo.listIndex(), -1);
    QCOMPARE(combo.listCount(), 0);
    combo.addItem(QStringLiteral("Depot"), 20);
    QCOMPARE(combo.listIndex(), -1);
    QCOMPARE(clicks.size(), 0);
}

void TestControls::comboSelectionRaisesClick()
{
    ComboBox combo;
    combo.addItem(QStringLiteral("Main Street"), 11);
    combo.addItem(QStringLiteral("Harbour"), 12);
    QStringList seen;
    connect(&combo, &ComboBox::click, &combo, [&] { seen << combo.text(); });
    combo.setListIndex(1);
    combo.setListIndex(1);
    combo.setListIndex(-1);
    QCOMPARE(seen, QStringList({"Harbour", "Harbour"}));
    QCOMPARE(combo.listIndex(), -1);
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, combo.setListIndex(2));
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, combo.itemData(-1));
}

void TestControls::comboSelectByValue_data()
{
    QTest::addColumn<qint32>("value");
    QTest::addColumn<bool>("found");
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("clicks");
    QTest::newRow("first") << qint32(5) << true << 0 << 1;
    QTest::newRow("duplicate value picks the first") << qint32(7) << true << 1 << 1;
    QTest::newRow("large id") << qint32(2147483647) << true << 3 << 1;
    QTest::newRow("missing") << qint32(99) << false << 2 << 0;
}

void TestControls::comboSelectByValue()
{
    QFETCH(qint32, value);
    QFETCH(bool, found);
    QFETCH(int, index);
    QFETCH(int, clicks);
    ComboBox combo;
    combo.addItem(QStringLiteral("a"), 5);
    combo.addItem(QStringLiteral("b"), 7);
    combo.addItem(QStringLiteral("c"), 7);
    combo.addItem(QStringLiteral("d"), 2147483647);
    combo.setListIndex(2);
    QSignalSpy spy(&combo, &ComboBox::click);
    QCOMPARE(combo.selectByValue(value), found);
    QCOMPARE(combo.listIndex(), index);
    QCOMPARE(spy.size(), clicks);
}

void TestControls::comboUserSelection()
{
    QDialog dialog;
    auto *layout = new QVBoxLayout(&dialog);
    auto *combo = new ComboBox(&dialog);
    layout->addWidget(combo);
    combo->addItem(QStringLiteral("Main Street"), 11);
    combo->addItem(QStringLiteral("Harbour"), 12);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QSignalSpy clicks(combo, &ComboBox::click);
    combo->setFocus();
    QTest::keyClick(combo, Qt::Key_Down);
    QCOMPARE(combo->listIndex(), 0);
    QTest::keyClick(combo, Qt::Key_Down);
    QCOMPARE(combo->listIndex(), 1);
    QCOMPARE(clicks.size(), 2);
    QCOMPARE(combo->text(), QStringLiteral("Harbour"));
}

void TestControls::comboEnterMovesFocus()
{
    QDialog dialog;
    auto *layout = new QVBoxLayout(&dialog);
    auto *combo = new ComboBox(&dialog);
    auto *next = new QLineEdit(&dialog);
    auto *ok = new QPushButton(QStringLiteral("&Ok"), &dialog);
    layout->addWidget(combo);
    layout->addWidget(next);
    layout->addWidget(ok);
    ok->setDefault(true);
    QSignalSpy okClicks(ok, &QPushButton::clicked);
    connect(combo, &ComboBox::keyPress, combo, [combo](int &keyAscii) {
        if (keyAscii == 13)
            focusNextControl(combo);
    });
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    combo->setFocus();
    QTest::keyClick(combo, Qt::Key_Return);
    QCOMPARE(dialog.focusWidget(), next);
    QCOMPARE(okClicks.size(), 0);
}

void TestControls::listViewColumnsAndItems()
{
    ListView list;
    QAbstractItemModelTester tester(list.model());
    list.addColumnHeader(QStringLiteral("Bill No"), 1200);
    list.addColumnHeader(QStringLiteral("Vendor"), 2400);
    list.addColumnHeader(QStringLiteral("shopid"), 0);
    QCOMPARE(list.columnHeaderCount(), 3);
    QCOMPARE(list.columnHeaderText(1), QStringLiteral("Vendor"));
    QCOMPARE(list.model()->headerData(2, Qt::Horizontal).toString(), QStringLiteral("shopid"));
    QCOMPARE(list.columnHeaderWidth(0), 1200);
    QCOMPARE(list.columnHeaderWidth(2), 0);
    QVERIFY(list.isColumnHidden(2));
    QCOMPARE(list.columnWidth(1), twipsToPixelsX(2400, &list));

    const int first = list.addItem(QStringLiteral("101"), {"B-1", "Acme", "7", "", "", "Yes"});
    const int second = list.addItem(QStringLiteral("102"));
    QCOMPARE(first, 1);
    QCOMPARE(second, 2);
    list.setSubItemText(second, 2, QStringLiteral("Zenith"));
    list.setSubItemText(second, 6, QStringLiteral("Yes"));
    QCOMPARE(list.listItemCount(), 2);
    QCOMPARE(list.itemText(2), QStringLiteral("102"));
    QCOMPARE(list.subItemText(2, 1), QString());
    QCOMPARE(list.subItemText(2, 6), QStringLiteral("Yes"));
    QCOMPARE(list.subItemText(1, 6), QStringLiteral("Yes"));
    QCOMPARE(list.model()->columnCount(), 3);
    QCOMPARE(list.model()->index(1, 2).data().toString(), QStringLiteral("Zenith"));
    QCOMPARE(list.model()->index(0, 0).data().toString(), QStringLiteral("101"));

    for (int j = 1; j < list.columnHeaderCount(); ++j)
        list.setSubItemForeColor(1, j, 0xFF0000);
    QCOMPARE(list.subItemForeColor(1, 1), VbColor(0xFF0000));
    QCOMPARE(list.subItemForeColor(1, 0), VbColor(0));
    QCOMPARE(list.model()->index(0, 1).data(Qt::ForegroundRole).value<QBrush>().color(), QColor(0, 0, 255));
    QVERIFY(!list.model()->index(0, 0).data(Qt::ForegroundRole).isValid());

    QVERIFY_THROWS_EXCEPTION(std::out_of_range, list.itemText(3));
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, list.subItemText(1, 0));
    list.clear();
    QCOMPARE(list.listItemCount(), 0);
    QCOMPARE(list.selectedItem(), 0);
    QCOMPARE(list.columnHeaderCount(), 3);
}

void TestControls::listViewFindItem_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("subItems");
    QTest::addColumn<bool>("partial");
    QTest::addColumn<int>("item");
    QTest::newRow("vendor prefix, other case") << "acm" << true << true << 2;
    QTest::newRow("first from the top wins") << "B-" << true << true << 1;
    QTest::newRow("sub-items only, not the item text") << "10" << true << true << 0;
    QTest::newRow("item text") << "10" << false << true << 1;
    QTest::newRow("elapsed time sub-item") << "2 hrs" << true << true << 3;
    QTest::newRow("no match") << "xyz" << true << true << 0;
    QTest::newRow("inside, not at the start") << "cme" << true << true << 0;
    QTest::newRow("whole text only") << "acme" << true << false << 0;
    QTest::newRow("whole text") << "acme ltd" << true << false << 2;
    QTest::newRow("item text only") << "acm" << false << true << 0;
}

void TestControls::listViewFindItem()
{
    QFETCH(QString, text);
    QFETCH(bool, subItems);
    QFETCH(bool, partial);
    QFETCH(int, item);
    ListView list;
    list.addColumnHeader(QStringLiteral("Bill No"));
    list.addItem(QStringLiteral("101"), {"B-1", "2012-03-15", "Zenith", "0 Hrs:5Mts"});
    list.addItem(QStringLiteral("102"), {"B-2", "2012-03-15", "Acme Ltd", "1 Hrs:0Mts"});
    list.addItem(QStringLiteral("103"), {"B-3", "2012-03-16", "Acme Ltd", "2 Hrs:5Mts"});
    QCOMPARE(list.findItem(text, subItems, partial), item);
}

void TestControls::listViewSort_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<Qt::SortOrder>("order");
    QTest::addColumn<QStringList>("expected"); // item texts top to bottom
    QTest::newRow("vendor, case ignored, stable") << 3 << Qt::AscendingOrder << QStringList{"2", "4", "1", "3"};
    QTest::newRow("vendor descending") << 3 << Qt::DescendingOrder << QStringList{"3", "1", "2", "4"};
    QTest::newRow("item text compared as text") << 0 << Qt::AscendingOrder << QStringList{"1", "2", "3", "4"};
    QTest::newRow("amount compared as text") << 1 << Qt::AscendingOrder << QStringList{"3", "1", "4", "2"};
    QTest::newRow("sub-item beyond the columns") << 6 << Qt::AscendingOrder << QStringList{"4", "3", "2", "1"};
}

void TestControls::listViewSort()
{
    QFETCH(int, key);
    QFETCH(Qt::SortOrder, order);
    QFETCH(QStringList, expected);
    ListView list;
    QAbstractItemModelTester tester(list.model());
    for (const char *caption : {"Id", "Amount", "Date", "Vendor"})
        list.addColumnHeader(QString::fromLatin1(caption));
    list.addItem(QStringLiteral("1"), {"200", "", "mango", "", "", "d"});
    list.addItem(QStringLiteral("2"), {"90", "", "Apple", "", "", "c"});
    list.addItem(QStringLiteral("3"), {"1000", "", "Zebra", "", "", "b"});
    list.addItem(QStringLiteral("4"), {"50", "", "apple", "", "", "a"});
    list.setSortOrder(order);
    list.setSortKey(key);
    list.setSorted(true);
    QStringList texts;
    for (int i = 1; i <= list.listItemCount(); ++i)
        texts << list.itemText(i);
    QCOMPARE(texts, expected);
    QCOMPARE(list.model()->index(0, 0).data().toString(), expected.first());
}

void TestControls::listViewColumnClickSorts()
{
    ListView list;
    list.resize(400, 200);
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    list.addColumnHeader(QStringLiteral("Bill"), 1000);
    list.addColumnHeader(QStringLiteral("Vendor"), 1500);
    list.addItem(QStringLiteral("1"), {"b"});
    list.addItem(QStringLiteral("2"), {"a"});
    list.addItem(QStringLiteral("3"), {"c"});
    connect(&list, &ListView::columnClick, &list, [&](int column) {
        list.setSortKey(column);
        list.setSorted(true);
    });
    QSignalSpy spy(&list, &ListView::columnClick);
    const QHeaderView *header = list.header();
    const QPoint vendorHeader(header->sectionViewportPosition(1) + 5, header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, vendorHeader);
    QCOMPARE(spy.size(), 1);
    QCOMPARE(spy.first().first().toInt(), 1);
    QCOMPARE(list.itemText(1), QStringLiteral("2"));
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, vendorHeader);
    QCOMPARE(list.itemText(1), QStringLiteral("2"));
    QCOMPARE(list.sortOrder(), Qt::AscendingOrder);
}

void TestControls::listViewSelectionAndSignals()
{
    ListView list;
    list.resize(400, 300);
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    list.addColumnHeader(QStringLiteral("Bill"), 1000);
    list.addColumnHeader(QStringLiteral("Vendor"), 1500);
    list.addItem(QStringLiteral("1"), {"b"});
    QCOMPARE(list.selectedItem(), 1); // the old control selected its first item
    for (int i = 2; i <= 60; ++i)
        list.addItem(QString::number(i), {QStringLiteral("v%1").arg(i)});
    QCOMPARE(list.selectedItem(), 1);

    list.setSelectedItem(3);
    QCOMPARE(list.selectedItem(), 3);
    // The selection follows its item through a sort.
    list.setSortKey(1);
    list.setSorted(true);
    QCOMPARE(list.itemText(list.selectedItem()), QStringLiteral("3"));

    const int far = list.findItem(QStringLiteral("v59"));
    list.ensureVisible(far);
    list.setSelectedItem(far);
    QVERIFY(list.viewport()->rect().contains(list.visualRect(list.model()->index(far - 1, 0)).center()));

    QList<int> presses;
    int doubleClicks = 0;
    QList<int> itemClicks;
    connect(&list, &ListView::keyPress, &list, [&](int &keyAscii) { presses << keyAscii; });
    connect(&list, &ListView::dblClick, &list, [&] { ++doubleClicks; });
    connect(&list, &ListView::itemClick, &list, [&](int item) { itemClicks << item; });
    list.setFocus();
    QTest::keyClick(&list, Qt::Key_Return);
    QCOMPARE(presses, QList<int>{13});

    const QRect itemRect = list.visualRect(list.model()->index(far - 1, 0));
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, itemRect.center());
    QCOMPARE(itemClicks, QList<int>{far});
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, itemRect.center());
    QCOMPARE(doubleClicks, 1);
    QCOMPARE(list.selectedItem(), far);
}

QTEST_MAIN(TestControls)
#include "tst_controls.moc"
