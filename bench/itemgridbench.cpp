#include "bench/benchcommon.h"

namespace bench {

void itemGridFill(const QString &, Report &)
{
}

} // namespace bench
