#pragma once

#include <QLocale>
#include <QStringView>

#include <cmath>
#include <optional>

// Numbers read from text. The value conversions and the grids read them by different
// rules on purpose: each rule is kept as the code it was written for behaved. Header-only
// and QtCore-only, so that every layer may use it without depending on another.
namespace kadu2217::numbertext {

struct Rule {
    // Whether the user's locale is tried before the C locale.
    bool userLocaleFirst;
    // Whether the user's locale may read group separators.
    bool userLocaleGroups;
    // Whether an infinite or NaN reading counts as no number.
    bool finiteOnly;
    // Whether every kind of white space may precede a leading number, or only blanks and tabs.
    bool anySpaceLeads;
};

// The value conversions: a text in the user's locale (no group separators) or with '.'.
inline constexpr Rule Conversion{true, false, false, false};
// Grid cells (general alignment, sorting): '.' first, then the user's locale.
inline constexpr Rule Cell{false, true, true, true};

// A whole text that is a number, blanks around it aside.
inline std::optional<double> number(QStringView text, const Rule &rule)
{
    const QStringView trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return std::nullopt;
    QLocale user;
    if (!rule.userLocaleGroups)
        user.setNumberOptions(QLocale::RejectGroupSeparator);
    const QLocale first = rule.userLocaleFirst ? user : QLocale::c();
    const QLocale second = rule.userLocaleFirst ? QLocale::c() : user;
    bool ok = false;
    double value = first.toDouble(trimmed, &ok);
    if (!ok)
        value = second.toDouble(trimmed, &ok);
    if (!ok || (rule.finiteOnly && !std::isfinite(value)))
        return std::nullopt;
    return value;
}

// The number a text starts with, as the old Val read it: leading blanks skipped, it stops
// at the first character that cannot continue it; 0 when there is none.
inline double leadingNumber(QStringView text, const Rule &rule)
{
    qsizetype pos = 0;
    const qsizetype size = text.size();
    const auto isBlank = [&](QChar c) { return rule.anySpaceLeads ? c.isSpace() : c == u' ' || c == u'\t'; };
    while (pos < size && isBlank(text[pos]))
        ++pos;
    const qsizetype start = pos;
    if (pos < size && (text[pos] == u'+' || text[pos] == u'-'))
        ++pos;
    bool digits = false;
    const auto skipDigits = [&] {
        for (; pos < size && text[pos].isDigit(); ++pos)
            digits = true;
    };
    skipDigits();
    if (pos < size && text[pos] == u'.') {
        ++pos;
        skipDigits();
    }
    if (!digits)
        return 0.0;
    if (pos < size && (text[pos] == u'e' || text[pos] == u'E')) {
        qsizetype exponent = pos + 1;
        if (exponent < size && (text[exponent] == u'+' || text[exponent] == u'-'))
            ++exponent;
        if (exponent < size && text[exponent].isDigit()) {
            pos = exponent;
            while (pos < size && text[pos].isDigit())
                ++pos;
        }
    }
    bool ok = false;
    const double value = QLocale::c().toDouble(text.mid(start, pos - start), &ok);
    // Past the range of a double the conversions answer infinity, the grids 0.
    return rule.finiteOnly && !ok ? 0.0 : value;
}

} // namespace kadu2217::numbertext
