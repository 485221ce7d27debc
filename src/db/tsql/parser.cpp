#include "db/tsql/ast.h"
#include "db/tsql/failure.h"

#include <algorithm>

namespace kadu2217::tsql {
namespace {

struct FunctionEntry {
    const char *name; // lower case
    Function function;
    int minArguments;
    int maxArguments;
};

// Sorted by name for the binary search.
constexpr FunctionEntry Functions[] = {
    {"abs", Function::Abs, 1, 1},
    {"avg", Function::Avg, 1, 1},
    {"cast", Function::Cast, 1, 1},
    {"ceiling", Function::Ceiling, 1, 1},
    {"coalesce", Function::Coalesce, 2, 255},
    {"convert", Function::Convert, 2, 3},
    {"count", Function::Count, 1, 1},
    {"datediff", Function::DateDiff, 3, 3},
    {"day", Function::Day, 1, 1},
    {"floor", Function::Floor, 1, 1},
    {"getdate", Function::GetDate, 0, 0},
    {"isnull", Function::IsNull, 2, 2},
    {"isnumeric", Function::IsNumeric, 1, 1},
    {"left", Function::Left, 2, 2},
    {"len", Function::Len, 1, 1},
    {"lower", Function::Lower, 1, 1},
    {"ltrim", Function::LTrim, 1, 1},
    {"max", Function::Max, 1, 1},
    {"min", Function::Min, 1, 1},
    {"month", Function::Month, 1, 1},
    {"object_id", Function::ObjectId, 1, 1},
    {"replace", Function::Replace, 3, 3},
    {"right", Function::Right, 2, 2},
    {"round", Function::Round, 2, 3},
    {"rtrim", Function::RTrim, 1, 1},
    {"substring", Function::Substring, 3, 3},
    {"sum", Function::Sum, 1, 1},
    {"upper", Function::Upper, 1, 1},
    {"year", Function::Year, 1, 1},
};

struct UnitEntry {
    const char *name;
    int unit; // index into UnitNames
};

const char *const UnitNames[] = {"year", "quarter", "month", "dayofyear", "day", "week",
                                 "weekday", "hour", "minute", "second", "millisecond"};

constexpr UnitEntry Units[] = {
    {"yy", 0},     {"yyyy", 0},      {"year", 0},   {"qq", 1},        {"q", 1},
    {"quarter", 1}, {"mm", 2},       {"m", 2},      {"month", 2},     {"dy", 3},
    {"y", 3},      {"dayofyear", 3}, {"dd", 4},     {"d", 4},         {"day", 4},
    {"wk", 5},     {"ww", 5},        {"week", 5},   {"dw", 6},        {"w", 6},
    {"weekday", 6}, {"hh", 7},       {"hour", 7},   {"mi", 8},        {"n", 8},
    {"minute", 8}, {"ss", 9},        {"s", 9},      {"second", 9},    {"ms", 10},
    {"millisecond", 10},
};

struct TypeEntry {
    const char *name;
    ConvertTarget target;
};

constexpr TypeEntry ConvertTypes[] = {
    {"int", ConvertTarget::Int},         {"integer", ConvertTarget::Int},
    {"varchar", ConvertTarget::Varchar}, {"nvarchar", ConvertTarget::Varchar},
    {"char", ConvertTarget::Char},       {"nchar", ConvertTarget::Char},
    {"float", ConvertTarget::Float},     {"real", ConvertTarget::Float},
    {"decimal", ConvertTarget::Decimal}, {"numeric", ConvertTarget::Decimal},
    {"dec", ConvertTarget::Decimal},     {"money", ConvertTarget::Money},
    {"smallmoney", ConvertTarget::Money}, {"datetime", ConvertTarget::DateTime},
};

// SQL Server types the embedded database does not convert to.
const char *const UnsupportedTypes[] = {
    "bigint", "smallint", "tinyint", "bit", "date", "time", "datetime2", "smalldatetime",
    "datetimeoffset", "text", "ntext", "uniqueidentifier", "binary", "varbinary", "image",
    "xml", "sql_variant", "timestamp", "rowversion",
};

bool equalsIgnoringCase(QStringView word, const char *name)
{
    return word.compare(QLatin1String(name), Qt::CaseInsensitive) == 0;
}

bool isNumeric(ValueKind kind) { return kind == ValueKind::Integer || kind == ValueKind::Float; }

// The type CASE and coalesce give their results: NULLs aside, the one they share.
ValueKind commonType(ValueKind soFar, const Node &result, bool first)
{
    if (result.kind == NodeKind::Null)
        return soFar;
    const ValueKind kind = result.type;
    if (first || soFar == kind)
        return kind;
    if (soFar == ValueKind::DateTime || kind == ValueKind::DateTime)
        return ValueKind::DateTime;
    if (isNumeric(soFar) && isNumeric(kind))
        return ValueKind::Float;
    return ValueKind::Unknown;
}

const char *operatorName(TokenKind op)
{
    switch (op) {
    case TokenKind::Plus: return "add";
    case TokenKind::Minus: return "subtract";
    case TokenKind::Star: return "multiply";
    case TokenKind::Slash: return "divide";
    default: return "modulo";
    }
}

class Parser {
public:
    Parser(const Catalog &catalog, Ast &ast) : m_catalog(catalog), m_ast(ast) {}

