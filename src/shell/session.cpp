#include "shell/session.h"

namespace kadu2217 {

QString modeLetter(EntryMode mode)
{
    switch (mode) {
    case EntryMode::New:
        return QStringLiteral("N");
    case EntryMode::Edit:
        return QStringLiteral("E");
    case EntryMode::None:
        break;
    }
    return QString();
}

} // namespace kadu2217
