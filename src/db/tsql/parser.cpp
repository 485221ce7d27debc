#include "db/tsql/parser.h"

namespace kadu2217::tsql {

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
    const Nesting nesting(*this);
    const int outerDeepest = m_deepest;
    m_deepest = 0;
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
    select.depth = m_deepest + 1;
    if (select.depth > MaxDepth)
        tooDeep();
    m_deepest = std::max(outerDeepest, select.depth);
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

void parse(QStringView text, Ast &ast)
{
    ast.clear();
    ast.text = text;
    tokenize(text, ast.tokens, ast.deadline);
    Parser(ast).parseStatement();
}

} // namespace kadu2217::tsql