    void parseStatement();

private:
    const Token &peek(int ahead = 0) const { return m_ast.tokens[std::min(m_pos + ahead, int(m_ast.tokens.size()) - 1)]; }
    bool atKeyword(Keyword keyword, int ahead = 0) const
    {
        const Token &t = peek(ahead);
        return t.kind == TokenKind::Identifier && t.keyword == keyword;
    }
    bool at(TokenKind kind, int ahead = 0) const { return peek(ahead).kind == kind; }
    bool acceptKeyword(Keyword keyword)
    {
        if (!atKeyword(keyword))
            return false;
        ++m_pos;
        return true;
    }
    bool accept(TokenKind kind)
    {
        if (!at(kind))
            return false;
        ++m_pos;
        return true;
    }
    void expectKeyword(Keyword keyword)
    {
        if (!acceptKeyword(keyword))
            syntaxError();
    }
    void expect(TokenKind kind)
    {
        if (!accept(kind))
            syntaxError();
    }
    // An identifier that is no reserved word, or a delimited one.
    bool atName(int ahead = 0) const
    {
        const Token &t = peek(ahead);
        return (t.kind == TokenKind::Identifier && t.keyword == Keyword::None)
            || t.kind == TokenKind::QuotedIdentifier;
    }
    int expectName()
    {
        if (!atName())
            syntaxError();
        checkPlainName(m_pos);
        return m_pos++;
    }

    [[noreturn]] void syntaxError() const
    {
        const Token &t = peek();
        if (t.kind == TokenKind::End)
            fail(QStringLiteral("Incorrect syntax near the end of the statement."));
        fail(QStringLiteral("Incorrect syntax near '%1'.").arg(m_ast.tokenText(m_pos)));
    }
    void checkPlainName(int token) const;

    int add(const Node &node)
    {
        m_ast.nodes.append(node);
        return int(m_ast.nodes.size()) - 1;
    }
    Node &node(int index) { return m_ast.nodes[index]; }
    void requireValue(int index) const
    {
        if (m_ast.nodes[index].condition)
            syntaxError();
    }
    void requireCondition(int index) const
    {
        if (!m_ast.nodes[index].condition)
            fail(QStringLiteral("An expression of non-boolean type specified in a context where a "
                                "condition is expected, near '%1'.")
                     .arg(peek().kind == TokenKind::End ? QString() : m_ast.tokenText(m_pos).toString()));
    }

    int parseSelect();
    int parseSelectItem();
    int parseFrom();
    int parseTableSource(JoinKind join);
    int parseTableName();
    void parseInsert();
    void parseUpdate();
    void parseDelete();

    int parseCondition()
    {
        const int index = parseOr();
        requireCondition(index);
        return index;
    }
    int parseExpression()
    {
        const int index = parseOr();
        requireValue(index);
        return index;
    }
    int parseOr();
    int parseAnd();
    int parseNot();
    int parsePredicate();
    int parseAdditive();
    int parseMultiplicative();
    int parseUnary();
    int parsePrimary();
    int parseCase();
    int parseFunction(int nameToken);
    void parseConvertTarget(Node &convert);
    int parseSubquery(NodeKind kind, int left);
    int parseExpressionList(int &count);

    ValueKind arithmeticType(TokenKind op, int left, int right) const;
    ValueKind columnType(int nameToken);
    ValueKind functionType(const Node &call) const;
    int binary(NodeKind kind, TokenKind op, int left, int right, bool condition)
    {
        Node n;
        n.kind = kind;
        n.op = op;
        n.a = left;
        n.b = right;
        n.condition = condition;
        return add(n);
    }

