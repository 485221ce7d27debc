#include "db/tsql/lexer.h"

#include <cctype>

#include "db/tsql/failure.h"

#include <string>

namespace kadu2217::tsql {
namespace {

struct KeywordEntry {
    const char *name; // lower case
    Keyword keyword;
};

// Sorted by name for the binary search.
constexpr KeywordEntry Keywords[] = {
    {"all", Keyword::All},
    {"and", Keyword::And},
    {"as", Keyword::As},
    {"asc", Keyword::Asc},
    {"between", Keyword::Between},
    {"by", Keyword::By},
    {"case", Keyword::Case},
    {"cross", Keyword::Cross},
    {"current_timestamp", Keyword::CurrentTimestamp},
    {"delete", Keyword::Delete},
    {"desc", Keyword::Desc},
    {"distinct", Keyword::Distinct},
    {"else", Keyword::Else},
    {"end", Keyword::End},
    {"escape", Keyword::Escape},
    {"except", Keyword::Except},
    {"exists", Keyword::Exists},
    {"from", Keyword::From},
    {"full", Keyword::Full},
    {"group", Keyword::Group},
    {"having", Keyword::Having},
    {"in", Keyword::In},
    {"inner", Keyword::Inner},
    {"insert", Keyword::Insert},
    {"intersect", Keyword::Intersect},
    {"into", Keyword::Into},
    {"is", Keyword::Is},
    {"join", Keyword::Join},
    {"left", Keyword::Left},
    {"like", Keyword::Like},
    {"not", Keyword::Not},
    {"null", Keyword::Null},
    {"on", Keyword::On},
    {"or", Keyword::Or},
    {"order", Keyword::Order},
    {"outer", Keyword::Outer},
    {"percent", Keyword::Percent},
    {"right", Keyword::Right},
    {"select", Keyword::Select},
    {"set", Keyword::Set},
    {"then", Keyword::Then},
    {"top", Keyword::Top},
    {"union", Keyword::Union},
    {"update", Keyword::Update},
    {"values", Keyword::Values},
    {"when", Keyword::When},
    {"where", Keyword::Where},
};

constexpr quint32 keywordLengths()
{
    quint32 lengths = 0;
    for (const KeywordEntry &entry : Keywords)
        lengths |= quint32(1) << std::char_traits<char>::length(entry.name);
    return lengths;
}

// The lengths keywords have, bit by bit: most column names are longer and need no look-up.
constexpr quint32 KeywordLengths = keywordLengths();

Keyword keywordOf(QStringView word)
{
    if (!(KeywordLengths >> std::min<qsizetype>(word.size(), 31) & 1))
        return Keyword::None;
    const KeywordEntry *found = lookUpWord(Keywords, word);
    return found ? found->keyword : Keyword::None;
}

bool isDigit(QChar c) { return c >= u'0' && c <= u'9'; }

bool startsWord(QChar c) { return c.isLetter() || c == u'_' || c == u'@' || c == u'#'; }

bool continuesWord(QChar c)
{
    return c.isLetterOrNumber() || c == u'_' || c == u'@' || c == u'#' || c == u'$';
}

// Index just past the closing quote of a literal or delimited name; the quote doubles to escape.
qsizetype skipDelimited(QStringView text, qsizetype from, char16_t close)
{
    for (qsizetype i = from; i < text.size(); ++i) {
        if (text[i] != close)
            continue;
        if (i + 1 < text.size() && text[i + 1] == close) {
            ++i;
            continue;
        }
        return i + 1;
    }
    return -1;
}

qsizetype skipNumber(QStringView text, qsizetype i, TokenKind &kind)
{
    if (text[i] == u'0' && i + 1 < text.size() && (text[i + 1] == u'x' || text[i + 1] == u'X')) {
        kind = TokenKind::Binary;
        for (i += 2; i < text.size() && isxdigit(text[i].unicode() < 0x80 ? int(text[i].unicode()) : 0); ++i) {
        }
        return i;
    }
    kind = TokenKind::Integer;
    while (i < text.size() && isDigit(text[i]))
        ++i;
    if (i < text.size() && text[i] == u'.') {
        kind = TokenKind::Decimal;
        ++i;
        while (i < text.size() && isDigit(text[i]))
            ++i;
    }
    if (i < text.size() && (text[i] == u'e' || text[i] == u'E')) {
        qsizetype j = i + 1;
        if (j < text.size() && (text[j] == u'+' || text[j] == u'-'))
            ++j;
        if (j < text.size() && isDigit(text[j])) {
            kind = TokenKind::Float;
            i = j;
            while (i < text.size() && isDigit(text[i]))
                ++i;
        }
    }
    return i;
}

TokenKind operatorAt(QStringView text, qsizetype i, int &length)
{
    const char16_t c = text[i].unicode();
    const char16_t next = i + 1 < text.size() ? text[i + 1].unicode() : 0;
    length = 1;
    switch (c) {
    case ',': return TokenKind::Comma;
    case '.': return TokenKind::Dot;
    case '(': return TokenKind::LeftParen;
    case ')': return TokenKind::RightParen;
    case ';': return TokenKind::Semicolon;
    case '+': return TokenKind::Plus;
    case '-': return TokenKind::Minus;
    case '*': return TokenKind::Star;
    case '/': return TokenKind::Slash;
    case '%': return TokenKind::Percent;
    case '?': return TokenKind::Parameter;
    case '=': return TokenKind::Equal;
    case '<':
        if (next == '>' || next == '=')
            length = 2;
        return next == '>' ? TokenKind::NotEqual : next == '=' ? TokenKind::LessEqual : TokenKind::Less;
    case '>':
        if (next == '=')
            length = 2;
        return next == '=' ? TokenKind::GreaterEqual : TokenKind::Greater;
    case '!':
        if (next == '=') {
            length = 2;
            return TokenKind::NotEqual;
        }
        if (next == '<') { // !< is >=
            length = 2;
            return TokenKind::GreaterEqual;
        }
        if (next == '>') {
            length = 2;
            return TokenKind::LessEqual;
        }
        return TokenKind::Other;
    default:
        return TokenKind::Other;
    }
}

// T-SQL block comments nest.
qsizetype skipBlockComment(QStringView text, qsizetype i)
{
    int depth = 0;
    while (i + 1 < text.size()) {
        if (text[i] == u'/' && text[i + 1] == u'*') {
            ++depth;
            i += 2;
        } else if (text[i] == u'*' && text[i + 1] == u'/') {
            i += 2;
            if (--depth == 0)
                return i;
        } else {
            ++i;
        }
    }
    fail(QStringLiteral("Missing end comment mark '*/'."));
}

} // namespace

void tokenize(QStringView text, QVector<Token> &tokens, const QDeadlineTimer &deadline)
{
    tokens.clear();
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n) {
        const QChar c = text[i];
        if (c.isSpace()) {
            ++i;
            continue;
        }
        if (c == u'-' && i + 1 < n && text[i + 1] == u'-') {
            while (i < n && text[i] != u'\n')
                ++i;
            continue;
        }
        if (c == u'/' && i + 1 < n && text[i + 1] == u'*') {
            i = skipBlockComment(text, i);
            continue;
        }
        Token token;
        token.begin = int(i);
        qsizetype end = i + 1;
        const bool national = (c == u'N' || c == u'n') && i + 1 < n && text[i + 1] == u'\'';
        if (c == u'\'' || national) {
            token.kind = TokenKind::String;
            end = skipDelimited(text, national ? i + 2 : i + 1, u'\'');
            if (end < 0)
                fail(QStringLiteral("Unclosed quotation mark after the character string '%1'.")
                         .arg(text.mid(i).toString()));
        } else if (c == u'[' || c == u'"') {
            token.kind = TokenKind::QuotedIdentifier;
            end = skipDelimited(text, i + 1, c == u'[' ? u']' : u'"');
            if (end < 0)
                fail(QStringLiteral("Unclosed quotation mark after the character string '%1'.")
                         .arg(text.mid(i).toString()));
        } else if (isDigit(c) || (c == u'.' && i + 1 < n && isDigit(text[i + 1]))) {
            end = skipNumber(text, i, token.kind);
        } else if (startsWord(c)) {
            while (end < n && continuesWord(text[end]))
                ++end;
            token.kind = TokenKind::Identifier;
            token.keyword = keywordOf(text.mid(i, end - i));
        } else {
            int length;
            token.kind = operatorAt(text, i, length);
            end = i + length;
        }
        token.length = int(end - i);
        tokens.append(token);
        checkDeadline(deadline, tokens.size());
        i = end;
    }
    Token last;
    last.kind = TokenKind::End;
    last.begin = int(n);
    tokens.append(last);
}

} // namespace kadu2217::tsql
