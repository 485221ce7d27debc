#pragma once

#include <QtGlobal>

namespace kadu2217 {

// The register the entry window was opened from, as the save needs it.
class CostingRegister {
public:
    virtual ~CostingRegister() = default;
    // A saved costing is shown: a new one as a row of its own, an edited one in the current
    // row. Runs after the commit; a failure goes back to the save, which reports it.
    virtual void costingSaved(qint32 costingId, bool newCosting) = 0;

protected:
    CostingRegister() = default;
    CostingRegister(const CostingRegister &) = default;
    CostingRegister &operator=(const CostingRegister &) = default;
};

} // namespace kadu2217
