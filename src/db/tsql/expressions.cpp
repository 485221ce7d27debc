#include "db/tsql/builtins.h"
#include "db/tsql/parser.h"

#include <cmath>
#include <limits>

namespace kadu2217::tsql {
namespace {

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

} // namespace

// SQL Server's types for number literals: int while the digits fit it, decimal beyond, float
// with an exponent; a literal no type holds is refused as it is there.
NodeKind Parser::numberKind(int token) const
{
    const QStringView text = m_ast.tokenText(token);
    const TokenKind kind = m_ast.tokens[token].kind;
    if (kind == TokenKind::Float) {
        bool ok = false;
        const double value = text.toDouble(&ok);
        if (!ok || !std::isfinite(value))
            failConversion(QStringLiteral("The floating point value '%1' is out of the range of computer representation "
                                "(8 bytes).").arg(text));
        return NodeKind::Float;
    }
    int digits = 0;
    for (QChar c : text)
        digits += c.isDigit() ? 1 : 0;
    if (digits > 38)
        failConversion(QStringLiteral("The number '%1' is out of the range for numeric representation (maximum precision 38).")
                 .arg(text));
    if (kind == TokenKind::Decimal)
        return NodeKind::Decimal;
    bool ok = false;
    const qlonglong value = text.toLongLong(&ok);
    return ok && value <= std::numeric_limits<qint32>::max() ? NodeKind::Integer : NodeKind::Decimal;
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
    const Nesting nesting(*this);
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
    const Nesting nesting(*this);
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

int Parser::parseAdditive()
{
    int left = parseMultiplicative();
    while (at(TokenKind::Plus) || at(TokenKind::Minus)) {
        const TokenKind op = peek().kind;
        ++m_pos;
        const int right = parseMultiplicative();
        requireValue(left);
        requireValue(right);
        left = binary(NodeKind::Arithmetic, op, left, right, false);
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
        left = binary(NodeKind::Arithmetic, op, left, right, false);
    }
    return left;
}

int Parser::parseUnary()
{
    const bool minus = at(TokenKind::Minus);
    if (!minus && !at(TokenKind::Plus))
        return parsePrimary();
    ++m_pos;
    const Nesting nesting(*this);
    const int operand = parseUnary();
    requireValue(operand);
    if (!minus)
        return operand;
    return binary(NodeKind::Negate, TokenKind::Minus, operand, -1, false);
}

int Parser::parsePrimary()
{
    const Token &t = peek();
    Node n;
    n.token = m_pos;
    switch (t.kind) {
    case TokenKind::Integer:
    case TokenKind::Decimal:
    case TokenKind::Float:
        n.kind = numberKind(m_pos);
        ++m_pos;
        return add(n);
    case TokenKind::Binary:
        n.kind = NodeKind::Binary;
        ++m_pos;
        return add(n);
    case TokenKind::String:
        n.kind = NodeKind::String;
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
    if (kind != NodeKind::Exists
        && (m_ast.items[select.firstItem].next >= 0 || (select.hasStar && kind == NodeKind::InSelect)))
        fail(QStringLiteral("Only one expression can be specified in the select list when the "
                            "subquery is not introduced with EXISTS."));
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
    while (acceptKeyword(Keyword::When)) {
        const int test = simple ? parseExpression() : parseCondition();
        expectKeyword(Keyword::Then);
        const int result = parseExpression();
        const int when = binary(NodeKind::When, TokenKind::End, test, result, false);
        (last < 0 ? n.b : node(last).next) = when;
        last = when;
    }
    if (last < 0)
        syntaxError();
    if (acceptKeyword(Keyword::Else))
        n.c = parseExpression();
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
    const BuiltIn *entry = findBuiltIn(name);
    if (!entry)
        fail(QStringLiteral("'%1' is not a recognized built-in function name.").arg(name));
    expect(TokenKind::LeftParen);
    Node n;
    n.kind = NodeKind::Function;
    n.function = entry;
    n.token = nameToken;
    switch (entry->form) {
    case CallForm::Cast:
        n.kind = NodeKind::Convert;
        n.a = parseExpression();
        expectKeyword(Keyword::As);
        parseConvertTarget(n);
        break;
    case CallForm::Convert:
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
    case CallForm::DateDiff: {
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
    case CallForm::Aggregate:
    case CallForm::Count:
        n.kind = NodeKind::Aggregate;
        if (entry->form == CallForm::Count && accept(TokenKind::Star))
            break;
        if (acceptKeyword(Keyword::Distinct))
            n.negated = true;
        else
            acceptKeyword(Keyword::All);
        n.a = parseExpression();
        break;
    case CallForm::List: {
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
    return add(n);
}

const char *dateDiffUnitName(int unit) { return UnitNames[unit]; }

} // namespace kadu2217::tsql
