#pragma once

#include <QDeadlineTimer>
#include <QString>
#include <QStringView>
#include <QVector>

#include <algorithm>
#include <cstring>

namespace kadu2217::tsql {

enum class TokenKind : quint8 {
    End,
    Identifier,       // plain word, keyword or not
    QuotedIdentifier, // [name] or "name"; the text keeps its delimiters
    String,           // 'text' or N'text'; the text keeps its quotes (and the N)
    Integer,
    Decimal, // 1.5, .5
    Float,   // 1e2
    Parameter,
    Comma,
    Dot,
    LeftParen,
    RightParen,
    Semicolon,
    Plus,
    Minus,
    Star,
    Slash,
    Percent,
    Equal,
    NotEqual,
    Less,
    Greater,
    LessEqual,
    GreaterEqual,
    Binary, // 0x1F
    Other,  // anything else: an error wherever it stands
};

// The reserved words the parser looks at; any other word is a plain identifier.
enum class Keyword : quint8 {
    None,
    All,
    And,
    As,
    Asc,
    Between,
    By,
    Case,
    Cross,
    CurrentTimestamp,
    Delete,
    Desc,
    Distinct,
    Else,
    End,
    Escape,
    Except,
    Exists,
    From,
    Full,
    Group,
    Having,
    In,
    Inner,
    Insert,
    Intersect,
    Into,
    Is,
    Join,
    Left,
    Like,
    Not,
    Null,
    On,
    Or,
    Order,
    Outer,
    Percent,
    Right,
    Select,
    Set,
    Then,
    Top,
    Union,
    Update,
    Values,
    When,
    Where,
};

struct Token {
    TokenKind kind = TokenKind::End;
    Keyword keyword = Keyword::None;
    int begin = 0;
    int length = 0;
};

// Finds a word without regard to case in a table of entries sorted by their lower-case ASCII
// member name; nullptr when it is not there.
template <typename Entry, std::size_t Size>
const Entry *lookUpWord(const Entry (&table)[Size], QStringView word)
{
    constexpr qsizetype Longest = 31;
    char lower[Longest + 1];
    if (word.size() > Longest)
        return nullptr;
    for (qsizetype i = 0; i < word.size(); ++i) {
        const char16_t c = word[i].unicode();
        if (c >= 0x80)
            return nullptr;
        lower[i] = char(c >= 'A' && c <= 'Z' ? c + 32 : c);
    }
    lower[word.size()] = '\0';
    const Entry *found = std::lower_bound(std::begin(table), std::end(table), lower,
                                          [](const Entry &entry, const char *key) { return std::strcmp(entry.name, key) < 0; });
    return found != std::end(table) && std::strcmp(found->name, lower) == 0 ? found : nullptr;
}

// Splits a T-SQL text into tokens, skipping blanks and comments. A number ends at the first
// character that cannot continue it, so "1and" is "1" then "and", as SQL Server reads it.
// Throws Error on an unclosed quote or comment, or once the deadline has passed.
void tokenize(QStringView text, QVector<Token> &tokens, const QDeadlineTimer &deadline);

} // namespace kadu2217::tsql
