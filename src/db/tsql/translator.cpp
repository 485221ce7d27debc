#include "db/tsql/translator.h"

#include "db/tsql/ast.h"
#include "db/tsql/builtins.h"
#include "db/tsql/conversions.h"
#include "db/tsql/failure.h"
#include "db/tsql/sqldatetime.h"

#include <sqlite3.h>

#include <limits>
#include <utility>
#include <vector>

namespace kadu2217::tsql {

namespace {

// How tightly a construct binds, T-SQL's order; a child that binds less tightly than its
// place needs gets parentheses.
enum Precedence {
    OrLevel = 1,
    AndLevel,
    NotLevel,
    PredicateLevel,
    AdditiveLevel,
    MultiplicativeLevel,
    UnaryLevel,
    Atom,
};

class Printer {
public:
    Printer(Ast &ast, const Catalog &catalog, QString &out) : m_ast(ast), m_catalog(catalog), m_out(out) {}

    void statement();

private:
    const Node &node(int index) const { return m_ast.nodes[index]; }
    int precedence(const Node &n) const;
    bool isCalculated(const Node &n) const;
    void put(QLatin1String text) { m_out += text; }
    void put(QStringView text) { m_out += text; }
    void put(char c) { m_out += QLatin1Char(c); }

    void select(int index, quint64 dateTimeItems = 0, const std::vector<int> *storedLengths = nullptr);
    int storedLength(int tableToken, const QString &column) const;
    void storedValue(int index, bool dateTime, int length);
    void tables(int first);
    void identifier(int token);
    void alias(int token);
    void stringLiteral(int token);
    void quotedLiteral(const QString &value);

    void expression(int index);
    void operand(int index, int least);
    void comparisonOperand(int index, ValueKind other);
    void textArgument(int index);
    void dateTimeValue(int index);
    void collatedKey(int index);
    void call(const char *name, int firstArgument);
    void arithmetic(int index);
    void calculation(int index);
    int calculationProgram(int index, int room, QString &program, std::vector<int> &operands) const;
    bool continuesChain(const Node &top, const Node &n) const;
    void chain(int index);
    void inList(const Node &n);
    void between(const Node &n);
    void caseExpression(const Node &n);
    void function(const Node &n);
    void isNull(const Node &n);
    QString decimalDigits(int index) const;
    void round(const Node &n);
    void objectId(int argument);
    void convert(const Node &n);

