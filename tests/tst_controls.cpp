#include "controls/busycursor.h"
#include "controls/combobox.h"
#include "controls/flexgrid.h"
#include "controls/formanchors.h"
#include "controls/focusnext.h"
#include "controls/listview.h"
#include "controls/messagebox.h"
#include "controls/twips.h"
#include "controls/vbcolor.h"
#include "controls/vbkeys.h"
#include "util/textorder.h"


#include <QAbstractItemModelTester>
#include <QApplication>
#include <QDialog>
#include <QHeaderView>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>
#include <QtTest>

#include <limits>
#include <stdexcept>
#include <utility>

using namespace kadu2217;

namespace {

constexpr VbColor vbRed = 0x0000FF; // colour numbers are 0x00BBGGRR
const QColor red(255, 0, 0);
const QStringList cellMoved{"leave", "rowcol", "enter", "sel"};

// Controls whose models QAbstractItemModelTester checks all through a test.
struct TestedGrid : FlexGrid {
    QAbstractItemModelTester tester{model()};
};
struct TestedList : ListView {
    QAbstractItemModelTester tester{model()};
};

bool showAndWait(QWidget &widget, int width = 500, int height = 300)
{
    widget.resize(width, height);
    widget.show();
    return QTest::qWaitForWindowExposed(&widget);
}

// Cells read "r<row>c<col>", captions "C<col>"; `rows` counts the caption row.
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

QStringList rowTexts(const FlexGrid &grid, int row)
{
    QStringList texts;
    for (int c = 0; c < grid.cols(); ++c)
        texts << grid.textMatrix(row, c);
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

// Columns of the given captions, then one item per list: item text first, then its sub-items.
void fillList(ListView &list, const QStringList &captions, const QList<QStringList> &items)
{
    for (const QString &caption : captions)
        list.addColumnHeader(caption, 1000);
    for (const QStringList &item : items)
        list.addItem(item.first(), item.mid(1));
}

QStringList itemTexts(const ListView &list)
{
    QStringList texts;
    for (int i = 1; i <= list.listItemCount(); ++i)
        texts << list.itemText(i);
    return texts;
}

} // namespace

class TestControls : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        setMessageBoxHandler({});
        QLocale::setDefault(QLocale::c());
    }

    void twipsConversion_data()
    {
        QTest::addColumn<int>("twips");
        QTest::addColumn<int>("pixels");
        QTest::newRow("one pixel") << 15 << 1;
        QTest::newRow("one inch") << 1440 << 96;
        QTest::newRow("zero") << 0 << 0;
        QTest::newRow("rounds to the nearest pixel") << 1000 << 67;
    }
    void twipsConversion()
    {
        if (QGuiApplication::primaryScreen()->logicalDotsPerInchX() != 96)
            QSKIP("the expected values are for a 96 DPI screen");
        QFETCH(int, twips);
        QFETCH(int, pixels);
        QCOMPARE(QList<int>({twipsToPixelsX(twips), twipsToPixelsY(twips)}), QList<int>({pixels, pixels}));
        QCOMPARE(QList<int>({pixelsToTwipsX(pixels), pixelsToTwipsY(pixels)}), QList<int>({pixels * 15, pixels * 15}));
        // Every window places its controls so: left, top, width, height; a font no larger than
        // the one the forms were drawn for leaves twips as they are.
        QWidget parent;
        QFont small = parent.font();
        small.setPixelSize(8);
        parent.setFont(small);
        const auto *child = placeControl<QWidget>(&parent, QStringLiteral("child"), {twips, 2 * twips, 3 * twips, 4 * twips});
        QCOMPARE(child->geometry(), QRect(pixels, twipsToPixelsY(2 * twips), twipsToPixelsX(3 * twips), twipsToPixelsY(4 * twips)));
    }

    void formsGrowWithTheirFont()
    {
        QWidget small;
        QFont font = small.font();
        font.setPixelSize(8);
        small.setFont(font);
        QCOMPARE(formScale(&small).x, 1.0);
        QCOMPARE(formScale(&small).y, 1.0);
        QWidget large;
        font.setPixelSize(24);
        large.setFont(font);
        QWidget larger;
        font.setPixelSize(48);
        larger.setFont(font);
        const FormScale grown = formScale(&large);
        QVERIFY(grown.x > 1.0 && grown.y > 1.0);
        // Twice the font, twice the room, in both directions.
        QVERIFY(qAbs(formScale(&larger).x / grown.x - 2.0) < 0.1);
        QVERIFY(qAbs(formScale(&larger).y / grown.y - 2.0) < 0.1);
        const auto *child = placeControl<QWidget>(&larger, QStringLiteral("child"), {1440, 1440, 1440, 1440});
        QCOMPARE(child->width(), qRound(twipsToPixelsX(1440) * formScale(&larger).x));
        QCOMPARE(child->height(), qRound(twipsToPixelsY(1440) * formScale(&larger).y));
    }

    void formAnchorsFollowTheParent()
    {
        QWidget form;
        form.resize(200, 100);
        auto *frame = new QWidget(&form);
        frame->setGeometry(10, 10, 180, 60);
        auto *inside = new QWidget(frame);
        inside->setGeometry(5, 5, 170, 50);
        auto *bottomRight = new QWidget(&form);
        bottomRight->setGeometry(150, 75, 40, 20);
        auto *bottomLeft = new QWidget(&form);
        bottomLeft->setGeometry(10, 75, 40, 20);
        FormAnchors anchors;
        const int all = FormAnchors::Left | FormAnchors::Top | FormAnchors::Right | FormAnchors::Bottom;
        anchors.anchor(frame, all);
        anchors.anchor(inside, all);
        anchors.anchor(bottomRight, FormAnchors::Right | FormAnchors::Bottom);
        anchors.anchor(bottomLeft, FormAnchors::Left | FormAnchors::Bottom);
        form.resize(260, 130);
        anchors.apply();
        QCOMPARE(frame->geometry(), QRect(10, 10, 240, 90));
        QCOMPARE(inside->geometry(), QRect(5, 5, 230, 80));
        QCOMPARE(bottomRight->geometry(), QRect(210, 105, 40, 20));
        QCOMPARE(bottomLeft->geometry(), QRect(10, 105, 40, 20));
        // Smaller than drawn (while a window is first laid out): nothing shrinks.
        form.resize(100, 50);
        anchors.apply();
        QCOMPARE(frame->geometry(), QRect(10, 10, 180, 60));
        QCOMPARE(bottomRight->geometry(), QRect(150, 75, 40, 20));
    }

    void messageBoxHandler()
    {
        QStringList seen;
        setMessageBoxHandler([&](const QString &title, const QString &text, int style) {
            seen << QStringLiteral("%1|%2|%3").arg(title, text).arg(style);
            return MsgBoxAnswer::No;
        });
        QCOMPARE(messageBox(QStringLiteral("Save Changes?"), 35, QStringLiteral("Costing")), MsgBoxAnswer::No);
        QCOMPARE(seen, QStringList{"Costing|Save Changes?|35"});
    }

    void messageBoxAnswers_data()
    {
        QTest::addColumn<int>("style");
        QTest::addColumn<QMessageBox::StandardButton>("defaultButton");
        QTest::addColumn<QMessageBox::StandardButton>("press"); // NoButton: Esc
        QTest::addColumn<int>("answer");
        QTest::newRow("information ok") << 64 << QMessageBox::Ok << QMessageBox::Ok << MsgBoxAnswer::Ok;
        QTest::newRow("escape on ok only answers ok") << 64 << QMessageBox::Ok << QMessageBox::NoButton << MsgBoxAnswer::Ok;
        QTest::newRow("yes/no/cancel answers no") << 35 << QMessageBox::Yes << QMessageBox::No << MsgBoxAnswer::No;
        QTest::newRow("escape answers cancel") << 35 << QMessageBox::Yes << QMessageBox::NoButton << MsgBoxAnswer::Cancel;
    }
    void messageBoxAnswers()
    {
        QFETCH(int, style);
        QFETCH(QMessageBox::StandardButton, defaultButton);
        QFETCH(QMessageBox::StandardButton, press);
        QFETCH(int, answer);
        QTimer::singleShot(0, this, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            QVERIFY(box);
            QCOMPARE(box->windowTitle() + u'|' + box->text(), QStringLiteral("Title|Text"));
            QCOMPARE(box->standardButton(box->defaultButton()), defaultButton);
            if (press == QMessageBox::NoButton)
                QTest::keyClick(box, Qt::Key_Escape);
            else
                box->button(press)->click();
        });
        QCOMPARE(messageBox(QStringLiteral("Text"), style, QStringLiteral("Title")), answer);
    }

    void keyAscii_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::addColumn<QString>("text"); // what the platform puts in the event
        QTest::addColumn<int>("keyAscii");
        QTest::addColumn<int>("keyCode");
        const Qt::KeyboardModifiers none, ctrl(Qt::ControlModifier);
        QTest::newRow("enter") << int(Qt::Key_Return) << none << "\r" << 13 << 13;
        QTest::newRow("keypad enter") << int(Qt::Key_Enter) << Qt::KeyboardModifiers(Qt::KeypadModifier) << "\r" << 13 << 13;
        QTest::newRow("ctrl+enter") << int(Qt::Key_Return) << ctrl << "" << 10 << 13;
        QTest::newRow("ctrl+d") << int(Qt::Key_D) << ctrl << "\x04" << 4 << 68;
        QTest::newRow("letter") << int(Qt::Key_A) << none << "a" << int('a') << 65;
        QTest::newRow("alt+letter types nothing") << int(Qt::Key_F) << Qt::KeyboardModifiers(Qt::AltModifier) << "f" << 0 << 70;
        QTest::newRow("delete") << int(Qt::Key_Delete) << none << "\x7f" << 0 << 46;
    }
    void keyAscii()
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

    // In a window: the user's choice in a combo raises click; focusNextControl skips hidden and disabled
    // controls; Enter goes to the control's keyPress handler, never to the default button; Esc reaches the window.
    void keyboardInDialog()
    {
        QDialog dialog;
        auto *layout = new QVBoxLayout(&dialog);
        const auto add = [&](auto *widget) {
            layout->addWidget(widget);
            return widget;
        };
        auto *combo = add(new ComboBox(&dialog));
        add(new QPushButton(&dialog))->hide();
        add(new QPushButton(&dialog))->setEnabled(false);
        auto *list = add(new ListView(&dialog));
        auto *grid = add(new FlexGrid(&dialog));
        auto *ok = add(new QPushButton(&dialog));
        ok->setDefault(true);
        QSignalSpy okClicks(ok, &QPushButton::clicked);
        QList<int> presses;
        const auto record = [&presses](int &ascii) { presses << ascii; };
        connect(combo, &ComboBox::keyPress, this, record);
        connect(list, &ListView::keyPress, this, record);
        connect(grid, &FlexGrid::keyPress, this, record);
        QStringList clicks;
        connect(combo, &ComboBox::click, this, [&] { clicks << combo->text(); });
        combo->addItem(QStringLiteral("Main Street"), 11);
        combo->addItem(QStringLiteral("Harbour"), 12);
        QVERIFY(showAndWait(dialog));
        combo->setFocus();
        QTest::keyClick(combo, Qt::Key_Down);
        QTest::keyClick(combo, Qt::Key_Down);
        QCOMPARE(clicks, QStringList({"Main Street", "Harbour"}));
        for (QWidget *next : QList<QWidget *>{list, grid, ok, combo}) {
            QVERIFY(focusNextControl(dialog.focusWidget()));
            QCOMPARE(dialog.focusWidget(), next);
        }
        for (QWidget *control : QList<QWidget *>{combo, list, grid}) {
            control->setFocus();
            QTest::keyClick(control, Qt::Key_Return);
        }
        QCOMPARE(presses, QList<int>({13, 13, 13}));
        QCOMPARE(okClicks.size(), 0);
        QTest::keyClick(grid, Qt::Key_Escape);
        QVERIFY(!dialog.isVisible());
    }

    void outOfRangeThrows()
    {
        FlexGrid grid;
        fill(grid, 3, 2);
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, grid.textMatrix(3, 0));
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, grid.setTextMatrix(0, 2, QString()));
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, grid.setRow(-1));
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, grid.setColWidth(2, 100));
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, grid.sort(9));
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, grid.setRows(0)); // fewer than the caption row
        ComboBox combo;
        combo.addItem(QStringLiteral("a"), 1);
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, combo.setListIndex(1));
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, combo.itemData(-1));
        ListView list;
        fillList(list, {"Bill"}, {{"1"}});
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, list.itemText(2));
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, list.subItemText(1, 0));
    }

    void gridAddItem_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QStringList>("cells");
        QTest::newRow("empty fields keep their place") << "12\t\t\t500.5" << QStringList{"12", "", "", "500.5"};
        QTest::newRow("fewer fields") << "13\tLPC/13" << QStringList{"13", "LPC/13", "", ""};
        QTest::newRow("extra fields dropped") << "14\ta\tb\tc\textra" << QStringList{"14", "a", "b", "c"};
        QTest::newRow("empty line") << "" << QStringList{"", "", "", ""};
    }
    void gridAddItem()
    {
        QFETCH(QString, line);
        QFETCH(QStringList, cells);
        TestedGrid grid;
        grid.setCols(4);
        grid.setTextMatrix(1, 0, QStringLiteral("7"));
        grid.addItem(line);
        QCOMPARE(grid.rows(), 3);
        QCOMPARE(rowTexts(grid, 1) + rowTexts(grid, 2), QStringList({"7", "", "", ""}) + cells);
        QCOMPARE(grid.row(), 1);
    }

    void gridColWidth_data()
    {
        QTest::addColumn<int>("twips");
        QTest::addColumn<int>("stored");
        QTest::newRow("odd twips kept exactly") << 1234 << 1234;
        QTest::newRow("zero hides") << 0 << 0;
        QTest::newRow("minus one is the default") << -1 << int(FlexGrid::DefaultColWidth);
        QTest::newRow("below a pixel") << 7 << 7;
    }
    void gridColWidth()
    {
        QFETCH(int, twips);
        QFETCH(int, stored);
        FlexGrid grid;
        grid.setColWidth(1, 0); // a hidden column comes back with its new width
        grid.setColWidth(1, twips);
        QCOMPARE(grid.colWidth(1), stored);
        QCOMPARE(grid.isColumnHidden(1), stored == 0);
        if (stored != 0)
            QCOMPARE(grid.columnWidth(1), qMax(1, twipsToPixelsX(stored, &grid)));
    }

    void gridFormatString_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QStringList>("captions");
        QTest::addColumn<QList<int>>("alignments");
        using namespace FlexAlign;
        QTest::newRow("marks and trailing blanks") << "Sl. No |Item Code        |>Bill Quantity |^Fix|<Name"
            << QStringList{"Sl. No ", "Item Code        ", "Bill Quantity ", "Fix", "Name"}
            << QList<int>{General, General, RightCenter, CenterCenter, LeftCenter};
        QTest::newRow("fixed column part ignored") << "A|B;row1|row2" << QStringList{"A", "B"} << QList<int>{General, General};
        QTest::newRow("only a mark") << ">|" << QStringList{"", ""} << QList<int>{RightCenter, General};
    }
    void gridFormatString()
    {
        QFETCH(QString, format);
        QFETCH(QStringList, captions);
        QFETCH(QList<int>, alignments);
        TestedGrid grid;
        grid.setFormatString(QStringLiteral(">a|>b|>c|>d|>e|>f")); // an earlier layout is replaced
        grid.setFormatString(format);
        QCOMPARE(rowTexts(grid, 0), captions);
        for (int col = 0; col < grid.cols(); ++col) {
            QCOMPARE(grid.colAlignment(col), alignments.at(col));
            // The caption's width, trailing blanks included, plus the cell's margins.
            const int captionTwips = pixelsToTwipsX(grid.fontMetrics().horizontalAdvance(captions.at(col)), &grid);
            QVERIFY(grid.colWidth(col) >= captionTwips);
            QVERIFY(grid.colWidth(col) < captionTwips + pixelsToTwipsX(20, &grid));
        }
    }

    void gridSort_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QStringList>("keys");
        QTest::addColumn<int>("rowSel"); // sorts rows 2 to rowSel; 0: every data row
        QTest::addColumn<QStringList>("expected");
        const QStringList mixed{"10", "9", "abc", "", "100", "Abc", "2.5"};
        const QStringList letters{"b", "A", "a", "B"};
        QTest::newRow("generic: empty, numbers by value, then text")
            << FlexSort::GenericAscending << mixed << 0 << QStringList{"", "2.5", "9", "10", "100", "abc", "Abc"};
        QTest::newRow("generic descending keeps equal texts in order")
            << FlexSort::GenericDescending << mixed << 0 << QStringList{"abc", "Abc", "100", "10", "9", "2.5", ""};
        QTest::newRow("numeric reads leading numbers, 0 without one")
            << FlexSort::NumericAscending << QStringList{"10", "9", "2x", "abc", "-1"} << 0
            << QStringList{"-1", "abc", "2x", "9", "10"};
        QTest::newRow("text without case, numbers as text, stable")
            << FlexSort::StringNoCaseAscending << QStringList{"b", "A", "a", "B", "10", "9"} << 0
            << QStringList{"10", "9", "A", "a", "b", "B"};
        QTest::newRow("text without case descending, stable")
            << FlexSort::StringNoCaseDescending << letters << 0 << QStringList{"b", "B", "A", "a"};
        QTest::newRow("text with case: capitals first")
            << FlexSort::StringAscending << letters << 0 << QStringList{"A", "B", "a", "b"};
        QTest::newRow("text with case descending")
            << FlexSort::StringDescending << letters << 0 << QStringList{"b", "a", "B", "A"};
        QTest::newRow("selected rows only")
            << FlexSort::StringAscending << QStringList{"e", "d", "c", "b", "a"} << 4
            << QStringList{"e", "b", "c", "d", "a"};
    }
    void gridSort()
    {
        QFETCH(int, mode);
        QFETCH(QStringList, keys);
        QFETCH(int, rowSel);
        QFETCH(QStringList, expected);
        TestedGrid grid;
        grid.setRows(1);
        grid.setTextMatrix(0, 1, QStringLiteral("Key"));
        for (int i = 0; i < keys.size(); ++i)
            grid.addItem(QString::number(i) + u'\t' + keys.at(i));
        grid.setCellForeColorAt(1, 0, vbRed); // marks the row tagged 0
        grid.setRow(2);
        grid.setCol(1);
        if (rowSel)
            grid.setRowSel(rowSel);
        QStringList events;
        recordEvents(grid, events);
        grid.sort(mode);
        // Whole rows move, with their colours; the captions stay on top.
        QStringList sorted;
        for (int r = 1; r < grid.rows(); ++r) {
            const int tag = grid.textMatrix(r, 0).toInt();
            sorted << grid.textMatrix(r, 1);
            QCOMPARE(sorted.last(), keys.at(tag));
            QCOMPARE(grid.cellForeColorAt(r, 0), tag == 0 ? vbRed : VbColor(0));
        }
        QCOMPARE(sorted, expected);
        QCOMPARE(grid.textMatrix(0, 1), QStringLiteral("Key"));
        // The current cell stays where it was, without events.
        QVERIFY(events.isEmpty());
        QCOMPARE(QList<int>({grid.row(), grid.col()}), QList<int>({2, 1}));
        QCOMPARE(grid.selectionModel()->currentIndex(), grid.model()->index(1, 1));
    }

    void caseBlindOrder_data()
    {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::newRow("letters of either case") << "abc" << "ABD";
        QTest::newRow("equal but for case") << "GR/lp/001" << "gr/LP/001";
        QTest::newRow("underscore before the letters") << "a_" << "aB";
        QTest::newRow("brackets between the cases") << "[" << "a";
        QTest::newRow("digits and punctuation") << "10-2" << "10/1";
        QTest::newRow("a prefix first") << "ab" << "AbC";
        QTest::newRow("empty") << "" << "a";
        QTest::newRow("accented letters") << "Émile" << "émilf";
        QTest::newRow("accent after an ASCII prefix") << "caf\u00c9" << "CAFE";
        QTest::newRow("sharp s and capital") << "stra\u00dfe" << "STRASSE";
        QTest::newRow("final and capital sigma") << "\u03c2" << "\u03a3";
        QTest::newRow("letters beyond 16 bits") << "x\U00010400" << "X\U00010428";
        QTest::newRow("beyond 16 bits against ASCII") << "\U00010400" << "z";
    }
    void caseBlindOrder()
    {
        QFETCH(QString, a);
        QFETCH(QString, b);
        // The grids sort and search by this order; it must be Qt's own, or a search misses rows.
        const auto sign = [](int order) { return (order > 0) - (order < 0); };
        QCOMPARE(sign(textorder::compareNoCase(a, b)), sign(QString::compare(a, b, Qt::CaseInsensitive)));
        QCOMPARE(sign(textorder::compareNoCase(b, a)), sign(QString::compare(b, a, Qt::CaseInsensitive)));
        QCOMPARE(textorder::compareNoCase(a, a), 0);
    }

    void gridResizesAfterSort_data()
    {
        QTest::addColumn<int>("kept"); // data rows left after the sort
        QTest::addColumn<int>("cols");
        QTest::newRow("fewer rows") << 3 << 3;
        QTest::newRow("no rows") << 0 << 3;
        QTest::newRow("fewer rows, fewer columns") << 4 << 2;
        QTest::newRow("fewer rows, more columns") << 2 << 5;
        QTest::newRow("every row, more columns") << 7 << 4;
    }
    void gridResizesAfterSort()
    {
        QFETCH(int, kept);
        QFETCH(int, cols);
        const QStringList keys{"d", "a", "g", "b", "f", "c", "e"};
        TestedGrid grid;
        grid.setCols(3);
        grid.setRows(1);
        for (int i = 0; i < keys.size(); ++i)
            grid.addItem(QStringLiteral("%1\t%2\tx%1").arg(i).arg(keys.at(i)));
        grid.setCellForeColorAt(2, 1, vbRed); // the row tagged 1
        grid.setCellForeColorAt(5, 2, vbRed); // the row tagged 4
        grid.setCol(1);
        grid.sort(FlexSort::StringDescending);
        QStringList order;
        for (int r = 1; r < grid.rows(); ++r)
            order << grid.textMatrix(r, 0);
        QCOMPARE(order, QStringList({"2", "4", "6", "0", "5", "3", "1"}));

        // Rows dropped and added again come back empty; the rows kept keep their cells and colours.
        grid.setRows(1 + kept);
        grid.setCols(cols);
        grid.setRows(1 + kept + 2);
        for (int r = 1; r < grid.rows(); ++r) {
            const bool keptRow = r <= kept;
            const int tag = keptRow ? order.at(r - 1).toInt() : -1;
            for (int c = 0; c < cols; ++c) {
                QString text;
                if (keptRow && c < 3)
                    text = QStringList{QString::number(tag), keys.at(tag), QStringLiteral("x%1").arg(tag)}.at(c);
                QCOMPARE(grid.textMatrix(r, c), text);
                const bool red = (tag == 1 && c == 1) || (tag == 4 && c == 2);
                QCOMPARE(grid.cellForeColorAt(r, c), red ? vbRed : VbColor(0));
            }
        }
        // A cell written after the sort lands in its own row and sorts with it.
        grid.setTextMatrix(grid.rows() - 1, 1, QStringLiteral("0"));
        grid.setRow(1);
        grid.setCol(1);
        grid.sort(FlexSort::StringAscending);
        QStringList sorted;
        for (int r = 1; r < grid.rows(); ++r)
            sorted << grid.textMatrix(r, 1);
        QStringList keptKeys;
        for (int i = 0; i < kept; ++i)
            keptKeys << keys.at(order.at(i).toInt());
        std::sort(keptKeys.begin(), keptKeys.end());
        QCOMPARE(sorted, QStringList({QString(), QStringLiteral("0")}) + keptKeys);
    }

    void gridTopRowShowsThatRow_data()
    {
        QTest::addColumn<QList<int>>("tops"); // asked one after the other
        QTest::addColumn<int>("shownAtLast");
        QTest::newRow("down the grid") << QList<int>{40} << 40;
        QTest::newRow("down, then back up") << QList<int>{80, 12} << 12;
        QTest::newRow("past the last full page stops there") << QList<int>{30, 199} << -1;
        QTest::newRow("back to the first row") << QList<int>{150, 1} << 1;
    }
    void gridTopRowShowsThatRow()
    {
        QFETCH(QList<int>, tops);
        QFETCH(int, shownAtLast);
        FlexGrid grid;
        fill(grid, 200, 3);
        grid.resize(300, 200);
        grid.show();
        QVERIFY(QTest::qWaitForWindowExposed(&grid));
        for (const int top : tops)
            grid.setTopRow(top);
        // The rows drawn and the rows clicked are the rows scrolled to, not the ones before.
        const int firstShown = grid.rowAt(0) + grid.fixedRows();
        const int lastShown = grid.rowAt(grid.viewport()->height() - 1) + grid.fixedRows();
        if (shownAtLast > 0) {
            QCOMPARE(firstShown, shownAtLast);
            QCOMPARE(grid.topRow(), shownAtLast);
        } else {
            QCOMPARE(lastShown, grid.rows() - 1);
            QVERIFY(firstShown > tops.first());
        }
        QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, grid.visualRect(grid.model()->index(firstShown - 1, 1)).center());
        QCOMPARE(grid.textMatrix(grid.row(), 0), QStringLiteral("r%1c0").arg(firstShown));
    }

    void gridMoveEvents()
    {
        FlexGrid grid;
        fill(grid, 6, 4);
        QStringList events;
        recordEvents(grid, events);
        const auto take = [&events] { return std::exchange(events, {}); };
        grid.setRow(3);
        grid.setRow(3); // no move, no events
        QCOMPARE(take(), cellMoved);
        grid.setColSel(3);
        QCOMPARE(take(), QStringList{"sel"});
        grid.setCol(2); // collapses the selection
        QCOMPARE(take(), cellMoved);
        QCOMPARE(grid.colSel(), 2);
        grid.selectRow(5);
        QCOMPARE(take(), cellMoved);
        QCOMPARE(QList<int>({grid.row(), grid.col(), grid.rowSel(), grid.colSel()}), QList<int>({5, 0, 5, 3}));
        QCOMPARE(grid.selectionModel()->selectedIndexes().size(), 4);
        QCOMPARE(grid.selectionModel()->currentIndex(), grid.model()->index(4, 0));
        grid.setRows(3); // shrinking moves the current row back inside the grid
        QCOMPARE(grid.row(), 2);

        // The register selects the whole row from its row-change handler: the cell it leaves again
        // gets no enterCell.
        connect(&grid, &FlexGrid::rowColChange, &grid, [&] {
            grid.setCol(0);
            grid.setColSel(grid.cols() - 1);
        });
        take();
        grid.setCol(2);
        QCOMPARE(QList<int>({grid.row(), grid.col(), grid.colSel()}), QList<int>({2, 0, 3}));
        QCOMPARE(events.count(QStringLiteral("enter")), 1);
    }


    void gridColoursAndResize()
    {
        TestedGrid grid;
        const QColor text = grid.palette().color(QPalette::Text);
        fill(grid, 4, 3);
        grid.setRow(2);
        grid.setCol(1);
        grid.setCellForeColor(vbRed);
        QCOMPARE(grid.model()->index(1, 1).data(Qt::ForegroundRole).value<QBrush>().color(), red);
        QVERIFY(!grid.model()->index(1, 0).data(Qt::ForegroundRole).isValid()); // the grid's own colour
        QCOMPARE(grid.displayedTextColor(2, 1), red); // a single current cell is not highlighted
        // A selected row shows the selection colour, which the register sets to the row's own.
        grid.selectRow(2);
        QCOMPARE(grid.displayedTextColor(2, 1), grid.palette().color(QPalette::HighlightedText));
        grid.setForeColorSel(vbRed);
        QCOMPARE(grid.displayedTextColor(2, 0), red);
        QCOMPARE(grid.displayedTextColor(3, 0), text);
        // Texts, colours and widths stay with their cells when rows and columns come and go.
        grid.setColWidth(0, 0);
        grid.setCols(4);
        grid.setRows(6);
        QCOMPARE(rowTexts(grid, 2) + rowTexts(grid, 5), QStringList({"r2c0", "r2c1", "r2c2", "", "", "", "", ""}));
        QCOMPARE(QList<VbColor>({grid.cellForeColorAt(2, 1), grid.cellForeColorAt(2, 2), grid.cellForeColorAt(3, 1)}),
                 QList<VbColor>({vbRed, 0, 0}));
        grid.setCols(2);
        grid.setCols(3); // a removed column comes back empty
        QCOMPARE(rowTexts(grid, 1), QStringList({"r1c0", "r1c1", ""}));
        grid.clear(); // empties every cell, captions too, and drops the colours
        QCOMPARE(rowTexts(grid, 0) + rowTexts(grid, 2), QStringList(6, QString()));
        QCOMPARE(grid.cellForeColorAt(2, 1), VbColor(0));
        QVERIFY(grid.isColumnHidden(0));
    }

    void gridBulkFill()
    {
        // The register fills up to 100,000 records in one bulk update.
        constexpr int records = 100000;
        FlexGrid grid;
        fill(grid, 2, 4);
        grid.setColWidth(0, 0);
        QSignalSpy dataChanged(grid.model(), &QAbstractItemModel::dataChanged);
        QSignalSpy rowsInserted(grid.model(), &QAbstractItemModel::rowsInserted);
        grid.setRedraw(false);
        grid.beginBulkUpdate(); // nested inside the redraw switch
        for (int r = 2; r <= records; ++r) {
            grid.setRows(r + 1);
            grid.setTextMatrix(r, 1, QString::number(r));
        }
        grid.horizontalHeader()->moveSection(3, 1);
        grid.endBulkUpdate();
        QCOMPARE(dataChanged.size(), 0);
        grid.setRedraw(true);
        QCOMPARE(QList<int>({int(dataChanged.size()), int(rowsInserted.size())}), QList<int>({1, 1}));
        QCOMPARE(grid.model()->index(records - 1, 1).data().toString(), QStringLiteral("100000"));
        QVERIFY(grid.isColumnHidden(0));
        QCOMPARE(grid.horizontalHeader()->visualIndex(3), 1);
    }

    void gridBulkUpdateGuardEndsOnThrow()
    {
        FlexGrid grid;
        fill(grid, 3, 2);
        QSignalSpy dataChanged(grid.model(), &QAbstractItemModel::dataChanged);
        try {
            const FlexGrid::BulkUpdate outer(grid);
            const FlexGrid::BulkUpdate inner(grid);
            grid.setTextMatrix(1, 1, QStringLiteral("changed"));
            throw std::runtime_error("fill failed");
        } catch (const std::runtime_error &) {
        }
        // Both guards ended the update: the cell was shown once, and later changes show at once.
        QCOMPARE(dataChanged.size(), 1);
        grid.setTextMatrix(2, 1, QStringLiteral("later"));
        QCOMPARE(dataChanged.size(), 2);
    }

    void busyCursorRestoresThePointer()
    {
        QWidget window;
        {
            const BusyCursor busy(&window);
            QCOMPARE(mousePointer(&window), int(MousePointer::Hourglass));
            QCOMPARE(window.cursor().shape(), Qt::WaitCursor);
        }
        QCOMPARE(mousePointer(&window), int(MousePointer::Default));
        try {
            const BusyCursor busy;
            QCOMPARE(screenMousePointer(), int(MousePointer::Hourglass));
            throw std::runtime_error("work failed");
        } catch (const std::runtime_error &) {
        }
        QCOMPARE(screenMousePointer(), int(MousePointer::Default));
        QVERIFY(!QGuiApplication::overrideCursor());
        // A widget deleted while busy is left alone.
        auto *gone = new QWidget;
        {
            const BusyCursor busy(gone);
            delete gone;
        }
    }

    void comboSelect_data()
    {
        QTest::addColumn<QString>("call");
        QTest::addColumn<qint32>("argument");
        QTest::addColumn<int>("index");
        QTest::addColumn<QStringList>("clicks"); // the texts the click handler saw
        QTest::newRow("index") << "index" << qint32(1) << 1 << QStringList{"b"};
        QTest::newRow("same index clicks again") << "index" << qint32(2) << 2 << QStringList{"c"};
        QTest::newRow("index -1 without a click") << "index" << qint32(-1) << -1 << QStringList{};
        QTest::newRow("value") << "value" << qint32(5) << 0 << QStringList{"a"};
        QTest::newRow("duplicate value picks the first") << "value" << qint32(7) << 1 << QStringList{"b"};
        QTest::newRow("largest id") << "value" << std::numeric_limits<qint32>::max() << 3 << QStringList{"d"};
        QTest::newRow("missing value keeps the selection") << "value" << qint32(99) << 2 << QStringList{};
        QTest::newRow("clear and fill again, unselected") << "clear" << qint32(0) << -1 << QStringList{};
    }
    void comboSelect()
    {
        QFETCH(QString, call);
        QFETCH(qint32, argument);
        QFETCH(int, index);
        QFETCH(QStringList, clicks);
        ComboBox combo;
        QStringList seen;
        connect(&combo, &ComboBox::click, &combo, [&] { seen << combo.text(); });
        combo.addItem(QStringLiteral("a"), 5);
        combo.addItem(QStringLiteral("b"), 7);
        combo.addItem(QStringLiteral("c"), 7);
        QCOMPARE(combo.listIndex(), -1); // a filled list has no selection
        combo.setListIndex(2);
        combo.addItem(QStringLiteral("d"), std::numeric_limits<qint32>::max());
        QCOMPARE(combo.listIndex(), 2); // filling keeps the choice
        seen.clear();
        if (call == "index") {
            combo.setListIndex(argument);
        } else if (call == "value") {
            QCOMPARE(combo.selectByValue(argument), index != 2);
        } else {
            combo.clear();
            combo.addItem(QStringLiteral("e"), 1);
        }
        QCOMPARE(combo.listIndex(), index);
        QCOMPARE(seen, clicks);
    }

    void listViewItems()
    {
        TestedList list;
        list.addColumnHeader(QStringLiteral("Bill No"), 1200);
        list.addColumnHeader(QStringLiteral("Vendor"), 2400);
        list.addColumnHeader(QStringLiteral("shopid"), 0);
        QVERIFY(list.isColumnHidden(2));
        // Sub-items beyond the columns are kept but not shown; one never set reads empty.
        list.addItem(QStringLiteral("101"), {"B-1", "Acme", "7", "", "", "Yes"});
        list.addItem(QStringLiteral("102"));
        list.setSubItemText(2, 6, QStringLiteral("Yes"));
        QCOMPARE(QStringList({list.subItemText(1, 6), list.subItemText(2, 6), list.subItemText(2, 3)}),
                 QStringList({"Yes", "Yes", ""}));
        QCOMPARE(list.model()->index(0, 2).data().toString(), QStringLiteral("Acme"));
        // Colouring the sub-items leaves the item text in the list's own colour.
        for (int j = 1; j < list.columnHeaderCount(); ++j)
            list.setSubItemForeColor(1, j, 0xFF0000);
        QCOMPARE(list.model()->index(0, 1).data(Qt::ForegroundRole).value<QBrush>().color(), QColor(0, 0, 255));
        QVERIFY(!list.model()->index(0, 0).data(Qt::ForegroundRole).isValid());
        QVERIFY(!list.model()->index(1, 1).data(Qt::ForegroundRole).isValid());
    }

    void listViewFindItem_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("subItems");
        QTest::addColumn<bool>("partial");
        QTest::addColumn<int>("item");
        QTest::newRow("vendor prefix, other case") << "acm" << true << true << 2;
        QTest::newRow("first from the top wins") << "B-" << true << true << 1;
        QTest::newRow("sub-items only, not the item text") << "10" << true << true << 0;
        QTest::newRow("item text") << "10" << false << true << 1;
        QTest::newRow("item text only") << "acm" << false << true << 0;
        QTest::newRow("inside, not at the start") << "cme" << true << true << 0;
        QTest::newRow("whole text only") << "acme" << true << false << 0;
        QTest::newRow("whole text, other case") << "acme ltd" << true << false << 2;
    }
    void listViewFindItem()
    {
        QFETCH(QString, text);
        QFETCH(bool, subItems);
        QFETCH(bool, partial);
        QFETCH(int, item);
        ListView list;
        fillList(list, {"Bill No"},
                 {{"101", "B-1", "2012-03-15", "Zenith"}, {"102", "B-2", "2012-03-15", "Acme Ltd"},
                  {"103", "B-3", "2012-03-16", "Acme Ltd"}});
        QCOMPARE(list.findItem(text, subItems, partial), item);
    }

    void listViewSort_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<Qt::SortOrder>("order");
        QTest::addColumn<QStringList>("expected"); // item texts top to bottom
        QTest::newRow("vendor, case ignored, stable") << 3 << Qt::AscendingOrder << QStringList{"2", "4", "1", "3"};
        QTest::newRow("vendor descending") << 3 << Qt::DescendingOrder << QStringList{"3", "1", "2", "4"};
        QTest::newRow("amount compared as text") << 1 << Qt::AscendingOrder << QStringList{"3", "1", "4", "2"};
        QTest::newRow("sub-item beyond the columns") << 6 << Qt::AscendingOrder << QStringList{"4", "3", "2", "1"};
    }
    void listViewSort()
    {
        QFETCH(int, key);
        QFETCH(Qt::SortOrder, order);
        QFETCH(QStringList, expected);
        TestedList list;
        fillList(list, {"Id", "Amount", "Date", "Vendor"},
                 {{"1", "200", "", "mango", "", "", "d"}, {"2", "90", "", "Apple", "", "", "c"},
                  {"3", "1000", "", "Zebra", "", "", "b"}, {"4", "50", "", "apple", "", "", "a"}});
        list.setSortOrder(order);
        list.setSortKey(key);
        list.setSorted(true);
        QCOMPARE(itemTexts(list), expected);
    }

    void listViewColumnClickSorts()
    {
        ListView list;
        QVERIFY(showAndWait(list, 400, 200));
        fillList(list, {"Bill", "Vendor"}, {{"1", "b"}, {"2", "a"}, {"3", "c"}, {"4", "a"}});
        list.setSelectedItem(3);
        connect(&list, &ListView::columnClick, &list, [&](int column) {
            list.setSortKey(column);
            list.setSorted(true);
        });
        const QHeaderView *header = list.header();
        const QPoint vendorHeader(header->sectionViewportPosition(1) + 5, header->height() / 2);
        for (int click = 0; click < 2; ++click) { // clicking again keeps the order
            QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, vendorHeader);
            QCOMPARE(itemTexts(list), QStringList({"2", "4", "1", "3"}));
        }
        QCOMPARE(list.selectedItem(), 4); // the selection followed its item
    }
};

QTEST_MAIN(TestControls)
#include "tst_controls.moc"
