#include "bench/benchcommon.h"

namespace bench {

void pendingListOpen(const QString &, Report &)
{
}

} // namespace bench