    Ast &m_ast;
    const Catalog &m_catalog;
    QString &m_out;
    bool m_withinIntRun = false;
    qsizetype m_printed = 0; // expressions, for the deadline
};

void Printer::identifier(int token)
{
    const QStringView text = m_ast.tokenText(token);
    if (m_ast.tokens[token].kind == TokenKind::QuotedIdentifier) {
        if (text.front() == u'"') {
            put(text);
            return;
        }
        QString name = identifierName(text);
        name.replace(QLatin1Char('"'), QLatin1String("\"\""));
        put('"');
        put(name);
        put('"');
        return;
    }
    // words SQLite reserves but T-SQL does not, such as "abort" or "glob", are quoted
    char ascii[64];
    bool reserved = false;
    if (text.size() < qsizetype(sizeof ascii)) {
        bool plain = true;
        for (qsizetype i = 0; i < text.size() && plain; ++i) {
            plain = text[i].unicode() < 0x80;
            ascii[i] = char(text[i].unicode());
        }
        reserved = plain && sqlite3_keyword_check(ascii, int(text.size()));
    }
    if (reserved || text.contains(u'$')) {
        put('"');
        put(text);
        put('"');
    } else {
        put(text);
    }
}

void Printer::alias(int token)
{
    if (m_ast.tokens[token].kind != TokenKind::String) {
        identifier(token);
        return;
    }
    QString name = stringValue(m_ast.tokenText(token));
    name.replace(QLatin1Char('"'), QLatin1String("\"\""));
    put('"');
    put(name);
    put('"');
}

void Printer::stringLiteral(int token)
{
    QStringView text = m_ast.tokenText(token);
    if (text.front() != u'\'')
        text = text.mid(1); // N'...': SQLite's texts are Unicode already
    put(text);
}

void Printer::quotedLiteral(const QString &value)
{
    put('\'');
    if (value.contains(QLatin1Char('\'')))
        put(QString(value).replace(QLatin1Char('\''), QLatin1String("''")));
    else
        put(value);
    put('\'');
}

void Printer::operand(int index, int least)
{
    if (precedence(node(index)) >= least) {
        expression(index);
        return;
    }
    put('(');
    expression(index);
    put(')');
}

// A datetime compared with, or stored from, a value of another type: SQL Server converts the
// value to datetime (datetime outranks text). Literals convert here, once.
void Printer::dateTimeValue(int index)
{
    const Node &n = node(index);
    if (n.type == ValueKind::DateTime || n.kind == NodeKind::Null) {
        expression(index);
        return;
    }
    if (n.kind != NodeKind::String) {
        put(QLatin1String("tsql_datetime("));
        expression(index);
        put(')');
        return;
    }
    const QString text = stringValue(m_ast.tokenText(n.token));
    if (text.trimmed().isEmpty()) {
        quotedLiteral(sqldt::canonical(sqldt::baseDate()));
        return;
    }
    const auto stamp = sqldt::parseStamp(text);
    if (!stamp)
        failConversion(dateConversionMessage());
    quotedLiteral(sqldt::canonical(*stamp));
}

// One side of a comparison, given the type of the other side.
void Printer::comparisonOperand(int index, ValueKind other)
{
    const Node &n = node(index);
    if (other == ValueKind::DateTime && n.type != ValueKind::DateTime) {
        dateTimeValue(index);
        return;
    }
    if (n.kind != NodeKind::String) {
        operand(index, PredicateLevel + 1);
        return;
    }
    const QString text = stringValue(m_ast.tokenText(n.token));
    if (other == ValueKind::Integer) {
        qint32 value = 0;
        switch (parseIntegerText(text, value)) {
        case IntegerText::Valid: m_out += QString::number(value); return;
        case IntegerText::Invalid: failConversion(intConversionMessage(text));
        case IntegerText::Overflow: failConversion(intOverflowMessage(text));
        }
    }
    if (other == ValueKind::Float) {
        const auto value = parseFloatText(text);
        if (!value)
            failConversion(numericConversionMessage("float"));
        m_out += QString::number(*value, 'g', 17);
        return;
    }
    // the default collation: letter case and trailing blanks do not count
    stringLiteral(n.token);
    put(QLatin1String(" COLLATE TSQL"));
}

// String functions see a datetime in its style 0 text.
void Printer::textArgument(int index)
{
    if (node(index).type != ValueKind::DateTime) {
        expression(index);
        return;
    }
    put(QLatin1String("tsql_dtstr("));
    expression(index);
    put(')');
}

// Sorting and grouping on a computed text follow the default collation as well.
void Printer::collatedKey(int index)
{
    const Node &n = node(index);
    if (n.type != ValueKind::Text || n.kind == NodeKind::Column) {
        expression(index);
        return;
    }
    operand(index, Atom);
    put(QLatin1String(" COLLATE TSQL"));
}

void Printer::call(const char *name, int firstArgument)
{
    put(QLatin1String(name));
    put('(');
    for (int arg = firstArgument; arg >= 0; arg = node(arg).next) {
        if (arg != firstArgument)
            put(QLatin1String(", "));
        expression(arg);
    }
    put(')');
}

// Whether an integer's digits are past the whole numbers a float holds exactly but within a
// 64-bit integer: a decimal literal of them stays an integer in SQLite, to keep its digits.
bool isExactOnlyAsInteger(QStringView digits)
{
    bool ok = false;
    const qlonglong value = digits.toLongLong(&ok);
    return ok && value > qlonglong(1) << std::numeric_limits<double>::digits;
}

bool isNonZeroNumber(const Ast &ast, const Node &n)
{
    if (n.kind == NodeKind::Negate)
        return isNonZeroNumber(ast, ast.nodes[n.a]);
    if (n.kind != NodeKind::Integer && n.kind != NodeKind::Decimal && n.kind != NodeKind::Float)
        return false;
    for (QChar c : ast.tokenText(n.token)) {
        if (c >= u'1' && c <= u'9')
            return true;
        if (c == u'e' || c == u'E')
            return false;
    }
    return false;
}

// Whether an operator goes to tsql_calc, or SQLite's own gives SQL Server's result.
bool Printer::isCalculated(const Node &n) const
{
    if (n.kind != NodeKind::Arithmetic)
        return false;
    const ValueKind left = node(n.a).type;
    const ValueKind right = node(n.b).type;
    // a column may hold an int, whose result must stay within int's range; SQLite's own
    // operators do not check that (int with int is checked once per run, see arithmetic())
    const bool mayBeInt = (left == ValueKind::Integer && right == ValueKind::Unknown)
        || (right == ValueKind::Integer && left == ValueKind::Unknown);
    const bool text = left == ValueKind::Text || right == ValueKind::Text;
    switch (n.op) {
    case TokenKind::Plus:
        return !(left == ValueKind::Text && right == ValueKind::Text) && !(isNumeric(left) && isNumeric(right) && !mayBeInt);
    case TokenKind::Minus:
    case TokenKind::Star:
        return text || mayBeInt;
    case TokenKind::Slash:
        // SQLite answers NULL where SQL Server fails with "Divide by zero"
        return left == ValueKind::Text || !isNonZeroNumber(m_ast, node(n.b));
    default:
        // SQLite's % works on integers only
        return left != ValueKind::Integer || node(n.b).kind != NodeKind::Integer || !isNonZeroNumber(m_ast, node(n.b));
    }
}

int Printer::precedence(const Node &n) const
{
    switch (n.kind) {
    case NodeKind::Or: return OrLevel;
    case NodeKind::And: return AndLevel;
    case NodeKind::Not: return NotLevel;
    case NodeKind::Compare:
    case NodeKind::IsNull:
    case NodeKind::InList:
    case NodeKind::InSelect:
    case NodeKind::Like:
    case NodeKind::Between: return PredicateLevel;
    case NodeKind::Arithmetic:
        if (isCalculated(n) || (n.type == ValueKind::Integer && !m_withinIntRun))
            return Atom;
        return n.op == TokenKind::Plus || n.op == TokenKind::Minus ? AdditiveLevel : MultiplicativeLevel;
    case NodeKind::Negate: return UnaryLevel;
    default: return Atom;
    }
}

void Printer::arithmetic(int index)
{
    const Node &n = node(index);
    if (isCalculated(n)) {
        calculation(index);
        return;
    }
    if (n.type == ValueKind::Integer && !m_withinIntRun) {
        // SQLite computes ints in 64 bits, so one check around a whole run of int operators
        // finds a result beyond int's range; a checked call per operator would nest, and
        // SQLite's parser refuses calls nested a few dozen deep
        put(QLatin1String("tsql_intrange("));
        m_withinIntRun = true;
        chain(index);
        m_withinIntRun = false;
        put(')');
        return;
    }
    chain(index);
}

// SQLite's parser refuses calls nested a few dozen deep, so a tree of calculated operators
// goes to one call of tsql_calc, as many of them as its operands allow; a subtree beyond
// them is an operand, a call of its own.
void Printer::calculation(int index)
{
    constexpr int MaxOperands = 126; // SQLite's calls take up to 127 arguments
    QString program;
    std::vector<int> operands;
    calculationProgram(index, MaxOperands, program, operands);
    put(QLatin1String("tsql_calc('"));
    put(program);
    put('\'');
    // each operand checks its own int arithmetic
    const bool withinIntRun = std::exchange(m_withinIntRun, false);
    for (int operand : operands) {
        put(QLatin1String(", "));
        expression(operand);
    }
    m_withinIntRun = withinIntRun;
    put(')');
}

// Appends the operator at index to a tsql_calc program, taking up to room operands (at least
// two); answers how many it took.
int Printer::calculationProgram(int index, int room, QString &program, std::vector<int> &operands) const
{
    const Node &n = node(index);
    int taken = 0;
    for (const int side : {n.a, n.b}) {
        const int left = room - taken - (side == n.a ? 1 : 0); // one kept for the right side
        if (isCalculated(node(side)) && left >= 2) {
            taken += calculationProgram(side, left, program, operands);
        } else {
            program += QLatin1Char('.');
            operands.push_back(side);
            ++taken;
        }
    }
    static const char operators[] = {'+', '-', '*', '/', '%'};
    program += QLatin1Char(operators[int(n.op) - int(TokenKind::Plus)]);
    return taken;
}

// Whether n, the left operand of a chain's term, is one more term of the same chain: printed
// at the same level with no parentheses or function around it.
bool Printer::continuesChain(const Node &top, const Node &n) const
{
    if (top.kind != NodeKind::Arithmetic)
        return n.kind == top.kind;
    return n.kind == NodeKind::Arithmetic && !isCalculated(n) && precedence(n) == precedence(top);
}

// a + b + c, a AND b AND c: the tree leans left one node per term, so the printer walks down
// the chain and back instead of recursing once per term.
void Printer::chain(int index)
{
    const Node &top = node(index);
    const int level = precedence(top);
    std::vector<int> terms;
    for (int i = index; continuesChain(top, node(i)); i = node(i).a)
        terms.push_back(i);
    operand(node(terms.back()).a, level);
    static const char *const operators[] = {" + ", " - ", " * ", " / ", " % "};
    for (auto term = terms.rbegin(); term != terms.rend(); ++term) {
        const Node &n = node(*term);
        if (n.kind == NodeKind::And || n.kind == NodeKind::Or)
            put(QLatin1String(n.kind == NodeKind::And ? " AND " : " OR "));
        else if (n.op == TokenKind::Plus && node(n.a).type == ValueKind::Text)
            put(QLatin1String(" || "));
        else
            put(QLatin1String(operators[int(n.op) - int(TokenKind::Plus)]));
        operand(n.b, level + 1);
    }
}

void Printer::inList(const Node &n)
{
    bool dateTime = node(n.a).type == ValueKind::DateTime;
    bool anyText = node(n.a).kind == NodeKind::String;
    for (int item = n.b; item >= 0; item = node(item).next) {
        dateTime = dateTime || node(item).type == ValueKind::DateTime;
        anyText = anyText || node(item).kind == NodeKind::String;
    }
    const ValueKind leftType = node(n.a).type;
    // SQLite takes the collation of an IN list from its left side
    const bool collate = !dateTime && anyText && !isNumeric(leftType);
    if (dateTime) {
        dateTimeValue(n.a);
    } else {
        operand(n.a, collate ? int(Atom) : PredicateLevel + 1);
        if (collate)
            put(QLatin1String(" COLLATE TSQL"));
    }
    put(QLatin1String(n.negated ? " NOT IN (" : " IN ("));
    for (int item = n.b; item >= 0; item = node(item).next) {
        if (item != n.b)
            put(QLatin1String(", "));
        if (dateTime)
            dateTimeValue(item);
        else if (isNumeric(leftType))
            comparisonOperand(item, leftType);
        else
            expression(item);
    }
    put(')');
}

void Printer::between(const Node &n)
{
    const ValueKind value = node(n.a).type;
    const bool dateTime = value == ValueKind::DateTime || node(n.b).type == ValueKind::DateTime
        || node(n.c).type == ValueKind::DateTime;
    const ValueKind reference = dateTime ? ValueKind::DateTime : value;
    comparisonOperand(n.a, dateTime ? ValueKind::DateTime : node(n.b).type);
    put(QLatin1String(n.negated ? " NOT BETWEEN " : " BETWEEN "));
    comparisonOperand(n.b, reference);
    put(QLatin1String(" AND "));
    comparisonOperand(n.c, reference);
}

void Printer::caseExpression(const Node &n)
{
    put(QLatin1String("CASE"));
    const ValueKind operandType = n.a >= 0 ? node(n.a).type : ValueKind::Unknown;
    if (n.a >= 0) {
        put(' ');
        expression(n.a);
    }
    for (int when = n.b; when >= 0; when = node(when).next) {
        put(QLatin1String(" WHEN "));
        if (n.a >= 0)
            comparisonOperand(node(when).a, operandType);
        else
            expression(node(when).a);
        put(QLatin1String(" THEN "));
        expression(node(when).b);
    }
    if (n.c >= 0) {
        put(QLatin1String(" ELSE "));
        expression(n.c);
    }
    put(QLatin1String(" END"));
}

// isnull's result has the type of its first argument; the second converts to it.
void Printer::isNull(const Node &n)
{
    const int first = n.b;
    const int second = node(first).next;
    const ValueKind type = node(first).type;
    put(QLatin1String(n.function->sqlName));
    put('(');
    expression(first);
    put(QLatin1String(", "));
    const Node &fallback = node(second);
    const bool numberLiteral = fallback.kind == NodeKind::Integer || fallback.kind == NodeKind::Decimal
        || fallback.kind == NodeKind::Float;
    if (type == ValueKind::DateTime)
        dateTimeValue(second);
    else if (type == ValueKind::Text && numberLiteral)
        quotedLiteral(m_ast.tokenText(fallback.token).toString());
    else if (isNumeric(type) && fallback.kind == NodeKind::String)
        comparisonOperand(second, type);
    else
        expression(second);
    put(')');
}

// The digits of an integer literal beyond int, which T-SQL reads as a decimal, signed when
// negated; empty for any other value.
QString Printer::decimalDigits(int index) const
{
    const Node &n = node(index);
    if (n.kind == NodeKind::Negate) {
        const QString digits = decimalDigits(n.a);
        return digits.isEmpty() || digits.startsWith(QLatin1Char('-')) ? QString() : QLatin1Char('-') + digits;
    }
    if (n.kind != NodeKind::Decimal || m_ast.tokens[n.token].kind != TokenKind::Integer)
        return QString();
    return m_ast.tokenText(n.token).toString();
}

// A decimal literal rounds exactly, on its digits: a float would lose the last of them.
void Printer::round(const Node &n)
{
    const QString digits = decimalDigits(n.b);
    if (digits.isEmpty()) {
        call(n.function->sqlName, n.b);
        return;
    }
    put(QLatin1String("tsql_decimal_round("));
    quotedLiteral(digits);
    for (int arg = node(n.b).next; arg >= 0; arg = node(arg).next) {
        put(QLatin1String(", "));
        expression(arg);
    }
    put(')');
}

void Printer::objectId(int argument)
{
    put(QLatin1String("(SELECT id FROM sys_objects WHERE name = "));
    const Node &n = node(argument);
    if (n.kind == NodeKind::String) {
        QString name = stringValue(m_ast.tokenText(n.token));
        if (name.startsWith(QLatin1String("dbo."), Qt::CaseInsensitive))
            name.remove(0, 4);
        quotedLiteral(name);
    } else {
        operand(argument, Atom);
    }
    put(QLatin1String(" COLLATE NOCASE)"));
}

void Printer::function(const Node &n)
{
    const BuiltIn &builtIn = *n.function;
    const int first = n.b;
    switch (builtIn.writing) {
    case Writing::IfNull: isNull(n); return;
    case Writing::ObjectId: objectId(first); return;
    case Writing::Round: round(n); return;
    case Writing::Call: call(builtIn.sqlName, first); return;
    case Writing::TextCall:
    case Writing::AllTextCall:
        put(QLatin1String(builtIn.sqlName));
        put('(');
        for (int arg = first; arg >= 0; arg = node(arg).next) {
            if (arg != first)
                put(QLatin1String(", "));
            if (arg == first || builtIn.writing == Writing::AllTextCall)
                textArgument(arg);
            else
                expression(arg);
        }
        put(')');
        return;
    }
}

bool isSupportedStyle(int style, bool fromDateTime)
{
    switch (style) {
    case 0:
    case 100:
    case 112:
    case 120:
    case 121:
        return true;
    case 126:
        return !fromDateTime;
    default:
        return false;
    }
}

void Printer::convert(const Node &n)
{
    const Node &value = node(n.a);
    const bool fromDateTime = value.type == ValueKind::DateTime;
    int style = 0;
    if (n.c >= 0) {
        style = m_ast.tokenText(node(n.c).token).toInt();
        const bool styleMatters = fromDateTime || n.target == ConvertTarget::DateTime;
        if (styleMatters && !isSupportedStyle(style, fromDateTime))
            fail(QStringLiteral("Datetime style %1 is not supported by the embedded database.").arg(style));
    }
    const auto unsupported = [&](const char *type) {
        fail(QStringLiteral("Converting a datetime value to %1 is not supported by the embedded database.")
                 .arg(QLatin1String(type)));
    };
    switch (n.target) {
    case ConvertTarget::Int:
        if (fromDateTime)
            unsupported("int");
        put(QLatin1String("tsql_int("));
        expression(n.a);
        put(')');
        return;
    case ConvertTarget::Varchar:
    case ConvertTarget::Char:
        put(QLatin1String(n.target == ConvertTarget::Char ? "tsql_char(" : "tsql_varchar("));
        if (fromDateTime) {
            put(QLatin1String("tsql_dtstr("));
            expression(n.a);
            if (style != 0 && style != 100)
                m_out += QStringLiteral(", %1").arg(style);
            put(')');
        } else {
            expression(n.a);
        }
        m_out += QStringLiteral(", %1)").arg(n.length);
        return;
    case ConvertTarget::Float:
    case ConvertTarget::Money:
        if (fromDateTime)
            unsupported(n.target == ConvertTarget::Float ? "float" : "money");
        put(QLatin1String(n.target == ConvertTarget::Float ? "tsql_float(" : "tsql_money("));
        expression(n.a);
        put(')');
        return;
    case ConvertTarget::Decimal:
        if (fromDateTime)
            unsupported("decimal");
        put(QLatin1String("tsql_decimal("));
        expression(n.a);
        m_out += QStringLiteral(", %1)").arg(n.length);
        return;
    case ConvertTarget::DateTime:
        dateTimeValue(n.a);
        return;
    }
}

void Printer::expression(int index)
{
    checkDeadline(m_ast.deadline, ++m_printed);
    const Node &n = node(index);
    if (m_withinIntRun && n.kind != NodeKind::Arithmetic) {
        // an operand of its own, such as a function's argument, checks its own int arithmetic
        m_withinIntRun = false;
        expression(index);
        m_withinIntRun = true;
        return;
    }
    switch (n.kind) {
    case NodeKind::Null: put(QLatin1String("NULL")); return;
    case NodeKind::Integer:
    case NodeKind::Float: put(m_ast.tokenText(n.token)); return;
    case NodeKind::Decimal:
        put(m_ast.tokenText(n.token));
        if (m_ast.tokens[n.token].kind == TokenKind::Integer && !isExactOnlyAsInteger(m_ast.tokenText(n.token)))
            put(QLatin1String(".0")); // digits beyond int are a decimal: SQLite would read them as an integer
        return;
    case NodeKind::Binary: {
        // SQL Server reads 0x1 as 0x01
        const QStringView digits = m_ast.tokenText(n.token).mid(2);
        put(QLatin1String(digits.size() % 2 ? "X'0" : "X'"));
        put(digits);
        put('\'');
        return;
    }
    case NodeKind::String: stringLiteral(n.token); return;
    case NodeKind::Parameter: put('?'); return;
    case NodeKind::CurrentTimestamp: put(QLatin1String("tsql_getdate()")); return;
    case NodeKind::Column:
        if (n.qualifierToken >= 0) {
            identifier(n.qualifierToken);
            put('.');
        }
        identifier(n.token);
        return;
    case NodeKind::Negate:
        put('-');
        operand(n.a, Atom); // "- -1" must not read as a comment
        return;
    case NodeKind::Arithmetic: arithmetic(index); return;
    case NodeKind::Compare: {
        comparisonOperand(n.a, node(n.b).type);
        static const char *const operators[] = {" = ", " <> ", " < ", " > ", " <= ", " >= "};
        put(QLatin1String(operators[int(n.op) - int(TokenKind::Equal)]));
        comparisonOperand(n.b, node(n.a).type);
        return;
    }
    case NodeKind::And:
    case NodeKind::Or: chain(index); return;
    case NodeKind::Not:
        put(QLatin1String("NOT "));
        operand(n.a, NotLevel);
        return;
    case NodeKind::IsNull:
        operand(n.a, PredicateLevel + 1);
        put(QLatin1String(n.negated ? " IS NOT NULL" : " IS NULL"));
        return;
    case NodeKind::InList: inList(n); return;
    case NodeKind::InSelect:
        operand(n.a, PredicateLevel + 1);
        put(QLatin1String(n.negated ? " NOT IN (" : " IN ("));
        select(n.select);
        put(')');
        return;
    case NodeKind::Like:
        if (n.negated)
            put(QLatin1String("NOT "));
        put(QLatin1String("tsql_like("));
        textArgument(n.a);
        put(QLatin1String(", "));
        textArgument(n.b);
        if (n.c >= 0) {
            put(QLatin1String(", "));
            expression(n.c);
        }
        put(')');
        return;
    case NodeKind::Between: between(n); return;
    case NodeKind::Exists:
        put(QLatin1String("EXISTS ("));
        select(n.select);
        put(')');
        return;
    case NodeKind::Subquery:
        put('(');
        select(n.select);
        put(')');
        return;
    case NodeKind::Case: caseExpression(n); return;
    case NodeKind::When: Q_UNREACHABLE();
    case NodeKind::Function: function(n); return;
    case NodeKind::Aggregate: {
        put(QLatin1String(n.function->sqlName));
        put('(');
        if (n.a < 0) {
            put('*');
        } else {
            if (n.negated)
                put(QLatin1String("DISTINCT "));
            expression(n.a);
        }
        put(')');
        return;
    }
    case NodeKind::DateDiff:
        put(QLatin1String(n.function->sqlName));
        put(QLatin1String("('"));
        put(QLatin1String(dateDiffUnitName(n.length)));
        put(QLatin1String("', "));
        expression(n.a);
        put(QLatin1String(", "));
        expression(n.b);
        put(')');
        return;
    case NodeKind::Convert: convert(n); return;
    }
}

void Printer::tables(int first)
{
    for (int index = first; index >= 0; index = m_ast.tables[index].next) {
        const TableRef &table = m_ast.tables[index];
        if (index != first) {
            static const char *const joins[] = {", ", " JOIN ", " LEFT JOIN ", " RIGHT JOIN ",
                                                " FULL JOIN ", " CROSS JOIN "};
            put(QLatin1String(joins[int(table.join)]));
        }
        if (table.subquery >= 0) {
            put('(');
            select(table.subquery);
            put(')');
        } else {
            identifier(table.nameToken);
        }
        if (table.aliasToken >= 0) {
            put(QLatin1String(" AS "));
            identifier(table.aliasToken);
        }
        if (table.on >= 0) {
            put(QLatin1String(" ON "));
            expression(table.on);
        }
    }
}

// The declared length of a text column of the table, 0 when it has none.
int Printer::storedLength(int tableToken, const QString &column) const
{
    if (m_catalog.textLengths.isEmpty())
        return 0;
    const QString table = identifierName(m_ast.tokenText(tableToken)).toLower();
    return m_catalog.textLengths.value(table + QLatin1Char('.') + column.toLower());
}

// A value an insert or update stores into a column.
void Printer::storedValue(int index, bool dateTime, int length)
{
    if (dateTime) {
        dateTimeValue(index);
    } else if (length > 0) {
        put(QLatin1String("tsql_fit("));
        expression(index);
        m_out += QStringLiteral(", %1)").arg(length);
    } else {
        expression(index);
    }
}

// dateTimeItems: bit i set when item i is stored into a DATETIME column; storedLengths: the
// declared length of the text column item i is stored into, 0 for none.
void Printer::select(int index, quint64 dateTimeItems, const std::vector<int> *storedLengths)
{
    const Select &s = m_ast.selects[index];
    put(QLatin1String(s.distinct ? "SELECT DISTINCT " : "SELECT "));
    int position = 0;
    for (int i = s.firstItem; i >= 0; i = m_ast.items[i].next, ++position) {
        const SelectItem &item = m_ast.items[i];
        if (i != s.firstItem)
            put(QLatin1String(", "));
        if (item.expression < 0) {
            if (item.starQualifierToken >= 0) {
                identifier(item.starQualifierToken);
                put('.');
            }
            put('*');
            continue;
        }
        const bool dateTime = position < 64 && (dateTimeItems >> position & 1);
        const int length = storedLengths && position < int(storedLengths->size()) ? (*storedLengths)[position] : 0;
        storedValue(item.expression, dateTime, length);
        if (item.aliasToken >= 0) {
            put(QLatin1String(" AS "));
            alias(item.aliasToken);
        }
    }
    if (s.firstTable >= 0) {
        put(QLatin1String(" FROM "));
        tables(s.firstTable);
    }
    if (s.where >= 0) {
        put(QLatin1String(" WHERE "));
        expression(s.where);
    }
    if (s.firstGroup >= 0) {
        put(QLatin1String(" GROUP BY "));
        for (int g = s.firstGroup; g >= 0; g = node(g).next) {
            if (g != s.firstGroup)
                put(QLatin1String(", "));
            collatedKey(g);
        }
    }
    if (s.having >= 0) {
        put(QLatin1String(" HAVING "));
        expression(s.having);
    }
    if (s.firstOrder >= 0) {
        put(QLatin1String(" ORDER BY "));
        for (int o = s.firstOrder; o >= 0; o = m_ast.orders[o].next) {
            if (o != s.firstOrder)
                put(QLatin1String(", "));
            collatedKey(m_ast.orders[o].expression);
            if (m_ast.orders[o].descending)
                put(QLatin1String(" DESC"));
        }
    }
    if (s.topToken >= 0) {
        put(QLatin1String(" LIMIT "));
        put(m_ast.tokenText(s.topToken));
    }
}

void Printer::statement()
{
    const Statement &st = m_ast.statement;
    switch (st.kind) {
    case StatementKind::Select:
        select(st.select);
        return;
    case StatementKind::Insert: {
        put(QLatin1String("INSERT INTO "));
        identifier(st.tableToken);
        quint64 dateTimeColumns = 0;
        std::vector<int> lengths;
        if (st.columnCount > 0) {
            put(QLatin1String(" ("));
            for (int i = 0; i < st.columnCount; ++i) {
                const int token = m_ast.insertColumns[st.firstColumn + i];
                if (i > 0)
                    put(QLatin1String(", "));
                identifier(token);
                if (i < 64 && namesDateTimeColumn(m_ast, m_catalog, token))
                    dateTimeColumns |= quint64(1) << i;
                lengths.push_back(storedLength(st.tableToken, identifierName(m_ast.tokenText(token))));
            }
            put(')');
        } else {
            const QString table = identifierName(m_ast.tokenText(st.tableToken)).toLower();
            for (const QString &column : m_catalog.columns.value(table))
                lengths.push_back(storedLength(st.tableToken, column));
        }
        if (st.select >= 0) {
            put(' ');
            select(st.select, dateTimeColumns, &lengths);
            return;
        }
        put(QLatin1String(" VALUES "));
        for (int r = 0; r < st.rowCount; ++r) {
            const int first = m_ast.rows[st.firstRow + r];
            put(QLatin1String(r > 0 ? ", (" : "("));
            int position = 0;
            for (int value = first; value >= 0; value = node(value).next, ++position) {
                if (value != first)
                    put(QLatin1String(", "));
                storedValue(value, position < 64 && (dateTimeColumns >> position & 1),
                            position < int(lengths.size()) ? lengths[position] : 0);
            }
            put(')');
        }
        return;
    }
    case StatementKind::Update:
        put(QLatin1String("UPDATE "));
        identifier(st.tableToken);
        put(QLatin1String(" SET "));
        for (int a = st.firstAssignment; a >= 0; a = m_ast.assignments[a].next) {
            const Assignment &assignment = m_ast.assignments[a];
            if (a != st.firstAssignment)
                put(QLatin1String(", "));
            identifier(assignment.columnToken);
            put(QLatin1String(" = "));
            storedValue(assignment.value, namesDateTimeColumn(m_ast, m_catalog, assignment.columnToken),
                        storedLength(st.tableToken, identifierName(m_ast.tokenText(assignment.columnToken))));
        }
        break;
    case StatementKind::Delete:
        put(QLatin1String("DELETE FROM "));
        identifier(st.tableToken);
        break;
    }
    if (st.where >= 0) {
        put(QLatin1String(" WHERE "));
        expression(st.where);
    }
}

} // namespace

Translation translate(const QString &statement, const Catalog &catalog, QDeadlineTimer deadline)
{
    if (statement.size() > MaxStatementLength)
        fail(QStringLiteral("The statement is %1 characters long; SQL Server takes up to %2.")
                 .arg(statement.size()).arg(MaxStatementLength));
    thread_local Ast ast; // keeps its arrays' capacity from one statement to the next
    ast.deadline = deadline;
    parse(statement, ast);
    assignTypes(ast, catalog);
    Translation result;
    result.sql.reserve(statement.size() + statement.size() / 2 + 32);
    Printer(ast, catalog, result.sql).statement();
    if (ast.statement.kind == StatementKind::Select) {
        const Select &select = ast.selects[ast.statement.select];
        if (!select.hasStar) {
            for (int i = select.firstItem; i >= 0; i = ast.items[i].next)
                result.resultKinds.append(ast.nodes[ast.items[i].expression].type);
        }
    }
    return result;
}

} // namespace kadu2217::tsql
