#pragma once

#include "db/tsql/lexer.h"
#include "db/tsql/translator.h"

#include <QDeadlineTimer>
#include <QVector>

// The parsed form of one T-SQL statement. Everything lives in a few flat arrays and refers
// to other parts by index (-1 for none), so that parsing a statement allocates almost
// nothing once the arrays have grown; texts stay in the statement and are found by token.
namespace kadu2217::tsql {

struct BuiltIn;

inline bool isNumeric(ValueKind kind) { return kind == ValueKind::Integer || kind == ValueKind::Float; }

enum class NodeKind : quint8 {
    Null,
    Integer,
    Decimal,
    Float,
    String,
    Parameter,
    CurrentTimestamp,
    Column,     // token: name; qualifierToken: table or alias
    Negate,     // a
    Arithmetic, // op: Plus, Minus, Star, Slash, Percent; a, b
    Compare,    // op: Equal ... GreaterEqual; a, b
    And,        // a, b
    Or,         // a, b
    Not,        // a
    IsNull,     // a; negated
    InList,     // a; b: first item of the list
    InSelect,   // a; select
    Like,       // a, b pattern, c escape; negated
    Between,    // a, b, c; negated
    Exists,     // select
    Subquery,   // select
    Case,       // a: operand of a simple case, or -1; b: first When; c: else
    When,       // a: condition or value; b: result
    Function,   // function; b: first argument
    Aggregate,  // function; a: argument, -1 for count(*); negated: distinct
    DateDiff,   // length: unit (dateDiffUnitName); a, b
    Convert,    // target, length; a: value; c: style
    Binary,     // token: 0x...
};

enum class ConvertTarget : quint8 { Int, Varchar, Char, Float, Decimal, Money, DateTime };

struct Node {
    NodeKind kind = NodeKind::Null;
    TokenKind op = TokenKind::End;
    const BuiltIn *function = nullptr; // calls
    ConvertTarget target = ConvertTarget::Int;
    bool negated = false;
    bool condition = false; // a truth value rather than a value
    ValueKind type = ValueKind::Unknown;
    int token = -1;
    int qualifierToken = -1;
    int a = -1, b = -1, c = -1;
    int next = -1;   // the following node of the list this one stands in
    int select = -1; // subqueries
    int length = 0;  // Convert: text length (-1 unlimited) or decimal scale
    int depth = 1;   // levels of nodes and subqueries below and including this one
};

struct SelectItem {
    int expression = -1; // -1 for * and t.*
    int starQualifierToken = -1;
    int aliasToken = -1;
    int next = -1;
};

enum class JoinKind : quint8 { Comma, Inner, Left, Right, Full, Cross };

struct TableRef {
    JoinKind join = JoinKind::Comma; // how it joins the ones before it
    int nameToken = -1;
    int subquery = -1; // a derived table instead of a name
    int aliasToken = -1;
    int on = -1;
    int next = -1;
};

struct OrderItem {
    int expression = -1;
    bool descending = false;
    int next = -1;
};

struct Select {
    bool distinct = false;
    int topToken = -1;
    int firstItem = -1;
    int firstTable = -1;
    int where = -1;
    int firstGroup = -1; // nodes linked by next
    int having = -1;
    int firstOrder = -1;
    bool hasStar = false;
    int depth = 1; // of its deepest expression or derived table, plus one
};

struct Assignment {
    int columnToken = -1;
    int value = -1;
    int next = -1;
};

enum class StatementKind : quint8 { Select, Insert, Update, Delete };

struct Statement {
    StatementKind kind = StatementKind::Select;
    int select = -1;       // Select; the source rows of an Insert ... select
    int tableToken = -1;   // Insert, Update, Delete
    int firstColumn = -1;  // Insert: index into Ast::insertColumns, count in columnCount
    int columnCount = 0;
    int firstRow = -1;     // Insert ... values: index into Ast::rows, count in rowCount
    int rowCount = 0;
    int firstAssignment = -1;
    int where = -1;
};

struct Ast {
    QStringView text;
    QVector<Token> tokens;
    QVector<Node> nodes;
    QVector<Select> selects;
    QVector<SelectItem> items;
    QVector<TableRef> tables;
    QVector<OrderItem> orders;
    QVector<Assignment> assignments;
    QVector<int> insertColumns; // tokens
    QVector<int> rows;          // first node of each values row
    Statement statement;
    QString nameBuffer; // lower-case column names looked up in the catalog
    QDeadlineTimer deadline; // the statement's command timeout

    QStringView tokenText(int token) const
    {
        const Token &t = tokens[token];
        return text.mid(t.begin, t.length);
    }
    void clear()
    {
        tokens.clear();
        nodes.clear();
        selects.clear();
        items.clear();
        tables.clear();
        orders.clear();
        assignments.clear();
        insertColumns.clear();
        rows.clear();
        statement = Statement();
    }
};

// How deep a statement's tree may go, counting each nested expression, each term of a chain
// such as a + b + c and each subquery: SQLite refuses deeper expressions anyway, and the
// translation's own recursion stays far from the end of the stack.
inline constexpr int MaxDepth = 1000;

// Reads one statement into ast (cleared first; its deadline stays). Throws Error on a syntax
// error, an unknown function, a tree deeper than MaxDepth or the deadline passing.
void parse(QStringView text, Ast &ast);

// Types every value node of a parsed statement from the catalog and the T-SQL rules of each
// construct. Throws Error on an operation T-SQL refuses for its operands' types.
void assignTypes(Ast &ast, const Catalog &catalog);

// The name datediff's unit goes by in the translated text ("minute" for n, mi and minute).
const char *dateDiffUnitName(int unit);

// Whether the identifier at token names a DATETIME column of the catalog.
bool namesDateTimeColumn(Ast &ast, const Catalog &catalog, int token);

// The unquoted text of a string literal ('' and the N prefix undone).
QString stringValue(QStringView literal);

// The name inside a [bracketed] or "quoted" identifier, or the plain identifier itself.
QString identifierName(QStringView token);

} // namespace kadu2217::tsql
