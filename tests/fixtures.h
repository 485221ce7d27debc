#pragma once

#include "db/connection.h"
#include "db/demodata.h"
#include "entry/costingsave.h"

#include <QDateTime>
#include <QString>
#include <QVariant>
#include <QVector>

// The rows test databases are built from, every value bound: bills with their lines, costings
// with their details, a company's settings, users with their rights and the masters they
// point to. Each builder starts from what most tests want; a test sets what its case is about.
namespace kadu2217::testsupport {

// ---- one clock for every test

// The working day of the small fixtures: bills are made at nine, sessions process from ten,
// and where a bill's age is read the server's clock says 11:05 (2 hours 5 minutes later).
inline const QDateTime kBillMade(QDate(2012, 3, 15), QTime(9, 0));
inline const QDateTime kProcessDate(QDate(2012, 3, 15), QTime(10, 0));
inline const QDateTime kServerClock(QDate(2012, 3, 15), QTime(11, 5));
// The moment the demonstration files are made for.
inline const QDateTime kDemoNow(QDate(2026, 12, 1), QTime(12, 0));

// A new demonstration file made for `now`.
ConnectionPtr openDemoDatabase(const QDateTime &now = kDemoNow, int costings = DemoOptions().costings);

// ---- bills and costings

// Every currency at the rate of 1; a bill's default.
inline const QString kParRates = QStringLiteral("1:2:-1:1:");

// A purchase bill and its lines: by default a confirmed, open bill "B-<id>" of 100 from
// vendor 1 to shop 1, department 1 of company 1, made at kBillMade, at par rates.
class Bill {
public:
    explicit Bill(qint32 id);
    Bill &shop(qint32 id) { m_shop = id; return *this; }
    Bill &department(qint32 id) { m_department = id; return *this; }
    Bill &company(qint32 id) { m_company = id; return *this; }
    Bill &vendor(qint32 id) { m_vendor = id; return *this; }
    Bill &number(const QVariant &text) { m_number = text; return *this; }
    Bill &amount(const QVariant &value) { m_amount = value; return *this; }
    Bill &costed(const QVariant &flag = 1) { m_costed = flag; return *this; }
    Bill &cancelled(const QVariant &flag = 1) { m_cancelled = flag; return *this; }
    Bill &confirmed(const QVariant &flag) { m_confirmed = flag; return *this; }
    Bill &rates(const QVariant &text) { m_rates = text; return *this; }
    Bill &made(const QDateTime &when) { m_made = when; return *this; }
    // `price` is the line's price for its whole quantity, in the vendor's currency.
    Bill &line(qint32 item, const QVariant &quantity, const QVariant &price = {}, const QVariant &rowguid = {})
    {
        m_lines.append({item, quantity, price, rowguid});
        return *this;
    }