    const Catalog &m_catalog;
    Ast &m_ast;
    int m_pos = 0;
};

// Variables, temporary tables and the like have no counterpart in the embedded database.
void Parser::checkPlainName(int token) const
{
    const QStringView name = m_ast.tokenText(token);
    if (name.startsWith(u'@'))
        fail(QStringLiteral("Variables ('%1') are not supported by the embedded database.").arg(name));
    if (name.startsWith(u'#'))
        fail(QStringLiteral("Temporary tables ('%1') are not supported by the embedded database.").arg(name));
}

void Parser::parseStatement()
{
    Statement &statement = m_ast.statement;
    if (atKeyword(Keyword::Select)) {
        statement.kind = StatementKind::Select;
        statement.select = parseSelect();
    } else if (acceptKeyword(Keyword::Insert)) {
        parseInsert();
    } else if (acceptKeyword(Keyword::Update)) {
        parseUpdate();
    } else if (acceptKeyword(Keyword::Delete)) {
        parseDelete();
    } else if (at(TokenKind::Identifier)) {
        fail(QStringLiteral("The statement kind '%1' is not supported by the embedded database.")
                 .arg(m_ast.tokenText(m_pos).toString().toUpper()));
    } else {
        syntaxError();
    }
    accept(TokenKind::Semicolon);
    if (atKeyword(Keyword::Select) || atKeyword(Keyword::Insert) || atKeyword(Keyword::Update)
        || atKeyword(Keyword::Delete))
        fail(QStringLiteral("The embedded database runs one statement per text; '%1' starts another.")
                 .arg(m_ast.tokenText(m_pos)));
    if (!at(TokenKind::End))
        syntaxError();
}

int Parser::parseSelect()
{
    expectKeyword(Keyword::Select);
    const int index = int(m_ast.selects.size());
    m_ast.selects.append(Select());
    Select select;
    if (acceptKeyword(Keyword::Distinct))
        select.distinct = true;
    else
        acceptKeyword(Keyword::All);
    if (acceptKeyword(Keyword::Top)) {
        const bool parenthesized = accept(TokenKind::LeftParen);
        if (!at(TokenKind::Integer))
            syntaxError();
        select.topToken = m_pos++;
        if (parenthesized)
            expect(TokenKind::RightParen);
        if (atKeyword(Keyword::Percent))
            fail(QStringLiteral("TOP ... PERCENT is not supported by the embedded database."));
        if (at(TokenKind::Identifier) && equalsIgnoringCase(m_ast.tokenText(m_pos), "with"))
            fail(QStringLiteral("TOP ... WITH TIES is not supported by the embedded database."));
    }
    int last = -1;
    do {
        const int item = parseSelectItem();
        if (m_ast.items[item].expression < 0)
            select.hasStar = true;
        (last < 0 ? select.firstItem : m_ast.items[last].next) = item;
        last = item;
    } while (accept(TokenKind::Comma));
    if (acceptKeyword(Keyword::From))
        select.firstTable = parseFrom();
    if (acceptKeyword(Keyword::Where))
        select.where = parseCondition();
    if (acceptKeyword(Keyword::Group)) {
        expectKeyword(Keyword::By);
        int count = 0;
        select.firstGroup = parseExpressionList(count);
    }
    if (acceptKeyword(Keyword::Having))
        select.having = parseCondition();
    if (acceptKeyword(Keyword::Order)) {
        expectKeyword(Keyword::By);
        int lastOrder = -1;
        do {
            OrderItem order;
            order.expression = parseExpression();
            if (acceptKeyword(Keyword::Desc))
                order.descending = true;
            else
                acceptKeyword(Keyword::Asc);
            m_ast.orders.append(order);
            const int orderIndex = int(m_ast.orders.size()) - 1;
            (lastOrder < 0 ? select.firstOrder : m_ast.orders[lastOrder].next) = orderIndex;
            lastOrder = orderIndex;
        } while (accept(TokenKind::Comma));
    }
    if (atKeyword(Keyword::Union) || atKeyword(Keyword::Except) || atKeyword(Keyword::Intersect))
        fail(QStringLiteral("%1 is not supported by the embedded database.")
                 .arg(m_ast.tokenText(m_pos).toString().toUpper()));
    m_ast.selects[index] = select;
    return index;
}

int Parser::parseSelectItem()
{
    SelectItem item;
    if (accept(TokenKind::Star)) {
        // no expression: the whole row
    } else if (atName() && at(TokenKind::Dot, 1) && at(TokenKind::Star, 2)) {
        item.starQualifierToken = expectName();
        m_pos += 2;
    } else if ((atName() || at(TokenKind::String)) && at(TokenKind::Equal, 1)) {
        item.aliasToken = m_pos; // alias = expression
        m_pos += 2;
        item.expression = parseExpression();
    } else {
        item.expression = parseExpression();
        if (acceptKeyword(Keyword::As)) {
            if (!atName() && !at(TokenKind::String))
                syntaxError();
            item.aliasToken = m_pos++;
        } else if (atName() || at(TokenKind::String)) {
            item.aliasToken = m_pos++;
        }
    }
    m_ast.items.append(item);
    return int(m_ast.items.size()) - 1;
}

int Parser::parseFrom()
{
    const int first = parseTableSource(JoinKind::Comma);
    int last = first;
    for (;;) {
        JoinKind join;
        if (accept(TokenKind::Comma)) {
            join = JoinKind::Comma;
        } else if (acceptKeyword(Keyword::Join)) {
            join = JoinKind::Inner;
        } else if (acceptKeyword(Keyword::Inner)) {
            join = JoinKind::Inner;
            expectKeyword(Keyword::Join);
        } else if (atKeyword(Keyword::Left) || atKeyword(Keyword::Right) || atKeyword(Keyword::Full)) {
            join = atKeyword(Keyword::Left) ? JoinKind::Left
                : atKeyword(Keyword::Right) ? JoinKind::Right : JoinKind::Full;
            ++m_pos;
            acceptKeyword(Keyword::Outer);
            expectKeyword(Keyword::Join);
        } else if (acceptKeyword(Keyword::Cross)) {
            join = JoinKind::Cross;
            expectKeyword(Keyword::Join);
        } else {
            break;
        }
        const int table = parseTableSource(join);
        if (join != JoinKind::Comma && join != JoinKind::Cross) {
            expectKeyword(Keyword::On);
            const int on = parseCondition();
            m_ast.tables[table].on = on;
        }
        m_ast.tables[last].next = table;
        last = table;
    }
    return first;
}

int Parser::parseTableSource(JoinKind join)
{
    TableRef table;
    table.join = join;
    if (accept(TokenKind::LeftParen)) {
        if (!atKeyword(Keyword::Select))
            syntaxError();
        table.subquery = parseSelect();
        expect(TokenKind::RightParen);
        acceptKeyword(Keyword::As);
        table.aliasToken = expectName(); // a derived table must be named
    } else {
        table.nameToken = parseTableName();
        if (acceptKeyword(Keyword::As))
            table.aliasToken = expectName();
        else if (atName())
            table.aliasToken = expectName();
    }
    m_ast.tables.append(table);
    return int(m_ast.tables.size()) - 1;
}

// A table name, with the owner dbo allowed in front.
int Parser::parseTableName()
{
    const int first = expectName();
    if (!accept(TokenKind::Dot))
        return first;
    if (!equalsIgnoringCase(identifierName(m_ast.tokenText(first)), "dbo") || at(TokenKind::Dot))
        fail(QStringLiteral("Objects outside the dbo schema ('%1') are not supported by the embedded database.")
                 .arg(m_ast.tokenText(first)));
    return expectName();
}

void Parser::parseInsert()
{
    Statement &statement = m_ast.statement;
    statement.kind = StatementKind::Insert;
    acceptKeyword(Keyword::Into);
    statement.tableToken = parseTableName();
    if (accept(TokenKind::LeftParen)) {
        statement.firstColumn = int(m_ast.insertColumns.size());
        do {
            m_ast.insertColumns.append(expectName());
        } while (accept(TokenKind::Comma));
        statement.columnCount = int(m_ast.insertColumns.size()) - statement.firstColumn;
        expect(TokenKind::RightParen);
    }
    auto checkCount = [&](int count) {
        if (statement.columnCount != 0 && count != statement.columnCount)
            fail(count > statement.columnCount
                     ? QStringLiteral("There are more values than columns in the INSERT statement.")
                     : QStringLiteral("There are more columns in the INSERT statement than values specified."));
    };
    if (atKeyword(Keyword::Select)) {
        statement.select = parseSelect();
        const Select &select = m_ast.selects[statement.select];
        if (!select.hasStar) {
            int count = 0;
            for (int item = select.firstItem; item >= 0; item = m_ast.items[item].next)
                ++count;
            checkCount(count);
        }
        return;
    }
    expectKeyword(Keyword::Values);
    statement.firstRow = int(m_ast.rows.size());
    int firstRowCount = -1;
    do {
        expect(TokenKind::LeftParen);
        int count = 0;
        m_ast.rows.append(parseExpressionList(count));
        expect(TokenKind::RightParen);
        checkCount(count);
        if (firstRowCount >= 0 && count != firstRowCount)
            fail(QStringLiteral("All rows of a VALUES list must have the same number of values."));
        firstRowCount = count;
    } while (accept(TokenKind::Comma));
    statement.rowCount = int(m_ast.rows.size()) - statement.firstRow;
}

void Parser::parseUpdate()
{
    Statement &statement = m_ast.statement;
    statement.kind = StatementKind::Update;
    statement.tableToken = parseTableName();
    expectKeyword(Keyword::Set);
    int last = -1;
    do {
        Assignment assignment;
        assignment.columnToken = expectName();
        if (accept(TokenKind::Dot))
            assignment.columnToken = expectName(); // table.column: the table is the updated one
        expect(TokenKind::Equal);
        assignment.value = parseExpression();
        m_ast.assignments.append(assignment);
        const int index = int(m_ast.assignments.size()) - 1;
        (last < 0 ? statement.firstAssignment : m_ast.assignments[last].next) = index;
        last = index;
    } while (accept(TokenKind::Comma));
    if (atKeyword(Keyword::From))
        fail(QStringLiteral("UPDATE ... FROM is not supported by the embedded database."));
    if (acceptKeyword(Keyword::Where))
        statement.where = parseCondition();
}

void Parser::parseDelete()
{
    Statement &statement = m_ast.statement;
    statement.kind = StatementKind::Delete;
    acceptKeyword(Keyword::From);
    statement.tableToken = parseTableName();
    if (atKeyword(Keyword::From))
        fail(QStringLiteral("DELETE ... FROM ... with a second FROM is not supported by the embedded database."));
    if (acceptKeyword(Keyword::Where))
        statement.where = parseCondition();
}

int Parser::parseExpressionList(int &count)
{
    int first = -1, last = -1;
    count = 0;
    do {
        const int item = parseExpression();
        (last < 0 ? first : node(last).next) = item;
        last = item;
        ++count;
    } while (accept(TokenKind::Comma));
    return first;
}

int Parser::parseOr()
{
    int left = parseAnd();
    while (acceptKeyword(Keyword::Or)) {
        const int right = parseAnd();
        requireCondition(left);
        requireCondition(right);
        left = binary(NodeKind::Or, TokenKind::End, left, right, true);
    }
    return left;
}

int Parser::parseAnd()
{
    int left = parseNot();
    while (acceptKeyword(Keyword::And)) {
        const int right = parseNot();
        requireCondition(left);
        requireCondition(right);
        left = binary(NodeKind::And, TokenKind::End, left, right, true);
    }
    return left;
}

int Parser::parseNot()
{
    if (!acceptKeyword(Keyword::Not))
        return parsePredicate();
    const int operand = parseNot();
    requireCondition(operand);
    return binary(NodeKind::Not, TokenKind::End, operand, -1, true);
}

int Parser::parsePredicate()
{
    const int left = parseAdditive();
    const TokenKind op = peek().kind;
    if (op >= TokenKind::Equal && op <= TokenKind::GreaterEqual) {
        ++m_pos;
        const int right = parseAdditive();
        requireValue(left);
        requireValue(right);
        return binary(NodeKind::Compare, op, left, right, true);
    }
    if (acceptKeyword(Keyword::Is)) {
        requireValue(left);
        const bool negated = acceptKeyword(Keyword::Not);
        expectKeyword(Keyword::Null);
        const int index = binary(NodeKind::IsNull, TokenKind::End, left, -1, true);
        node(index).negated = negated;
        return index;
    }
    const bool negated = atKeyword(Keyword::Not)
        && (atKeyword(Keyword::In, 1) || atKeyword(Keyword::Like, 1) || atKeyword(Keyword::Between, 1));
    if (negated)
        ++m_pos;
    int index = -1;
    if (acceptKeyword(Keyword::In)) {
        requireValue(left);
        expect(TokenKind::LeftParen);
        if (atKeyword(Keyword::Select)) {
            index = parseSubquery(NodeKind::InSelect, left);
        } else {
            int count = 0;
            const int list = parseExpressionList(count);
            index = binary(NodeKind::InList, TokenKind::End, left, list, true);
        }
        expect(TokenKind::RightParen);
    } else if (acceptKeyword(Keyword::Like)) {
        requireValue(left);
        const int pattern = parseAdditive();
        requireValue(pattern);
        index = binary(NodeKind::Like, TokenKind::End, left, pattern, true);
        if (acceptKeyword(Keyword::Escape)) {
            const int escape = parseAdditive();
            requireValue(escape);
            node(index).c = escape;
        }
    } else if (acceptKeyword(Keyword::Between)) {
        requireValue(left);
        const int low = parseAdditive();
        expectKeyword(Keyword::And);
        const int high = parseAdditive();
        requireValue(low);
        requireValue(high);
        index = binary(NodeKind::Between, TokenKind::End, left, low, true);
        node(index).c = high;
    } else {
        return left;
    }
    node(index).negated = negated;
    return index;
}

ValueKind Parser::arithmeticType(TokenKind op, int left, int right) const
{
    const ValueKind l = m_ast.nodes[left].type;
    const ValueKind r = m_ast.nodes[right].type;
    if (l == ValueKind::DateTime || r == ValueKind::DateTime)
        fail(QStringLiteral("The %1 operator applied to a datetime value is not supported by the embedded database.")
                 .arg(QLatin1String(operatorName(op))));
    if (l == ValueKind::Text && r == ValueKind::Text) {
        if (op != TokenKind::Plus)
            fail(QStringLiteral("Operand data type varchar is invalid for %1 operator.")
                     .arg(QLatin1String(operatorName(op))));
        return ValueKind::Text;
    }
    if (isNumeric(l) && isNumeric(r))
        return l == ValueKind::Integer && r == ValueKind::Integer ? ValueKind::Integer : ValueKind::Float;
    if (l == ValueKind::Text && isNumeric(r))
        return r; // the text converts to the number's type
    if (isNumeric(l) && r == ValueKind::Text)
        return l;
    return ValueKind::Unknown;
}

int Parser::parseAdditive()
{
    int left = parseMultiplicative();
    while (at(TokenKind::Plus) || at(TokenKind::Minus)) {
        const TokenKind op = peek().kind;
        ++m_pos;
        const int right = parseMultiplicative();
        requireValue(left);
        requireValue(right);
        const ValueKind type = arithmeticType(op, left, right);
        left = binary(NodeKind::Arithmetic, op, left, right, false);
        node(left).type = type;
    }
    return left;
}

int Parser::parseMultiplicative()
{
    int left = parseUnary();
    while (at(TokenKind::Star) || at(TokenKind::Slash) || at(TokenKind::Percent)) {
        const TokenKind op = peek().kind;
        ++m_pos;
        const int right = parseUnary();
        requireValue(left);
        requireValue(right);
        const ValueKind type = arithmeticType(op, left, right);
        left = binary(NodeKind::Arithmetic, op, left, right, false);
        node(left).type = type;
    }
    return left;
}

int Parser::parseUnary()
{
    if (accept(TokenKind::Plus)) {
        const int operand = parseUnary();
        requireValue(operand);
        return operand;
    }
    if (!accept(TokenKind::Minus))
        return parsePrimary();
    const int operand = parseUnary();
    requireValue(operand);
    const ValueKind type = node(operand).type;
    if (type == ValueKind::DateTime)
        fail(QStringLiteral("The minus operator applied to a datetime value is not supported by the embedded database."));
    if (type == ValueKind::Text)
        fail(QStringLiteral("Operand data type varchar is invalid for minus operator."));
    const int index = binary(NodeKind::Negate, TokenKind::Minus, operand, -1, false);
    node(index).type = type;
    return index;
}

ValueKind Parser::columnType(int nameToken)
{
    return namesDateTimeColumn(m_ast, m_catalog, nameToken) ? ValueKind::DateTime : ValueKind::Unknown;
}

int Parser::parsePrimary()
{
    const Token &t = peek();
    Node n;
    n.token = m_pos;
    switch (t.kind) {
    case TokenKind::Integer:
        n.kind = NodeKind::Integer;
        n.type = ValueKind::Integer;
        ++m_pos;
        return add(n);
    case TokenKind::Decimal:
    case TokenKind::Float:
        n.kind = t.kind == TokenKind::Decimal ? NodeKind::Decimal : NodeKind::Float;
        n.type = ValueKind::Float;
        ++m_pos;
        return add(n);
    case TokenKind::String:
        n.kind = NodeKind::String;
        n.type = ValueKind::Text;
        ++m_pos;
        return add(n);
    case TokenKind::Parameter:
        n.kind = NodeKind::Parameter;
        ++m_pos;
        return add(n);
    case TokenKind::LeftParen: {
        ++m_pos;
        if (atKeyword(Keyword::Select)) {
            const int index = parseSubquery(NodeKind::Subquery, -1);
            expect(TokenKind::RightParen);
            return index;
        }
        const int inner = parseOr();
        expect(TokenKind::RightParen);
        return inner; // the tree keeps the grouping
    }
    case TokenKind::QuotedIdentifier:
    case TokenKind::Identifier:
        break;
    default:
        syntaxError();
    }
    switch (t.keyword) {
    case Keyword::Null:
        n.kind = NodeKind::Null;
        ++m_pos;
        return add(n);
    case Keyword::CurrentTimestamp:
        n.kind = NodeKind::CurrentTimestamp;
        n.type = ValueKind::DateTime;
        ++m_pos;
        return add(n);
    case Keyword::Case:
        ++m_pos;
        return parseCase();
    case Keyword::Exists: {
        ++m_pos;
        expect(TokenKind::LeftParen);
        const int index = parseSubquery(NodeKind::Exists, -1);
        expect(TokenKind::RightParen);
        return index;
    }
    case Keyword::Left:
    case Keyword::Right:
        if (!at(TokenKind::LeftParen, 1))
            syntaxError();
        return parseFunction(m_pos++);
    case Keyword::None:
        break;
    default:
        syntaxError();
    }
    if (t.kind == TokenKind::Identifier && at(TokenKind::LeftParen, 1))
        return parseFunction(m_pos++);
    n.kind = NodeKind::Column;
    n.token = expectName();
    if (accept(TokenKind::Dot)) {
        n.qualifierToken = n.token;
        n.token = expectName();
        if (at(TokenKind::Dot))
            fail(QStringLiteral("Column names with more than two parts are not supported by the embedded database."));
    }
    n.type = columnType(n.token);
    return add(n);
}

int Parser::parseSubquery(NodeKind kind, int left)
{
    Node n;
    n.kind = kind;
    n.a = left;
    n.condition = kind != NodeKind::Subquery;
    n.select = parseSelect();
    const Select &select = m_ast.selects[n.select];
    if (kind != NodeKind::Exists) {
        const SelectItem &item = m_ast.items[select.firstItem];
        if (item.next >= 0 || (select.hasStar && kind == NodeKind::InSelect))
            fail(QStringLiteral("Only one expression can be specified in the select list when the "
                                "subquery is not introduced with EXISTS."));
        if (item.expression >= 0)
            n.type = m_ast.nodes[item.expression].type;
    }
    return add(n);
}

int Parser::parseCase()
{
    Node n;
    n.kind = NodeKind::Case;
    if (!atKeyword(Keyword::When))
        n.a = parseExpression();
    const bool simple = n.a >= 0;
    int last = -1;
    bool first = true;
    while (acceptKeyword(Keyword::When)) {
        const int test = simple ? parseExpression() : parseCondition();
        expectKeyword(Keyword::Then);
        const int result = parseExpression();
        const int when = binary(NodeKind::When, TokenKind::End, test, result, false);
        (last < 0 ? n.b : node(last).next) = when;
        last = when;
        n.type = commonType(n.type, node(result), first);
        first = first && node(result).kind == NodeKind::Null;
    }
    if (last < 0)
        syntaxError();
    if (acceptKeyword(Keyword::Else)) {
        n.c = parseExpression();
        n.type = commonType(n.type, node(n.c), first);
    }
    expectKeyword(Keyword::End);
    return add(n);
}

void Parser::parseConvertTarget(Node &convert)
{
    if (!at(TokenKind::Identifier))
        syntaxError();
    const QStringView name = m_ast.tokenText(m_pos++);
    const auto known = std::find_if(std::begin(ConvertTypes), std::end(ConvertTypes),
                                    [&](const TypeEntry &e) { return equalsIgnoringCase(name, e.name); });
    if (known == std::end(ConvertTypes)) {
        for (const char *unsupported : UnsupportedTypes) {
            if (equalsIgnoringCase(name, unsupported))
                fail(QStringLiteral("Conversion to %1 is not supported by the embedded database.")
                         .arg(name.toString().toLower()));
        }
        fail(QStringLiteral("Type %1 is not a defined system type.").arg(name));
    }
    convert.target = known->target;
    const bool textual = convert.target == ConvertTarget::Varchar || convert.target == ConvertTarget::Char;
    convert.length = textual ? 30 : 0; // varchar and char without a length hold 30 in a conversion
    if (accept(TokenKind::LeftParen)) {
        if (textual && at(TokenKind::Identifier) && equalsIgnoringCase(m_ast.tokenText(m_pos), "max")) {
            if (convert.target == ConvertTarget::Char)
                syntaxError();
            convert.length = -1;
            ++m_pos;
        } else {
            if (!at(TokenKind::Integer))
                syntaxError();
            const int first = m_ast.tokenText(m_pos++).toInt();
            if (textual)
                convert.length = first;
            if (accept(TokenKind::Comma)) {
                if (convert.target != ConvertTarget::Decimal || !at(TokenKind::Integer))
                    syntaxError();
                convert.length = m_ast.tokenText(m_pos++).toInt(); // the scale
            }
            if (textual && first < 1)
                fail(QStringLiteral("The size (%1) given to the type '%2' must be at least 1.")
                         .arg(first).arg(name));
        }
        expect(TokenKind::RightParen);
    }
}

int Parser::parseFunction(int nameToken)
{
    const QStringView name = m_ast.tokenText(nameToken);
    const FunctionEntry *entry = lookUpWord(Functions, name);
    if (!entry)
        fail(QStringLiteral("'%1' is not a recognized built-in function name.").arg(name));
    expect(TokenKind::LeftParen);
    Node n;
    n.kind = NodeKind::Function;
    n.function = entry->function;
    n.token = nameToken;
    switch (entry->function) {
    case Function::Cast:
        n.kind = NodeKind::Convert;
        n.a = parseExpression();
        expectKeyword(Keyword::As);
        parseConvertTarget(n);
        break;
    case Function::Convert:
        n.kind = NodeKind::Convert;
        parseConvertTarget(n);
        expect(TokenKind::Comma);
        n.a = parseExpression();
        if (accept(TokenKind::Comma)) {
            if (!at(TokenKind::Integer))
                syntaxError();
            n.c = parsePrimary();
        }
        break;
    case Function::DateDiff: {
        n.kind = NodeKind::DateDiff;
        if (!at(TokenKind::Identifier))
            syntaxError();
        const QStringView unit = m_ast.tokenText(m_pos);
        const auto found = std::find_if(std::begin(Units), std::end(Units),
                                        [&](const UnitEntry &e) { return equalsIgnoringCase(unit, e.name); });
        if (found == std::end(Units))
            fail(QStringLiteral("'%1' is not a recognized datediff option.").arg(unit));
        n.length = found->unit;
        ++m_pos;
        expect(TokenKind::Comma);
        n.a = parseExpression();
        expect(TokenKind::Comma);
        n.b = parseExpression();
        break;
    }
    case Function::Count:
    case Function::Sum:
    case Function::Avg:
    case Function::Max:
    case Function::Min:
        n.kind = NodeKind::Aggregate;
        if (entry->function == Function::Count && accept(TokenKind::Star))
            break;
        if (acceptKeyword(Keyword::Distinct))
            n.negated = true;
        else
            acceptKeyword(Keyword::All);
        n.a = parseExpression();
        break;
    default: {
        int count = 0;
        if (!at(TokenKind::RightParen))
            n.b = parseExpressionList(count);
        if (count < entry->minArguments || count > entry->maxArguments)
            fail(entry->minArguments == entry->maxArguments
                     ? QStringLiteral("The %1 function requires %2 argument(s).").arg(name).arg(entry->minArguments)
                     : QStringLiteral("The %1 function requires %2 to %3 arguments.")
                           .arg(name).arg(entry->minArguments).arg(entry->maxArguments));
        break;
    }
    }
    expect(TokenKind::RightParen);
    n.type = functionType(n);
    return add(n);
}

ValueKind Parser::functionType(const Node &call) const
{
    const auto typeOf = [&](int index) { return index < 0 ? ValueKind::Unknown : m_ast.nodes[index].type; };
    switch (call.kind) {
    case NodeKind::DateDiff:
        return ValueKind::Integer;
    case NodeKind::Convert:
        switch (call.target) {
        case ConvertTarget::Int: return ValueKind::Integer;
        case ConvertTarget::Varchar:
        case ConvertTarget::Char: return ValueKind::Text;
        case ConvertTarget::DateTime: return ValueKind::DateTime;
        default: return ValueKind::Float;
        }
    case NodeKind::Aggregate:
        if (call.function == Function::Count)
            return ValueKind::Integer;
        if (call.function == Function::Max || call.function == Function::Min || isNumeric(typeOf(call.a)))
            return typeOf(call.a);
        return ValueKind::Unknown;
    default:
        break;
    }
    const ValueKind first = typeOf(call.b);
    switch (call.function) {
    case Function::IsNull:
        return first;
    case Function::Coalesce: {
        ValueKind type = ValueKind::Unknown;
        bool firstResult = true;
        for (int arg = call.b; arg >= 0; arg = m_ast.nodes[arg].next) {
            type = commonType(type, m_ast.nodes[arg], firstResult);
            firstResult = firstResult && m_ast.nodes[arg].kind == NodeKind::Null;
        }
        return type;
    }
    case Function::GetDate:
        return ValueKind::DateTime;
    case Function::Abs:
    case Function::Round:
    case Function::Floor:
    case Function::Ceiling:
        if (first == ValueKind::Text)
            return ValueKind::Float; // text goes through float
        return isNumeric(first) ? first : ValueKind::Unknown;
    case Function::Left:
    case Function::Right:
    case Function::Substring:
    case Function::LTrim:
    case Function::RTrim:
    case Function::Upper:
    case Function::Lower:
    case Function::Replace:
        return ValueKind::Text;
    default:
        return ValueKind::Integer; // isnumeric, len, year, month, day, object_id
    }
}

} // namespace

const char *dateDiffUnitName(int unit) { return UnitNames[unit]; }

bool namesDateTimeColumn(Ast &ast, const Catalog &catalog, int token)
{
    const QStringView raw = ast.tokenText(token);
    QString &name = ast.nameBuffer;
    if (ast.tokens[token].kind == TokenKind::QuotedIdentifier) {
        name = identifierName(raw).toLower();
    } else {
        name.resize(raw.size());
        QChar *out = name.data();
        for (QChar c : raw) {
            const char16_t u = c.unicode();
            *out++ = u >= u'A' && u <= u'Z' ? QChar(u + 32) : u < 0x80 ? c : c.toLower();
        }
    }
    return catalog.dateTimeColumns.contains(name);
}

QString stringValue(QStringView literal)
{
    if (literal.startsWith(u'N') || literal.startsWith(u'n'))
        literal = literal.mid(1);
    literal = literal.mid(1, literal.size() - 2);
    QString value = literal.toString();
    value.replace(QLatin1String("''"), QLatin1String("'"));
    return value;
}

QString identifierName(QStringView token)
{
    if (token.isEmpty() || (token.front() != u'[' && token.front() != u'"'))
        return token.toString();
    const QChar close = token.front() == u'[' ? u']' : u'"';
    QString name = token.mid(1, token.size() - 2).toString();
    name.replace(QString(2, close), QString(close));
    return name;
}

void parse(QStringView text, const Catalog &catalog, Ast &ast)
{
    ast.clear();
    ast.text = text;
    tokenize(text, ast.tokens);
    Parser(catalog, ast).parseStatement();
}

} // namespace kadu2217::tsql
