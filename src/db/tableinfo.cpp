#include "db/engine.h"

namespace kadu2217::detail {

int TableInfo::indexOf(const QString &column) const
{
    for (int i = 0; i < columns.size(); ++i) {
        if (columns[i].name.compare(column, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

} // namespace kadu2217::detail
