#pragma once

#include "db/tsql/ast.h"
#include "db/tsql/failure.h"

#include <algorithm>

// The recursive-descent reader of one statement: statements in parser.cpp, expressions in
// expressions.cpp. It builds the tree only; typing.cpp types it afterwards.
namespace kadu2217::tsql {

inline bool equalsIgnoringCase(QStringView word, const char *name)
{
    return word.compare(QLatin1String(name), Qt::CaseInsensitive) == 0;
}

class Parser {
public:
    explicit Parser(Ast &ast) : m_ast(ast) {}

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

    [[noreturn]] static void tooDeep()
    {
        fail(nestedTooDeeplyMessage());
    }
    // Held by every reader that can call itself again, so that parentheses, which leave no
    // node behind, cannot run the stack out either.
    class Nesting {
    public:
        explicit Nesting(Parser &parser) : m_parser(parser)
        {
            if (++m_parser.m_nesting > MaxDepth)
                tooDeep();
        }
        ~Nesting() { --m_parser.m_nesting; }
        Nesting(const Nesting &) = delete;
        Nesting &operator=(const Nesting &) = delete;

    private:
        Parser &m_parser;
    };

    int add(Node node)
    {
        int below = node.select >= 0 ? m_ast.selects[node.select].depth : 0;
        for (int child : {node.a, node.b, node.c}) {
            for (int item = child; item >= 0; item = m_ast.nodes[item].next)
                below = std::max(below, m_ast.nodes[item].depth);
        }
        node.depth = below + 1;
        if (node.depth > MaxDepth)
            tooDeep();
        m_deepest = std::max(m_deepest, node.depth);
        m_ast.nodes.append(node);
        checkDeadline(m_ast.deadline, m_ast.nodes.size());
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
    NodeKind numberKind(int token) const;
    int parseCase();
    int parseFunction(int nameToken);
    void parseConvertTarget(Node &convert);
    int parseSubquery(NodeKind kind, int left);
    int parseExpressionList(int &count);

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

    Ast &m_ast;
    int m_pos = 0;
    int m_nesting = 0;
    int m_deepest = 0; // of the nodes and derived tables read so far in the current select
};

} // namespace kadu2217::tsql
