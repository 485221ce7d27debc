#include "bench/benchcommon.h"

#include "controls/combobox.h"
#include "controls/flexgrid.h"
#include "register/frmmaster.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTextStream>

#include <algorithm>

using namespace kadu2217;

namespace bench {
namespace {

double elapsedMs(const std::function<void()> &work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return double(timer.nsecsElapsed()) / 1e6;
}

bool noCaseLess(const QString &a, const QString &b)
{
    return QString::compare(a, b, Qt::CaseInsensitive) < 0;
}

// The first text that begins with `key`, without regard to case, in texts sorted that way.
qsizetype firstBeginningWith(const QStringList &sorted, const QString &key)
{
    const auto found = std::lower_bound(sorted.cbegin(), sorted.cend(), key, [&key](const QString &text, const QString &) {
        return QString::compare(text.left(key.size()), key, Qt::CaseInsensitive) < 0;
    });
    return found - sorted.cbegin();
}

void choose(ComboBox *combo, const QString &caption)
{
    combo->setListIndex(combo->findText(caption));
}

} // namespace

void registerBrowse(const QString &folder, int costings, Report &report)
{
    const QString file = demoFile(folder, costings);
    auto connection = std::make_shared<Connection>();
    connection->openFile(file);
    connection->execute(QStringLiteral("update aPackageSettings set backNoofDays=36500"));
    const auto module = startSession(connection, 0);
    FrmMaster &window = module->master();
    window.Form_Load();
    // On screen, as a user types into it: a hidden grid lays itself out again at every scroll.
    window.show();
    FlexGrid &grid = *window.FlexMaster();
    auto *sortColumn = window.findChild<ComboBox *>(QStringLiteral("cboColNames"));
    auto *searchColumn = window.findChild<ComboBox *>(QStringLiteral("cboSearch"));
    auto *text = window.findChild<QLineEdit *>(QStringLiteral("txtsearch"));

    // The texts in the order the grid has before each timed sort below: by costing.
    choose(sortColumn, QStringLiteral("Costing Date"));
    QStringList numbers;
    QStringList shops;
    for (int r = 1; r < grid.rows(); ++r) {
        numbers << grid.textMatrix(r, 1);
        shops << grid.textMatrix(r, 3);
    }
    const QString key = numbers.value(numbers.size() / 2).left(5);
    // Later keystrokes narrow down to rows all over the register; one alone is too short to time.
    QStringList laterKeys;
    for (int i = 0; i < 2000; ++i) {
        const QString &number = numbers.at(int((qint64(i) * 7919) % numbers.size()));
        laterKeys << number.left(std::max<qsizetype>(1, number.size() - 1));
    }

    // The best of several runs each side: the machine's other work only ever adds time.
    constexpr int kRuns = 5;
    double sortAndSearchAlone = 1e300;
    double searchAlone = 1e300;
    double shopSortAlone = 1e300;
    for (int run = 0; run < kRuns; ++run) {
        QStringList copy = numbers;
        sortAndSearchAlone = std::min(sortAndSearchAlone, elapsedMs([&] {
            std::stable_sort(copy.begin(), copy.end(), noCaseLess);
            firstBeginningWith(copy, key);
        }));
        searchAlone = std::min(searchAlone, elapsedMs([&] {
            for (const QString &later : laterKeys)
                firstBeginningWith(copy, later);
        }));
        QStringList shopCopy = shops;
        shopSortAlone = std::min(shopSortAlone, elapsedMs([&] { std::stable_sort(shopCopy.begin(), shopCopy.end()); }));
    }

    choose(searchColumn, QStringLiteral("Costing No"));
    text->setText(key);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
    double firstKey = 1e300;
    double laterKey = 1e300;
    double columnSort = 1e300;
    for (int run = 0; run < kRuns; ++run) {
        // Back in costing order, so that the next keystroke sorts again.
        choose(sortColumn, QStringLiteral("Costing Date"));
        firstKey = std::min(firstKey, elapsedMs([&] { QCoreApplication::sendEvent(text, &release); }));
        double typing = 0;
        for (const QString &later : laterKeys) {
            text->setText(later);
            typing += elapsedMs([&] { QCoreApplication::sendEvent(text, &release); });
        }
        laterKey = std::min(laterKey, typing);
        text->setText(key);
        choose(sortColumn, QStringLiteral("Costing Date"));
        columnSort = std::min(columnSort, elapsedMs([&] { choose(sortColumn, QStringLiteral("Shop Name")); }));
    }

    QTextStream(stdout) << "register browsing: " << numbers.size() << " rows, search key \"" << key << "\"\n";
    report.add({QStringLiteral("search, first keystroke (sort + find), %1 rows").arg(numbers.size()), firstKey, sortAndSearchAlone,
                3.0, QStringLiteral("ms")});
    report.add({QStringLiteral("search, %1 later keystrokes (find), %2 rows").arg(laterKeys.size()).arg(numbers.size()), laterKey, searchAlone, 3.0,
                QStringLiteral("ms")});
    report.add({QStringLiteral("column sort (shop name), %1 rows").arg(numbers.size()), columnSort, shopSortAlone, 3.0,
                QStringLiteral("ms")});
}

} // namespace bench
