#pragma once

#include <QStringView>

#include <algorithm>

// The case-blind order of texts. Header-only and QtCore-only, like the number reading.
namespace kadu2217::textorder {

// The order of QStringView::compare(..., Qt::CaseInsensitive), reached without folding each
// character through the Unicode tables while both texts are ASCII: a grid sorts and searches
// its texts this way at every keystroke of a search.
inline int compareNoCase(QStringView a, QStringView b)
{
    const qsizetype common = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < common; ++i) {
        char16_t x = a[i].unicode();
        char16_t y = b[i].unicode();
        if (x >= 0x80 || y >= 0x80)
            return a.sliced(i).compare(b.sliced(i), Qt::CaseInsensitive);
        // Folding makes ASCII letters small, so '_' stays before the letters.
        if (x >= u'A' && x <= u'Z')
            x += u'a' - u'A';
        if (y >= u'A' && y <= u'Z')
            y += u'a' - u'A';
        if (x != y)
            return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

} // namespace kadu2217::textorder
