#include "db/tsql/ast.h"
#include "db/tsql/builtins.h"
#include "db/tsql/failure.h"

namespace kadu2217::tsql {
namespace {

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

class Typing {
public:
    Typing(Ast &ast, const Catalog &catalog) : m_ast(ast), m_catalog(catalog) {}

    ValueKind typeOf(const Node &n);

private:
    ValueKind operandType(int index) const { return index < 0 ? ValueKind::Unknown : m_ast.nodes[index].type; }
    ValueKind arithmeticType(const Node &n) const;
    ValueKind negatedType(const Node &n) const;
    ValueKind subqueryType(const Node &n) const;
    ValueKind caseType(const Node &n) const;
    ValueKind sharedType(int firstArgument) const;
    ValueKind callType(const Node &call) const;

    Ast &m_ast;
    const Catalog &m_catalog;
};

ValueKind Typing::typeOf(const Node &n)
{
    switch (n.kind) {
    case NodeKind::Integer: return ValueKind::Integer;
    case NodeKind::Decimal:
    case NodeKind::Float: return ValueKind::Float;
    case NodeKind::String: return ValueKind::Text;
    case NodeKind::CurrentTimestamp: return ValueKind::DateTime;
    case NodeKind::Column:
        return namesDateTimeColumn(m_ast, m_catalog, n.token) ? ValueKind::DateTime : ValueKind::Unknown;
    case NodeKind::Negate: return negatedType(n);
    case NodeKind::Arithmetic: return arithmeticType(n);
    case NodeKind::InSelect:
    case NodeKind::Subquery: return subqueryType(n);
    case NodeKind::Case: return caseType(n);
    case NodeKind::Function:
    case NodeKind::Aggregate:
    case NodeKind::DateDiff:
    case NodeKind::Convert: return callType(n);
    default: return ValueKind::Unknown;
    }
}

ValueKind Typing::arithmeticType(const Node &n) const
{
    const ValueKind l = operandType(n.a);
    const ValueKind r = operandType(n.b);
    if (l == ValueKind::DateTime || r == ValueKind::DateTime)
        fail(QStringLiteral("The %1 operator applied to a datetime value is not supported by the embedded database.")
                 .arg(QLatin1String(operatorName(n.op))));
    if (l == ValueKind::Text && r == ValueKind::Text) {
        if (n.op != TokenKind::Plus)
            fail(QStringLiteral("Operand data type varchar is invalid for %1 operator.")
                     .arg(QLatin1String(operatorName(n.op))));
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

ValueKind Typing::negatedType(const Node &n) const
{
    const ValueKind type = operandType(n.a);
    if (type == ValueKind::DateTime)
        fail(QStringLiteral("The minus operator applied to a datetime value is not supported by the embedded database."));
    if (type == ValueKind::Text)
        fail(QStringLiteral("Operand data type varchar is invalid for minus operator."));
    return type;
}

// A subquery's value is its one select-list item's.
ValueKind Typing::subqueryType(const Node &n) const
{
    const SelectItem &item = m_ast.items[m_ast.selects[n.select].firstItem];
    return operandType(item.expression);
}

ValueKind Typing::caseType(const Node &n) const
{
    ValueKind type = ValueKind::Unknown;
    bool first = true;
    for (int when = n.b; when >= 0; when = m_ast.nodes[when].next) {
        const Node &result = m_ast.nodes[m_ast.nodes[when].b];
        type = commonType(type, result, first);
        first = first && result.kind == NodeKind::Null;
    }
    if (n.c >= 0)
        type = commonType(type, m_ast.nodes[n.c], first);
    return type;
}

ValueKind Typing::sharedType(int firstArgument) const
{
    ValueKind type = ValueKind::Unknown;
    bool first = true;
    for (int arg = firstArgument; arg >= 0; arg = m_ast.nodes[arg].next) {
        type = commonType(type, m_ast.nodes[arg], first);
        first = first && m_ast.nodes[arg].kind == NodeKind::Null;
    }
    return type;
}

ValueKind Typing::callType(const Node &call) const
{
    const int firstArgument = call.kind == NodeKind::Function ? call.b : call.a;
    const ValueKind first = operandType(firstArgument);
    switch (call.function->result) {
    case ResultType::Integer: return ValueKind::Integer;
    case ResultType::Text: return ValueKind::Text;
    case ResultType::DateTime: return ValueKind::DateTime;
    case ResultType::FirstArgument: return first;
    case ResultType::Shared: return sharedType(firstArgument);
    case ResultType::Number:
        if (first == ValueKind::Text)
            return ValueKind::Float; // text goes through float
        return isNumeric(first) ? first : ValueKind::Unknown;
    case ResultType::NumberOrUnknown: return isNumeric(first) ? first : ValueKind::Unknown;
    case ResultType::Target:
        switch (call.target) {
        case ConvertTarget::Int: return ValueKind::Integer;
        case ConvertTarget::Varchar:
        case ConvertTarget::Char: return ValueKind::Text;
        case ConvertTarget::DateTime: return ValueKind::DateTime;
        default: return ValueKind::Float;
        }
    }
    return ValueKind::Unknown;
}

} // namespace

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

void assignTypes(Ast &ast, const Catalog &catalog)
{
    // Every node's operands stand before it in the array, so one pass in order types them first.
    Typing typing(ast, catalog);
    for (int index = 0; index < ast.nodes.size(); ++index)
        ast.nodes[index].type = typing.typeOf(ast.nodes[index]);
}

} // namespace kadu2217::tsql