    qint32 id() const { return m_id; }
    qint32 shopId() const { return m_shop; }
    qint32 departmentId() const { return m_department; }

private:
    friend void addBill(const ConnectionPtr &c, const Bill &bill);
    struct Line {
        qint32 item;
        QVariant quantity, price, rowguid;
    };
    qint32 m_id, m_shop = 1, m_department = 1, m_company = 1, m_vendor = 1;
    QVariant m_number, m_amount = 100, m_costed = 0, m_cancelled = 0, m_confirmed = 1, m_rates = kParRates;
    QDateTime m_made = kBillMade;
    QVector<Line> m_lines;
};
void addBill(const ConnectionPtr &c, const Bill &bill);
void addBills(const ConnectionPtr &c, const QVector<Bill> &bills);
void addBillLine(const ConnectionPtr &c, qint32 bill, qint32 shop, qint32 item, const QVariant &quantity,
                 const QVariant &price = {}, const QVariant &rowguid = {});

// A saved costing and its details: by default "LPC-<id>" of bill <id> in shop 1, department 1
// of company 1, dated 10 March 2012, remarked "checked", neither fixed nor cancelled. A flag
// set to an empty QVariant is stored as NULL.
class Costing {
public:
    explicit Costing(qint32 id);
    // The bill's shop, id and department.
    Costing &of(const Bill &bill);
    Costing &department(qint32 id) { m_department = id; return *this; }
    Costing &number(const QVariant &text) { m_number = text; return *this; }
    // The text the suite writes, in any of its forms.
    Costing &date(const QVariant &written) { m_date = written; return *this; }
    Costing &done(const QVariant &flag = 1) { m_done = flag; return *this; }
    Costing &cancelled(const QVariant &flag = 1) { m_cancelled = flag; return *this; }
    // Detail ids run from 100 times the costing's id, plus one.
    Costing &detail(qint32 item, const QVariant &quantity, const QVariant &billUnitPrice, const QVariant &costedPrice)
    {
        m_details.append({item, quantity, billUnitPrice, costedPrice});
        return *this;
    }

private:
    friend void addCosting(const ConnectionPtr &c, const Costing &costing);
    struct Detail {
        qint32 item;
        QVariant quantity, billUnitPrice, costedPrice;
    };
    qint32 m_id, m_shop = 1, m_bill, m_department = 1;
    QVariant m_number, m_date = QStringLiteral("2012/03/10"), m_done = 0, m_cancelled = 0;
    QVector<Detail> m_details;
};
void addCosting(const ConnectionPtr &c, const Costing &costing);
// The bill, costed, and the costing of it.
void addCostedBill(const ConnectionPtr &c, Bill bill, Costing costing);

// The costing the entry window would hold for the bill as it is stored, prices at a rate of 1
// and the bill's unit price a quarter above the costed one (so that a swap of the two shows).
CostingToSave costingOfBill(const ConnectionPtr &c, qint32 shop, qint32 bill, bool costFix);

// ---- settings, users and masters

// A company's package settings: by default 30 days back, inventory account 1001, goods in
// transit 1002, department 1, no aliases.
class Settings {
public:
    explicit Settings(qint32 company = 1);
    Settings &backDays(const QVariant &days) { m_backDays = days; return *this; }
    Settings &inventory(const QVariant &account) { m_inventory = account; return *this; }
    Settings &goodsInTransit(const QVariant &account) { m_goodsInTransit = account; return *this; }
    Settings &department(const QVariant &id) { m_department = id; return *this; }
    Settings &alias(const QVariant &on = 1) { m_alias = on; return *this; }

private:
    friend void addSettings(const ConnectionPtr &c, const Settings &settings);
    qint32 m_company;
    QVariant m_backDays = 30, m_inventory = 1001, m_goodsInTransit = 1002, m_department = 1, m_alias = 0;
};
void addSettings(const ConnectionPtr &c, const Settings &settings = Settings());

// A user, with rights on the costing interface and departments when given.
class User {
public:
    User(qint32 id, const QString &name);
    User &rights(const QVariant &letters) { m_rights = letters; return *this; }
    User &department(qint32 id, qint32 company = 1) { m_departments.append({id, company}); return *this; }

private:
    friend void addUser(const ConnectionPtr &c, const User &user);
    qint32 m_id;
    QString m_name;
    QVariant m_rights;
    QVector<QPair<qint32, qint32>> m_departments;
};
void addUser(const ConnectionPtr &c, const User &user);

// Item <id> with code "IT-<id>", description "Item <id>" and the given cost.
void addItem(const ConnectionPtr &c, qint32 id, const QVariant &rate = 1);
void addShop(const ConnectionPtr &c, qint32 id, const QString &name, qint32 company = 1);
void addVendor(const ConnectionPtr &c, qint32 id, const QString &name, qint32 currency = 1, qint32 company = 1);
void addDepartment(const ConnectionPtr &c, qint32 id, const QString &name, qint32 company = 1);
// The word a company's captions use instead of "shop" (1) or "godown" (2).
void addAlias(const ConnectionPtr &c, qint32 id, const QString &word);
void addAccount(const ConnectionPtr &c, qint32 id, const QString &name, qint32 company, qint32 currency);
void addFinancialYear(const ConnectionPtr &c, qint32 id, bool current);
// The costing interface's prefix for a department in a financial year; a shop's own when given.
void addPrefix(const ConnectionPtr &c, const QString &prefix, qint32 department, qint32 financialYear,
               const QVariant &shop = {});
void addGodownStock(const ConnectionPtr &c, qint32 godown, qint32 item, double stock);
void addShopStock(const ConnectionPtr &c, qint32 shop, qint32 item, double stock);
void addShipmentLine(const ConnectionPtr &c, qint32 shop, qint32 item);

// A stored grid layout and its columns.
void addGridLayout(const ConnectionPtr &c, qint32 id, const QString &transaction, const QString &grid, const QString &module);
void addLayoutColumn(const ConnectionPtr &c, qint32 layout, qint32 column, const QString &caption, qint32 width,
                     qint32 alignment);

} // namespace kadu2217::testsupport
